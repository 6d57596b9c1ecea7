// Every test program runs in places of its own, made before main() and removed with all they hold when the
// program ends: a home with its settings, data, cache and state folders, and a runtime folder. Whatever a
// test, Qt (its file dialog's settings, its runtime folder) or a program the test starts writes there never
// reaches the user's own home. And a program of a test never opens the default machine in that home: the
// stand-in stops it at once when nothing named its machine (HUSHDECK_MACHINE_REQUIRED), so a test that would
// use a machine other than its own, or one after its end, fails where it does.
#include "rawnames.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TestEnvironment
{
public:
    TestEnvironment()
    {
        const char *temp = std::getenv("TMPDIR");
        std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/hushdeck-test-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("test environment: cannot make its folder");
            std::abort();
        }
        root = pattern;
        owner = ::getpid();
        const std::string home = root + "/home";
        const std::string runtime = root + "/runtime";
        // Qt takes a runtime folder only when it is the user's own and no one else's.
        if (::mkdir(home.c_str(), 0700) != 0 || ::mkdir(runtime.c_str(), 0700) != 0) {
            std::perror("test environment: cannot make its folders");
            std::abort();
        }
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("HUSHDECK_MACHINE_REQUIRED", "1", 1);
    }
    ~TestEnvironment()
    {
        // A child that a test forked and that ends through exit() runs this too: the folder is the parent's.
        if (::getpid() == owner)
            rawnames::walk(QByteArray::fromStdString(root), true);
    }
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

private:
    std::string root;
    pid_t owner = 0;
};

const TestEnvironment environment;

} // namespace
