// Runs the audio thread against every write the editor makes. Meant to run
// under ThreadSanitizer (REBONDO_TSAN), where any data race fails it; in
// other builds it still checks that nothing breaks.

#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
    TEST (Concurrency, AudioThreadAgainstEditorWrites)
    {
        CaromelAudioProcessor p;
        p.setRateAndBufferSizeDetails (48000.0, 256);
        p.prepareToPlay (48000.0, 256);
        p.parameters.getParameter (ParameterIDs::mod)->setValueNotifyingHost (0.2f); // Wall Top
        p.parameters.getParameter (ParameterIDs::collision)->setValueNotifyingHost (1.0f);

        std::atomic<bool> done { false };
        std::atomic<int> blocksRun { 0 };

        std::thread audio ([&]
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            juce::Random random (11);
            for (int block = 0; block < 3000; ++block)
            {
                midi.clear();
                if (block % 8 == 0)
                    midi.addEvent (juce::MidiMessage::noteOn (1, 48 + random.nextInt (24), (juce::uint8) 100), random.nextInt (256));
                if (block % 8 == 5)
                    for (int n = 48; n < 72; ++n)
                        midi.addEvent (juce::MidiMessage::noteOff (1, n), 0);
                if (block % 5 == 0)
                    midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, random.nextInt (128)), 1);
                p.processBlock (buffer, midi);
                blocksRun = block + 1;
            }
            done = true;
        });

        juce::Random random (5);
        std::vector<BallSnapshot> copy;
        int reads = 0;
        while (! done)
        {
            switch (random.nextInt (14))
            {
                case 0:  p.topWidth = 0.5f + 6.0f * random.nextFloat(); p.funnelGeometryDirty = true; break;
                case 1:  p.setBallRestitution (0.5 + 0.5 * random.nextDouble()); break;
                case 2:  p.decayFactor = 0.5f + 0.5f * random.nextFloat(); p.launchStrength = 127.0f * random.nextFloat(); break;
                case 3:  p.timeScale = 0.5f + random.nextFloat(); break;
                case 4:  p.setWorldGravity (20.0f * random.nextFloat()); break;
                case 5:  p.setCollisionEnabled (random.nextBool()); break;
                case 6:  p.updatePanicMode (random.nextBool()); break;
                case 7:  p.setNoteMask (random.nextInt (4096)); p.setAllowedMidiChannelMask (random.nextInt (65536)); break;
                case 8:  p.splitLeft = random.nextBool(); p.splitRight = true; break;
                case 9:  p.setCurrentPattern ("P", { 0, random.nextInt (12), -99, 7 }); break;
                case 10: p.parameters.getParameter (ParameterIDs::bottomWidth)->setValueNotifyingHost (random.nextFloat()); break;
                case 11: p.monoMode = random.nextBool(); p.dynamicLaunch = random.nextBool() ? 1 : 0; break;
                case 12: p.patternInputEnabled = random.nextInt (10) == 0; break;
                default:
                {
                    const juce::SpinLock::ScopedLockType lock (p.snapshotLock);
                    copy = p.ballSnapshots;
                    ++reads;
                    break;
                }
            }
            juce::ignoreUnused (p.getLaunchHandleX(), p.getCurrentPatternSteps());
            std::this_thread::yield();
        }

        audio.join();
        p.patternInputEnabled = false;
        EXPECT_EQ (blocksRun.load(), 3000);
        EXPECT_GT (reads, 0);
        for (const auto& s : copy)
            EXPECT_FLOAT_EQ (s.radius, PhysicsWorld::ballRadius);
    }
}
