#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the calling thread and the threads it starts go without the capabilities that let root
// read, write and remove whatever the permissions say: a folder's permissions then hold for root as for any
// user. For an ordinary user, who has none of them, it changes nothing.
class WithoutOverride
{
public:
    WithoutOverride()
    {
        if (::syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        dropped = ::syscall(SYS_capset, &header, reduced) == 0;
    }
    ~WithoutOverride()
    {
        if (dropped)
            ::syscall(SYS_capset, &header, saved);
    }
    WithoutOverride(const WithoutOverride &) = delete;
    WithoutOverride &operator=(const WithoutOverride &) = delete;
    // False when the capabilities could not be read or given up.
    bool ok() const { return dropped || ::geteuid() != 0; }

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2] = {};
    bool dropped = false;
};
