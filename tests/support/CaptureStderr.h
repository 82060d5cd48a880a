#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace rebondo::test
{
    // Collects what is written to std::cerr while it lives (diagnostic lines
    // go there); also keeps noisy loops quiet.
    class CaptureStderr
    {
    public:
        CaptureStderr() : previous (std::cerr.rdbuf (captured.rdbuf())) {}
        ~CaptureStderr() { std::cerr.rdbuf (previous); }

        std::string text() const { return captured.str(); }
        void clear() { captured.str ({}); }

        bool hasLine (const std::string& line) const
        {
            return ("\n" + text()).find ("\n" + line + "\n") != std::string::npos;
        }

    private:
        std::stringstream captured;
        std::streambuf* previous;
    };
}
