#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <set>

using namespace rebondo::test;

namespace
{
    struct StreamConfig
    {
        int arpMode;
        bool mono, collision;
        int split; // 0 both, 1 left only, 2 right only
        int channelMask;
    };

    std::string describe (const StreamConfig& c, int seed)
    {
        return "seed " + std::to_string (seed) + " arp " + std::to_string (c.arpMode) + " mono " + std::to_string (c.mono)
             + " collision " + std::to_string (c.collision) + " split " + std::to_string (c.split)
             + " mask " + std::to_string (c.channelMask);
    }

    // Random MIDI through processBlock: every note started must be stopped
    // once the keys are up and the balls are gone, and every event must lie
    // inside its block.
    void playRandomStream (const StreamConfig& config, int seed)
    {
        const auto context = describe (config, seed);
        SCOPED_TRACE (context);

        juce::Random random (seed);
        ProcessorHarness h (48000.0, 512);
        auto& p = h.processor;
        p.setRandomSeed (seed);

        h.setParameter (ParameterIDs::arpType, (float) config.arpMode);
        h.setParameter (ParameterIDs::mono, config.mono ? 1.0f : 0.0f);
        h.setParameter (ParameterIDs::collision, config.collision ? 1.0f : 0.0f);
        h.setParameter (ParameterIDs::decayAfterRelease, random.nextBool() ? 1.0f : 0.0f);
        h.setParameter (ParameterIDs::maxBounces, (float) random.nextInt (9));
        h.setParameter (ParameterIDs::launchPos, random.nextFloat());
        h.setParameter (ParameterIDs::decay, 0.5f + 0.5f * random.nextFloat());
        h.setParameter (ParameterIDs::mod, (float) random.nextInt (6));
        p.splitLeft = config.split != 2;
        p.splitRight = config.split != 1;
        p.setAllowedMidiChannelMask (config.channelMask);
        p.setCurrentPattern ("Random", { 0, 4, -99, 7, 12, -5 });

        std::set<std::pair<int, int>> keysDown;
        auto checkBlock = [&] (const std::vector<OutputEvent>& out, int n)
        {
            for (const auto& e : out)
            {
                ASSERT_GE (e.position, 0);
                ASSERT_LT (e.position, n);
            }
        };

        const int blocks = 400;
        for (int b = 0; b < blocks; ++b)
        {
            const int n = 1 + random.nextInt (2048);
            std::vector<std::pair<int, juce::MidiMessage>> input;
            const int events = random.nextInt (5);
            for (int i = 0; i < events; ++i)
            {
                const int pos = random.nextInt (n);
                const int channel = 1 + random.nextInt (3);
                const int note = 58 + random.nextInt (8);
                switch (random.nextInt (7))
                {
                    case 0:
                    case 1:
                        input.push_back ({ pos, juce::MidiMessage::noteOn (channel, note, (juce::uint8) (1 + random.nextInt (127))) });
                        keysDown.insert ({ channel, note });
                        break;
                    case 2:
                        input.push_back ({ pos, juce::MidiMessage::noteOff (channel, note) });
                        keysDown.erase ({ channel, note });
                        break;
                    case 3:
                        input.push_back ({ pos, juce::MidiMessage::noteOn (channel, note, (juce::uint8) 0) });
                        keysDown.erase ({ channel, note });
                        break;
                    case 4:
                        input.push_back ({ pos, juce::MidiMessage::controllerEvent (channel, 1, random.nextInt (128)) });
                        break;
                    case 5:
                        input.push_back ({ pos, juce::MidiMessage::pitchWheel (channel, random.nextInt (16384)) });
                        break;
                    default:
                        input.push_back ({ pos, juce::MidiMessage::controllerEvent (channel, 64, random.nextInt (128)) });
                        break;
                }
            }

            checkBlock (h.run (input, n), n);
            if (testing::Test::HasFatalFailure())
                return;

            if (random.nextInt (100) == 0)
                h.prepare (random.nextBool() ? 44100.0 : 48000.0, 512); // hosts do this mid-stream
        }

        // Keys up, and the wheel-driven settings back to something that lets
        // balls leave the world in reasonable time.
        std::vector<std::pair<int, juce::MidiMessage>> releases;
        for (auto [channel, note] : keysDown)
            releases.push_back ({ 0, juce::MidiMessage::noteOff (channel, note) });
        checkBlock (h.run (releases, 512), 512);
        h.setParameter (ParameterIDs::mod, 0.0f);
        h.setParameter (ParameterIDs::gravity, 9.8f);
        h.setParameter (ParameterIDs::time, 1.0f);
        h.setParameter (ParameterIDs::decay, 0.84f);

        for (int b = 0; b < 20000 && (h.numBalls() > 0 || ! p.scheduler.pendingNoteOffs.empty()); ++b)
        {
            checkBlock (h.run ({}, 512), 512);
            if (testing::Test::HasFatalFailure())
                return;
        }

        EXPECT_EQ (h.numBalls(), 0);
        EXPECT_EQ (findHangingNote (h.everything), "");
    }

    TEST (NoStuckNotes, RandomStreamsLeaveNothingSounding)
    {
        const int masks[] = { 0xFFFF, 0x0014, 0x0001, 0x8000 };
        int seed = 1;
        for (int arp = 0; arp <= 8; ++arp)
            for (int variant = 0; variant < 4; ++variant)
            {
                const StreamConfig config { arp, (variant & 1) != 0, (variant & 2) != 0, (arp + variant) % 3, masks[(arp + variant) % 4] };
                playRandomStream (config, seed++);
                if (HasFatalFailure())
                    return;
            }
    }
}
