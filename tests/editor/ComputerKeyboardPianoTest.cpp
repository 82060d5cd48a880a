#include "editor/ComputerKeyboardPiano.h"
#include "EditorTestFixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace
{
    struct Sent
    {
        bool on;
        int channel, note, velocity;
        bool operator== (const Sent& o) const { return on == o.on && channel == o.channel && note == o.note && velocity == o.velocity; }
    };

    std::ostream& operator<< (std::ostream& os, const Sent& s)
    {
        return os << (s.on ? "on" : "off") << " ch" << s.channel << " n" << s.note << " v" << s.velocity;
    }

    Sent on (int note, int velocity = 100) { return { true, 1, note, velocity }; }
    Sent off (int note) { return { false, 1, note, 0 }; }

    // A fake keyboard: the keys held now, and everything the piano sent.
    struct Keys
    {
        std::set<int> down;
        std::vector<Sent> sent;

        ComputerKeyboardPiano::MidiSink sink()
        {
            return [this] (const juce::MidiMessage& m)
            {
                ASSERT_TRUE (m.isNoteOnOrOff());
                sent.push_back ({ m.isNoteOn(), m.getChannel(), m.getNoteNumber(), m.isNoteOn() ? m.getVelocity() : 0 });
            };
        }

        std::function<bool (int)> state()
        {
            return [this] (int keyCode) { return down.count (keyCode) > 0; };
        }

        std::vector<Sent> take() { return std::exchange (sent, {}); }
    };

    class ComputerKeyboardPianoTest : public testing::Test
    {
    protected:
        // Key goes down (or up), then the piano reads the states.
        void press (char key) { keys.down.insert (key); piano.updateKeyStates (keys.state()); }
        void release (char key) { keys.down.erase (key); piano.updateKeyStates (keys.state()); }
        void tap (char key, int times = 1)
        {
            for (int i = 0; i < times; ++i)
            {
                press (key);
                release (key);
            }
        }

        Keys keys;
        ComputerKeyboardPiano piano { keys.sink() };
    };

    TEST_F (ComputerKeyboardPianoTest, EachNoteKeyPlaysItsSemitoneOnChannelOne)
    {
        const std::string order = "AWSEDFTGYHUJK";
        for (size_t i = 0; i < order.size(); ++i)
        {
            SCOPED_TRACE (order.substr (i, 1));
            const char key = order[i];
            EXPECT_EQ (ComputerKeyboardPiano::semitoneForKey (key), (int) i);
            EXPECT_EQ (ComputerKeyboardPiano::semitoneForKey (key - 'A' + 'a'), (int) i);

            press (key);
            EXPECT_EQ (keys.take(), (std::vector<Sent> { on (60 + (int) i) }));
            release (key);
            EXPECT_EQ (keys.take(), (std::vector<Sent> { off (60 + (int) i) }));
        }

        for (int other : { (int) 'Q', (int) 'L', (int) 'B', (int) ';', (int) ' ', (int) '1', 0 })
        {
            EXPECT_EQ (ComputerKeyboardPiano::semitoneForKey (other), -1) << other;
            EXPECT_FALSE (ComputerKeyboardPiano::isPianoKey (other)) << other;
        }
        for (int control : { 'Z', 'x', 'c', 'V' })
            EXPECT_TRUE (ComputerKeyboardPiano::isPianoKey (control)) << control;

        // Keys the piano does not know play nothing.
        press ('Q');
        press ('L');
        EXPECT_TRUE (keys.take().empty());
    }

    TEST_F (ComputerKeyboardPianoTest, OctaveAndVelocityKeysStayWithinTheirLimits)
    {
        struct Case
        {
            const char* taps; // keys tapped in turn
            int baseNote, velocity;
        };
        const Case cases[] = {
            { "", 60, 100 },
            { "X", 72, 100 },
            { "XXXX", 108, 100 },
            { "XXXXXXX", 108, 100 }, // K still plays MIDI note 120
            { "Z", 48, 100 },
            { "ZZZZZ", 0, 100 },
            { "ZZZZZZZZ", 0, 100 },
            { "ZZZZZZZZX", 12, 100 },
            { "C", 60, 84 },
            { "CCCCCC", 60, 4 },
            { "CCCCCCC", 60, 1 },
            { "CCCCCCCCCC", 60, 1 },
            { "CCCCCCCV", 60, 17 },
            { "V", 60, 116 },
            { "VV", 60, 127 },
            { "VVVVV", 60, 127 },
            { "VVC", 60, 111 },
        };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.taps);
            Keys k;
            ComputerKeyboardPiano p { k.sink() };
            for (const char* t = c.taps; *t != 0; ++t)
            {
                k.down.insert (*t);
                p.updateKeyStates (k.state());
                k.down.erase (*t);
                p.updateKeyStates (k.state());
            }
            EXPECT_TRUE (k.take().empty()); // octave and velocity keys play nothing

            EXPECT_EQ (p.getBaseNote(), c.baseNote);
            EXPECT_EQ (p.getVelocity(), c.velocity);

            // The lowest and highest keys play inside the MIDI range.
            k.down = { 'A', 'K' };
            p.updateKeyStates (k.state());
            EXPECT_EQ (k.take(), (std::vector<Sent> { on (c.baseNote, c.velocity), on (c.baseNote + 12, c.velocity) }));
            EXPECT_LE (c.baseNote + 12, 127);
        }
    }

    TEST_F (ComputerKeyboardPianoTest, KeyUpStopsTheNoteItStartedWhateverTheOctaveAndVelocityBecame)
    {
        press ('A');
        tap ('X');
        tap ('C');
        press ('S'); // a note in the new octave, at the new velocity
        release ('A');
        release ('S');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (60), on (74, 84), off (60), off (74) }));

        press ('K');
        tap ('Z', 3);
        release ('K');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (84, 84), off (84) }));
        EXPECT_EQ (piano.getNumSoundingNotes(), 0);
    }

    TEST_F (ComputerKeyboardPianoTest, ANoteHeldByTwoKeysSoundsOnceAndStopsWithTheLastKey)
    {
        press ('K'); // 72
        tap ('X');
        press ('A'); // 72 again, from the other key
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (72) }));

        release ('K');
        EXPECT_TRUE (keys.take().empty());
        EXPECT_EQ (piano.getNumSoundingNotes(), 1);
        release ('A');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { off (72) }));
    }

    TEST_F (ComputerKeyboardPianoTest, RepeatedReadsOfHeldKeysSendNothingMore)
    {
        keys.down = { 'A', 'E', 'X' };
        EXPECT_TRUE (piano.updateKeyStates (keys.state()));
        const auto first = keys.take();
        EXPECT_EQ (first, (std::vector<Sent> { on (72), on (75) }));

        // Auto-repeat: the same keys read again and again.
        for (int i = 0; i < 20; ++i)
            EXPECT_FALSE (piano.updateKeyStates (keys.state()));
        EXPECT_TRUE (keys.take().empty());
        EXPECT_EQ (piano.getBaseNote(), 72); // the held X moved the octave once
    }

    TEST_F (ComputerKeyboardPianoTest, ReleaseAllStopsEveryNoteAndKeysPlayAgainWhenPressedAgain)
    {
        keys.down = { 'A', 'D', 'G' };
        piano.updateKeyStates (keys.state());
        keys.take();

        piano.releaseAll();
        EXPECT_EQ (keys.take(), (std::vector<Sent> { off (60), off (64), off (67) }));
        EXPECT_EQ (piano.getNumSoundingNotes(), 0);

        piano.releaseAll();
        EXPECT_TRUE (keys.take().empty());

        keys.down.clear();
        piano.updateKeyStates (keys.state());
        EXPECT_TRUE (keys.take().empty()); // no second note-off
        press ('D');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (64) }));
    }

    TEST_F (ComputerKeyboardPianoTest, KeysPressedWithAShortcutModifierAreIgnoredUntilPressedAgain)
    {
        keys.down = { 'S', 'X' }; // e.g. Ctrl+S, Ctrl+X
        EXPECT_FALSE (piano.updateKeyStates (keys.state(), true));
        EXPECT_FALSE (piano.updateKeyStates (keys.state(), false)); // modifier let go, keys still down
        EXPECT_TRUE (keys.take().empty());
        EXPECT_EQ (piano.getBaseNote(), 60);

        keys.down.clear();
        piano.updateKeyStates (keys.state());
        EXPECT_TRUE (keys.take().empty());
        press ('S');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (62) }));

        // A held note still stops while a modifier is down.
        keys.down.erase ('S');
        piano.updateKeyStates (keys.state(), true);
        EXPECT_EQ (keys.take(), (std::vector<Sent> { off (62) }));
    }

    //==========================================================================
    // The component side: key events, focus and text editors.
    class ComputerKeyboardInputTest : public testing::Test
    {
    protected:
        ComputerKeyboardInputTest()
        {
            target.addChildComponent (button);
            target.addChildComponent (textField);
            input.isKeyDown = keys.state();
            input.focusedComponent = [this] { return focused; };
            focused = &target;
        }

        void press (char key)
        {
            keys.down.insert (key);
            input.keyStateChanged (true, &target);
            input.keyPressed (juce::KeyPress (key - 'A' + 'a'), &target);
        }

        Keys keys;
        juce::Component target, outside;
        juce::TextButton button;
        juce::TextEditor textField;
        juce::Component* focused = nullptr;
        ComputerKeyboardInput input { target, keys.sink() };
    };

    TEST_F (ComputerKeyboardInputTest, KeyEventsPlayAndAutoRepeatSendsNothing)
    {
        EXPECT_TRUE (target.getWantsKeyboardFocus());

        press ('A');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (60) }));

        // Auto-repeat: more key presses, no state change.
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE (input.keyPressed (juce::KeyPress ('a'), &target));
        EXPECT_TRUE (keys.take().empty());

        // Keys that are not the piano's, or shortcuts, are left to others.
        EXPECT_FALSE (input.keyPressed (juce::KeyPress ('q'), &target));
        EXPECT_FALSE (input.keyPressed (juce::KeyPress ('s', juce::ModifierKeys::commandModifier, 0), &target));

        keys.down.erase ('A');
        EXPECT_TRUE (input.keyStateChanged (false, &target));
        EXPECT_EQ (keys.take(), (std::vector<Sent> { off (60) }));
    }

    TEST_F (ComputerKeyboardInputTest, FocusLeavingTheComponentReleasesEveryKey)
    {
        struct Case
        {
            const char* name;
            juce::Component* focus;
            bool releases;
        };
        const Case cases[] = {
            { "the component itself", &target, false },
            { "a child button", &button, false },
            { "a component elsewhere", &outside, true },
            { "a text editor inside", &textField, true },
            { "nothing (window deactivated)", nullptr, true },
        };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            press ('A');
            press ('G');
            keys.take();

            input.globalFocusChanged (c.focus);

            if (c.releases)
                EXPECT_EQ (keys.take(), (std::vector<Sent> { off (60), off (67) }));
            else
                EXPECT_TRUE (keys.take().empty());

            keys.down.clear();
            input.keyStateChanged (false, &target);
            keys.take();
            EXPECT_EQ (input.getPiano().getNumSoundingNotes(), 0);
        }
    }

    TEST_F (ComputerKeyboardInputTest, ATextEditorWithFocusKeepsItsKeys)
    {
        EXPECT_TRUE (ComputerKeyboardInput::isTextInput (&textField));
        EXPECT_FALSE (ComputerKeyboardInput::isTextInput (&button));
        EXPECT_FALSE (ComputerKeyboardInput::isTextInput (nullptr));

        focused = &textField;
        keys.down.insert ('A');
        EXPECT_FALSE (input.keyStateChanged (true, &target));
        EXPECT_FALSE (input.keyPressed (juce::KeyPress ('a'), &target));
        keys.down.insert ('X');
        EXPECT_FALSE (input.keyStateChanged (true, &target));
        keys.down.clear();
        EXPECT_FALSE (input.keyStateChanged (false, &target));
        EXPECT_TRUE (keys.take().empty());
        EXPECT_EQ (input.getPiano().getBaseNote(), 60);

        // A note held when a text editor takes the focus stops.
        focused = &target;
        press ('E');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (63) }));
        focused = &textField;
        keys.down.insert ('D'); // typed into the field
        input.keyStateChanged (true, &target);
        EXPECT_EQ (keys.take(), (std::vector<Sent> { off (63) }));

        // Back on the component, the piano plays again.
        focused = &target;
        keys.down.clear();
        input.keyStateChanged (false, &target);
        press ('D');
        EXPECT_EQ (keys.take(), (std::vector<Sent> { on (64) }));
    }

    TEST_F (ComputerKeyboardInputTest, GoingAwayStopsHeldNotes)
    {
        Keys k;
        juce::Component c;
        {
            ComputerKeyboardInput other { c, k.sink() };
            other.isKeyDown = k.state();
            other.focusedComponent = [&c] { return &c; };
            k.down = { 'A' };
            other.keyStateChanged (true, &c);
        }
        EXPECT_EQ (k.take(), (std::vector<Sent> { on (60), off (60) }));
    }

    //==========================================================================
    // Through the editor into the processor.
    class EditorComputerKeyboardTest : public rebondo::test::EditorFixture
    {
    protected:
        void runBlock()
        {
            midi.clear();
            processor.processBlock (audio, midi);
        }

        juce::AudioBuffer<float> audio { 2, 512 };
        juce::MidiBuffer midi;
    };

    TEST_F (EditorComputerKeyboardTest, KeysHeldOnTheEditorLaunchAndReleaseBalls)
    {
        prepare();
        createEditor();
        EXPECT_TRUE (editor->getWantsKeyboardFocus());

        std::set<int> down;
        auto& keyboard = editor->getComputerKeyboard();
        keyboard.isKeyDown = [&down] (int key) { return down.count (key) > 0; };
        keyboard.focusedComponent = [this] { return editor.get(); };

        down = { 'A', 'H' };
        keyboard.keyStateChanged (true, editor.get());
        runBlock();
        ASSERT_EQ (processor.balls.size(), 2u);
        for (auto* ball : processor.balls)
        {
            EXPECT_EQ (ball->inputChannel, 1);
            EXPECT_TRUE (ball->keyHeld);
        }
        EXPECT_EQ (processor.balls[0]->inputNote, 60);
        EXPECT_EQ (processor.balls[1]->inputNote, 69);
        EXPECT_FLOAT_EQ (processor.balls[0]->noteVelocity, 100.0f);

        down.erase ('A');
        keyboard.keyStateChanged (false, editor.get());
        runBlock();
        EXPECT_FALSE (processor.balls[0]->keyHeld);
        EXPECT_TRUE (processor.balls[1]->keyHeld);

        // Closing the editor with a key still down releases its ball.
        destroyEditor();
        runBlock();
        for (auto* ball : processor.balls)
            EXPECT_FALSE (ball->keyHeld);
    }
}
