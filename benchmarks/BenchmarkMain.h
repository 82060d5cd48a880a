#pragma once

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

// Runs the registered benchmarks with JUCE initialised and HOME pointed at a
// temporary folder, so the plug-in's first-use set-up never reaches the
// user's real preset folder.
inline int runBenchmarksInTemporaryHome (int argc, char** argv)
{
    char home[] = "/tmp/rebondo-bench-home-XXXXXX";
    if (mkdtemp (home) != nullptr)
    {
        setenv ("HOME", home, 1);
        unsetenv ("XDG_CONFIG_HOME");
    }

    int result = 0;
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        benchmark::Initialize (&argc, argv);
        if (benchmark::ReportUnrecognizedArguments (argc, argv))
            result = 1;
        else
            benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }

    juce::File (home).deleteRecursively();
    return result;
}
