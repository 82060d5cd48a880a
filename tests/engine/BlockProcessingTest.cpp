#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

using namespace rebondo::test;

namespace
{
    juce::MidiMessage on (int channel, int note, int velocity) { return juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity); }
    juce::MidiMessage off (int channel, int note) { return juce::MidiMessage::noteOff (channel, note); }

    struct Note
    {
        int position, channel, note, velocity; // velocity -1 for a note-off
        bool operator== (const Note& o) const { return position == o.position && channel == o.channel && note == o.note && velocity == o.velocity; }
    };

    std::ostream& operator<< (std::ostream& os, const Note& n)
    {
        return os << (n.velocity < 0 ? "off" : "on") << "@" << n.position << " ch" << n.channel << " n" << n.note << " v" << n.velocity;
    }

    std::vector<Note> notes (const std::vector<OutputEvent>& events)
    {
        std::vector<Note> out;
        for (const auto& e : events)
            if (e.isNoteOn() || e.isNoteOff())
                out.push_back ({ e.position, e.channel(), e.note(), e.isNoteOn() ? e.message.getVelocity() : -1 });
        return out;
    }

    std::vector<int> velocitiesOf (const std::vector<OutputEvent>& events)
    {
        std::vector<int> v;
        for (const auto& e : noteOns (events))
            v.push_back (e.message.getVelocity());
        return v;
    }

    // Balls hang where they are launched; bounces happen only when forced.
    class FrozenBalls : public testing::Test
    {
    protected:
        FrozenBalls() { h.freezeBallsInPlace(); }

        void setPattern (std::vector<int> steps) { h.processor.setCurrentPattern ("Test", steps); }

        // Forces count bounces and returns the bounce notes, one vector per bounce.
        std::vector<std::vector<OutputEvent>> bounces (int count)
        {
            std::vector<std::vector<OutputEvent>> out;
            for (int i = 0; i < count; ++i)
                out.push_back (h.forceBounce());
            return out;
        }

        ProcessorHarness h;
    };

    TEST_F (FrozenBalls, LaunchSoundsTheQuantisedNoteAtItsPositionAfterANoteOff)
    {
        const auto out = h.run ({ { 100, on (1, 61, 90) } });
        EXPECT_EQ (notes (out), (std::vector<Note> { { 99, 1, 60, -1 }, { 100, 1, 60, 90 } }));

        ASSERT_EQ (h.numBalls(), 1);
        const auto& ball = h.ball();
        EXPECT_TRUE (ball.keyHeld);
        EXPECT_EQ (ball.inputChannel, 1);
        EXPECT_EQ (ball.inputNote, 61);
        EXPECT_EQ (ball.baseNote, 60);
        EXPECT_EQ (ball.currentNoteId, ball.ballId);
        EXPECT_EQ (ball.noteCount, 1);
        EXPECT_FLOAT_EQ (ball.noteVelocity, 90.0f);

        const auto atZero = h.run ({ { 0, on (1, 64, 80) } });
        EXPECT_EQ (notes (atZero), (std::vector<Note> { { 0, 2, 64, -1 }, { 0, 2, 64, 80 } }));
    }

    TEST_F (FrozenBalls, BallsRotateOverTheAllowedChannels)
    {
        h.processor.setAllowedMidiChannelMask ((1 << 2) | (1 << 4));
        std::vector<int> channels;
        for (int i = 0; i < 4; ++i)
            for (const auto& e : noteOns (h.run ({ { 0, on (1, 60 + i, 100) } })))
                channels.push_back (e.channel());
        EXPECT_EQ (channels, (std::vector<int> { 3, 5, 3, 5 }));
    }

    TEST_F (FrozenBalls, OtherMessagesPassThroughAtTheirPositionsAndNotesDoNot)
    {
        const auto out = h.run ({ { 10, juce::MidiMessage::pitchWheel (2, 9000) },
                                  { 20, juce::MidiMessage::channelPressureChange (3, 40) },
                                  { 30, juce::MidiMessage::controllerEvent (4, 7, 99) },
                                  { 40, juce::MidiMessage::aftertouchChange (5, 60, 20) },
                                  { 50, on (1, 60, 100) } });
        std::vector<std::pair<int, juce::uint8>> passed;
        for (const auto& e : out)
            if (! e.isNoteOn() && ! e.isNoteOff())
                passed.push_back ({ e.position, e.message.getRawData()[0] });
        EXPECT_EQ (passed, (std::vector<std::pair<int, juce::uint8>> { { 10, 0xE1 }, { 20, 0xD2 }, { 30, 0xB3 }, { 40, 0xA4 } }));
        EXPECT_EQ (notes (out).size(), 2u); // the launch note and its preceding note-off only
    }

    TEST_F (FrozenBalls, VelocityOneDiesInItsOwnBlockWithTheNoteOffAfterTheNoteOn)
    {
        const auto out = h.run ({ { 100, on (1, 60, 1) } });
        EXPECT_EQ (notes (out), (std::vector<Note> { { 99, 1, 60, -1 }, { 100, 1, 60, 1 }, { 100, 1, 60, -1 } }));
        EXPECT_EQ (h.numBalls(), 0);
        EXPECT_EQ (findHangingNote (h.everything), "");
    }

    TEST_F (FrozenBalls, SecondNoteOnTheSameKeyTakesTheKeySlot)
    {
        h.run ({ { 0, on (1, 60, 100) } });
        h.run ({ { 0, on (1, 60, 100) } });
        ASSERT_EQ (h.numBalls(), 2);
        const auto out = h.run ({ { 5, off (1, 60) } });

        int held = 0;
        for (auto* ball : h.processor.balls)
            held += ball->keyHeld ? 1 : 0;
        EXPECT_EQ (held, 1);
        EXPECT_EQ (notes (out), (std::vector<Note> { { 5, 2, 60, -1 } })); // the second ball's launch note
    }

    TEST_F (FrozenBalls, MonoClearsTheFieldAtTheNewNotesPosition)
    {
        h.setParameter (ParameterIDs::mono, 1.0f);
        h.run ({ { 0, on (1, 60, 100) } });
        const auto second = h.run ({ { 0, on (1, 64, 100) } });
        EXPECT_EQ (notes (second), (std::vector<Note> { { 0, 1, 60, -1 }, { 0, 2, 64, -1 }, { 0, 2, 64, 100 } }));
        h.run ({ { 0, on (1, 62, 100) }, { 100, on (1, 65, 100) } }); // two in one block: the second clears the first
        EXPECT_EQ (h.numBalls(), 1);
        const auto out = h.run ({ { 200, on (1, 67, 100) } });

        EXPECT_EQ (notes (out), (std::vector<Note> { { 199, 5, 67, -1 }, { 200, 4, 65, -1 }, { 200, 5, 67, 100 } }));
        EXPECT_EQ (h.numBalls(), 1);
        EXPECT_EQ (h.ball().inputNote, 67);
    }

    TEST_F (FrozenBalls, ReleaseStopsTheLaunchNoteAndGivesLaterNotesTheHeldLength)
    {
        setPattern ({ 0, 4, 7 });
        h.setParameter (ParameterIDs::arpType, 1.0f); // UP
        h.run ({ { 0, on (1, 60, 100) } });
        h.forceBounce(); // E, held: no note-off scheduled
        h.runBlocks (3);
        const int held = h.ball().heldSamples;
        EXPECT_EQ (held, 5 * 512);

        const auto release = h.run ({ { 300, off (1, 60) } });
        EXPECT_TRUE (notes (release).empty()) << describe (release); // the launch note was stopped at the bounce already
        EXPECT_FALSE (h.ball().keyHeld);
        EXPECT_EQ (h.ball().releaseSamples, held);
        ASSERT_EQ (h.processor.scheduler.pendingNoteOffs.size(), 1u);

        // The bounce note rings for as long as the key was held.
        juce::int64 offTime = -1;
        for (int i = 0; i < 10 && offTime < 0; ++i)
            for (const auto& e : noteOffs (h.run()))
                offTime = e.time;
        // Released in block 6; the countdown starts in that block, so the note-off
        // falls due in block 10 and is written at its last sample.
        EXPECT_EQ (offTime, 512 * 11 - 1);
    }

    TEST_F (FrozenBalls, ReleaseAfterAShortPressLastsAtLeast25Milliseconds)
    {
        setPattern ({ 0, 4 });
        h.run ({ { 0, on (1, 60, 100) } }, 64);
        for (auto* b : h.processor.balls)
            b->bounced = true;
        h.run ({}, 64);
        const auto releaseStart = h.clock;
        h.run ({ { 10, off (1, 60) } }, 64);
        ASSERT_EQ (h.numBalls(), 1); // its bounce note still sounds
        EXPECT_EQ (h.ball().releaseSamples, 1200);

        juce::int64 offTime = -1;
        for (int i = 0; i < 40 && offTime < 0; ++i)
            for (const auto& e : noteOffs (h.run ({}, 64)))
                offTime = e.time;
        EXPECT_EQ (offTime, releaseStart + 19 * 64 - 1); // 1200 samples, rounded up to the block
    }

    TEST_F (FrozenBalls, DecayHalvesVelocityUntilTheBallDies)
    {
        h.setParameter (ParameterIDs::decay, 0.5f);
        setPattern ({ 0 });
        h.run ({ { 0, on (1, 60, 100) } });

        std::vector<int> velocities;
        for (const auto& b : bounces (6))
            for (int v : velocitiesOf (b))
                velocities.push_back (v);
        EXPECT_EQ (velocities, (std::vector<int> { 50, 25, 12, 6, 3 }));
        EXPECT_EQ (h.numBalls(), 0);
        EXPECT_EQ (findHangingNote (h.everything), "");
    }

    TEST_F (FrozenBalls, DecayAfterReleaseHoldsVelocityWhileTheKeyIsDown)
    {
        h.setParameter (ParameterIDs::decay, 0.5f);
        h.setParameter (ParameterIDs::decayAfterRelease, 1.0f);
        setPattern ({ 0 });
        h.run ({ { 0, on (1, 60, 100) } });

        std::vector<int> velocities;
        for (const auto& b : bounces (3))
            for (int v : velocitiesOf (b))
                velocities.push_back (v);
        h.run ({ { 0, off (1, 60) } });
        for (const auto& b : bounces (2))
            for (int v : velocitiesOf (b))
                velocities.push_back (v);
        EXPECT_EQ (velocities, (std::vector<int> { 100, 100, 100, 50, 25 }));
    }

    struct SplitCase
    {
        bool left, right;
        std::vector<int> soundingBounces;
    };

    TEST_F (FrozenBalls, SplitGateChoosesWhichBouncesSound)
    {
        const SplitCase cases[] = { { true, true, { 1, 2, 3, 4 } }, { false, true, { 1, 3 } },
                                    { true, false, { 2, 4 } }, { false, false, { 1, 2, 3, 4 } } };
        setPattern ({ 0, 2 });
        h.setParameter (ParameterIDs::decay, 1.0f);

        for (const auto& c : cases)
        {
            h.processor.splitLeft = c.left;
            h.processor.splitRight = c.right;
            h.run ({ { 0, on (1, 60, 100) } });

            std::vector<int> sounding;
            for (int u = 1; u <= 4; ++u)
                if (! noteOns (h.forceBounce()).empty())
                    sounding.push_back (u);
            EXPECT_EQ (sounding, c.soundingBounces) << c.left << c.right;
            EXPECT_TRUE (h.ball().noteSounding); // a silent bounce leaves the note ringing

            h.run ({ { 0, off (1, 60) } });
            h.processor.requestPanic();
            h.run();
        }
    }

    TEST_F (FrozenBalls, BounceLimitTwoSoundsOnceThenEndsTheBall)
    {
        h.setParameter (ParameterIDs::maxBounces, 0.0f);
        h.run ({ { 0, on (1, 60, 100) } });

        const auto first = h.forceBounce();
        EXPECT_EQ (noteOns (first).size(), 1u);
        EXPECT_TRUE (h.ball().lastBounce);

        const auto second = h.forceBounce();
        EXPECT_TRUE (noteOns (second).empty());
        EXPECT_EQ (noteOffs (second).size(), 1u);
        EXPECT_EQ (h.numBalls(), 0);
    }

    struct PatternCase
    {
        const char* what;
        int arpMode;
        std::vector<int> steps;
        std::vector<int> expectedNotes; // bounce notes above launch note 60, chromatic set; 0 = silent
    };

    class BounceNotes : public FrozenBalls, public testing::WithParamInterface<PatternCase> {};

    TEST_P (BounceNotes, FollowThePatternForTheMode)
    {
        const auto& c = GetParam();
        h.processor.setNoteMask (0xFFF);
        h.setParameter (ParameterIDs::decay, 1.0f);
        h.setParameter (ParameterIDs::arpType, (float) c.arpMode);
        setPattern (c.steps);
        h.run ({ { 0, on (1, 60, 100) } });

        std::vector<int> played;
        for (const auto& b : bounces ((int) c.expectedNotes.size()))
        {
            const auto ons = noteOns (b);
            played.push_back (ons.empty() ? 0 : ons.front().note());
            if (! ons.empty())
            {
                EXPECT_EQ (ons.front().position, 8);
            }
        }
        EXPECT_EQ (played, c.expectedNotes) << c.what;
    }

    std::string patternCaseName (const testing::TestParamInfo<PatternCase>& caseInfo)
    {
        auto name = juce::String (caseInfo.param.what).retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
        return name.toStdString();
    }

    INSTANTIATE_TEST_SUITE_P (Modes, BounceNotes, testing::Values (
        PatternCase { "UP 0,4,7", 1, { 0, 4, 7 }, { 64, 67, 60, 64 } },
        PatternCase { "DOWN 0,4,7", 2, { 0, 4, 7 }, { 57, 53, 60, 57 } },
        PatternCase { "UP UP 0,4,7", 5, { 0, 4, 7 }, { 64, 67, 72, 76, 79, 84, 88, 91, 60, 64 } },
        PatternCase { "DN DN 0,4,7", 6, { 0, 4, 7 }, { 57, 53, 48, 45, 41, 36, 33, 29, 60 } },
        PatternCase { "rest", 1, { 0, -99, 4 }, { 0, 64, 60, 0 } },
        // The last sounding step goes on the launch pitch.
        PatternCase { "DOWN with a trailing rest", 2, { 0, 4, -99 }, { 60, 56, 0 } },
        PatternCase { "none", 0, { 5, 7 }, { 65, 65 } },
        PatternCase { "one step UP-DN", 3, { 7 }, { 67, 67, 67 } }), patternCaseName);

    TEST_F (FrozenBalls, PatternInputSendsNotesToTheEditorAndSilencesBounces)
    {
        h.run ({ { 0, on (1, 60, 100) } });
        std::vector<int> entered;
        h.processor.onPatternInputNote = [&entered] (int note) { entered.push_back (note); };
        h.processor.patternInputEnabled = true;

        const auto out = h.run ({ { 30, on (2, 67, 90) }, { 40, off (2, 67) } });
        EXPECT_EQ (h.numBalls(), 1); // nothing launched
        EXPECT_EQ (notes (out), (std::vector<Note> { { 30, 2, 67, 90 }, { 40, 2, 67, -1 } }));

        const auto bounce = h.forceBounce();
        EXPECT_TRUE (noteOns (bounce).empty());
        EXPECT_EQ (noteOffs (bounce).size(), 1u); // the launch note stops

        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        EXPECT_EQ (entered, (std::vector<int> { 67 }));
    }

    TEST_F (FrozenBalls, PatternInputCallbackIsNotCalledAfterItIsCleared)
    {
        int calls = 0;
        h.processor.onPatternInputNote = [&calls] (int) { ++calls; };
        h.processor.patternInputEnabled = true;
        h.run ({ { 0, on (1, 60, 100) } });
        h.processor.onPatternInputNote = nullptr; // the editor went away with the call pending
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        EXPECT_EQ (calls, 0);
    }

    TEST (ModWheel, WallModesMoveTheEngineWidthsOnly)
    {
        ProcessorHarness h;
        h.setParameter (ParameterIDs::mod, 1.0f);
        h.run ({ { 0, juce::MidiMessage::controllerEvent (1, 1, 127) } });
        EXPECT_NEAR (h.processor.topWidth.load(), 7.2f, 1e-5);
        EXPECT_NEAR (h.processor.parameters.getRawParameterValue ("top_width")->load(), 5.0f, 1e-5);
        h.run();
        EXPECT_NEAR (h.processor.physics.topLeftX, 3.2f - 3.6f, 1e-5);

        h.run ({ { 0, juce::MidiMessage::controllerEvent (5, 1, 0) } });
        EXPECT_NEAR (h.processor.topWidth.load(), 0.5f, 1e-5);

        // Wall Bottom moves both walls together.
        h.setParameter (ParameterIDs::mod, 2.0f);
        h.processor.topWidth = 5.0f;
        h.processor.bottomWidth = 1.2f;
        h.run ({ { 0, juce::MidiMessage::controllerEvent (1, 1, 30) } });
        const float target = 30.0f * 8.5f / 127.0f + 0.5f;
        EXPECT_NEAR (h.processor.bottomWidth.load(), target, 1e-5);
        EXPECT_NEAR (h.processor.topWidth.load() - h.processor.bottomWidth.load(), 3.8f, 1e-5);

        h.run ({ { 0, juce::MidiMessage::controllerEvent (1, 1, 127) } });
        EXPECT_NEAR (h.processor.topWidth.load(), 7.2f, 1e-5); // the wider wall stops at the limit
        EXPECT_NEAR (h.processor.topWidth.load() - h.processor.bottomWidth.load(), 3.8f, 1e-5);
    }

    TEST (ModWheel, ParameterModesSetTheParameterAndTheEngineFollows)
    {
        ProcessorHarness h;
        h.setParameter (ParameterIDs::mod, 4.0f); // Decay
        h.run ({ { 0, juce::MidiMessage::controllerEvent (1, 1, 127) } });
        EXPECT_NEAR (h.processor.parameters.getRawParameterValue ("decay")->load(), 1.0f, 1e-5);
        EXPECT_NEAR (h.processor.decayFactor.load(), 1.0f, 1e-5);

        h.setParameter (ParameterIDs::mod, 0.0f);
        h.run ({ { 0, juce::MidiMessage::controllerEvent (1, 1, 0) } });
        EXPECT_NEAR (h.processor.decayFactor.load(), 1.0f, 1e-5);
    }

    TEST (EngineFollowsParameters, EveryEngineParameterReachesItsSettingWithoutAnEditor)
    {
        ProcessorHarness h;
        h.setParameter (ParameterIDs::topWidth, 6.0f);
        h.setParameter (ParameterIDs::bottomWidth, 2.0f);
        h.setParameter (ParameterIDs::bounce, 0.6f);
        h.setParameter (ParameterIDs::velocity, 50.0f);
        h.setParameter (ParameterIDs::decay, 0.3f);
        h.setParameter (ParameterIDs::time, 1.5f);
        h.setParameter (ParameterIDs::gravity, 20.0f);
        h.setParameter (ParameterIDs::collision, 1.0f);
        h.setParameter (ParameterIDs::dynamic, 1.0f);
        h.setParameter (ParameterIDs::mono, 1.0f);
        h.setParameter (ParameterIDs::panic, 1.0f);
        h.run ({ { 0, on (1, 60, 100) } });

        auto& p = h.processor;
        EXPECT_NEAR (p.topWidth.load(), 6.0f, 1e-4);
        EXPECT_NEAR (p.bottomWidth.load(), 2.0f, 1e-4);
        EXPECT_NEAR (p.ballRestitution.load(), 0.6, 1e-4);
        EXPECT_NEAR (p.launchStrength.load(), 50.0f, 1e-3);
        EXPECT_NEAR (p.decayFactor.load(), 0.3f, 1e-4);
        EXPECT_NEAR (p.timeScale.load(), 1.5f, 1e-4);
        EXPECT_TRUE (p.collisionEnabled.load());
        EXPECT_EQ (p.dynamicLaunch.load(), 1);
        EXPECT_TRUE (p.monoMode.load());
        EXPECT_TRUE (p.panicMode.load());

        auto* world = p.physics.getWorld();
        EXPECT_NEAR (world->GetGravity().y, -20.0f, 1e-3);
        EXPECT_TRUE (p.physics.leftWall->GetFixtureList()->IsSensor());
        EXPECT_NEAR (p.physics.topLeftX, 0.2f, 1e-4);

        // Restitution of existing balls follows too.
        h.setParameter (ParameterIDs::bounce, 0.9f);
        h.run();
        for (auto* b = world->GetBodyList(); b != nullptr; b = b->GetNext())
        {
            if (b->GetType() == b2_dynamicBody)
            {
                EXPECT_NEAR (b->GetFixtureList()->GetRestitution(), 0.9f, 1e-5);
            }
        }
    }

    TEST (EngineFollowsParameters, ConstructionCopiesTheParameterValues)
    {
        CaromelAudioProcessor p;
        EXPECT_NEAR (p.ballRestitution.load(), p.parameters.getRawParameterValue ("bounce")->load(), 1e-6);
        EXPECT_NEAR (p.decayFactor.load(), p.parameters.getRawParameterValue ("decay")->load(), 1e-6);
        EXPECT_NEAR (p.launchStrength.load(), p.parameters.getRawParameterValue ("velocity")->load(), 1e-6);
        EXPECT_NEAR (p.timeScale.load(), p.parameters.getRawParameterValue ("time")->load(), 1e-6);
        EXPECT_NEAR (p.topWidth.load(), p.parameters.getRawParameterValue ("top_width")->load(), 1e-6);
    }

    TEST (Panic, StopsEveryNoteClearsTheFieldAndSendsAllNotesOff)
    {
        ProcessorHarness h;
        h.freezeBallsInPlace();
        h.run ({ { 0, on (1, 60, 100) }, { 1, on (1, 64, 100) } });
        h.processor.requestPanic();
        const auto out = h.run();

        int allNotesOff = 0;
        for (const auto& e : out)
            allNotesOff += e.message.isAllNotesOff() ? 1 : 0;
        EXPECT_EQ (allNotesOff, 16);
        EXPECT_EQ (noteOffs (out).size(), 2u);
        EXPECT_EQ (h.numBalls(), 0);
        EXPECT_EQ (findHangingNote (h.everything), "");
    }
}
