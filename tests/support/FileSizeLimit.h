#pragma once

#include <csignal>
#include <sys/resource.h>

namespace rebondo::test
{
    // While it lives, no file of this process can grow past the given size:
    // writes beyond it fail, even for root, so a failing disk can be tested.
    class ScopedFileSizeLimit
    {
    public:
        explicit ScopedFileSizeLimit (rlim_t bytes)
        {
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);
            getrlimit (RLIMIT_FSIZE, &previous);
            rlimit limited = previous;
            limited.rlim_cur = bytes;
            setrlimit (RLIMIT_FSIZE, &limited);
        }

        ~ScopedFileSizeLimit()
        {
            setrlimit (RLIMIT_FSIZE, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }

    private:
        rlimit previous {};
        void (*previousHandler) (int) = nullptr;
    };
}
