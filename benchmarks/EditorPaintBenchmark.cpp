// The editor's full paint at 800 x 600 into a software image, with 64 balls
// in the snapshot, reported in milliseconds per frame.
#include "editor/PluginEditor.h"

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace
{
    void fillSnapshot (CaromelAudioProcessor& processor, int numBalls)
    {
        juce::Random random (42);
        const juce::SpinLock::ScopedLockType lock (processor.snapshotLock);
        processor.ballSnapshots.clear();

        for (int i = 0; i < numBalls; ++i)
        {
            BallSnapshot ball;
            ball.x = 0.5f + random.nextFloat() * 5.4f;
            ball.y = 0.5f + random.nextFloat() * 10.0f;
            ball.radius = PhysicsWorld::ballRadius;
            ball.data.lastNote = 36 + random.nextInt (48);
            ball.data.noteVelocity = (float) random.nextInt (128);
            processor.ballSnapshots.push_back (ball);
        }
    }

    // range(0): balls in the snapshot; range(1): 1 to draw the children too.
    void BM_EditorPaint (benchmark::State& state)
    {
        const bool withChildren = state.range (1) != 0;
        const juce::ScopedJuceInitialiser_GUI gui;
        CaromelAudioProcessor processor;
        processor.prepareToPlay (48000.0, 512);
        fillSnapshot (processor, (int) state.range (0));

        auto editor = std::make_unique<CaromelAudioProcessorEditor> (processor);
        juce::Image image (juce::Image::ARGB, 800, 600, true, juce::SoftwareImageType());

        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            {
                juce::Graphics g (image);
                if (withChildren)
                    editor->paintEntireComponent (g, false);
                else
                    editor->paint (g);
            }
            const auto end = std::chrono::steady_clock::now();
            state.SetIterationTime (std::chrono::duration<double> (end - start).count());
            benchmark::DoNotOptimize (image.getPixelAt (400, 300));
        }

        processor.editorBeingDeleted (editor.get());
        editor.reset();
    }
}

BENCHMARK (BM_EditorPaint)
    ->ArgNames ({ "balls", "children" })
    ->Args ({ 64, 0 })->Args ({ 64, 1 })->Args ({ 0, 0 })
    ->UseManualTime()->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
