// A program with several threads, all asleep until it is ended: sleepers [THREADS]
#include <cstdlib>
#include <thread>
#include <vector>

#include <unistd.h>

int main(int argc, char *argv[])
{
    const int threads = argc > 1 ? std::atoi(argv[1]) : 4;
    std::vector<std::thread> others;
    for (int i = 1; i < threads; ++i)
        others.emplace_back([] {
            for (;;)
                pause();
        });
    for (;;)
        pause();
}
