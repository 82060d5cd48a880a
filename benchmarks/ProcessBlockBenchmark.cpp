// processBlock cost with a steady number of balls in flight, as a share of
// the block's real-time budget at 48 kHz.

#include "engine/PluginProcessor.h"

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

namespace
{
    void processBlockWithBalls (benchmark::State& state)
    {
        const int ballsInFlight = (int) state.range (0);
        const int blockSize = (int) state.range (1);
        constexpr double sampleRate = 48000.0;

        CaromelAudioProcessor processor;
        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
        processor.prepareToPlay (sampleRate, blockSize);
        processor.setRandomSeed (1);
        auto setParameter = [&] (const char* id, float value)
        {
            auto* p = processor.parameters.getParameter (id);
            p->setValueNotifyingHost (p->convertTo0to1 (value));
        };
        setParameter (ParameterIDs::decay, 1.0f);     // balls live until they fall out
        setParameter (ParameterIDs::dynamic, 1.0f);   // and spread out
        setParameter (ParameterIDs::launchPos, 0.3f);

        juce::AudioBuffer<float> audio (2, blockSize);
        juce::MidiBuffer midi;
        midi.ensureSize (64 * 1024);
        juce::Random random (2);
        int launched = 0;

        for (auto _ : state)
        {
            midi.clear();
            // Top the field up to the wanted number of balls, a few per block.
            const int missing = ballsInFlight - (int) processor.balls.size();
            for (int i = 0; i < std::min (missing, 8); ++i, ++launched)
                midi.addEvent (juce::MidiMessage::noteOn (1 + launched % 16, 36 + launched % 60, (juce::uint8) (40 + random.nextInt (80))), i);

            processor.processBlock (audio, midi);
            benchmark::DoNotOptimize (midi.getNumEvents());
        }

        const double blockSeconds = blockSize / sampleRate;
        state.counters["budget_%"] = benchmark::Counter (blockSeconds / 100.0,
                                                        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        state.counters["balls"] = (double) processor.balls.size();
    }
}

BENCHMARK (processBlockWithBalls)
    ->ArgsProduct ({ { 1, 16, 64, 256 }, { 128, 512 } })
    ->ArgNames ({ "balls", "block" })
    ->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
