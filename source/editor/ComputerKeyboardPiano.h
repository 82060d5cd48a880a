#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cstdint>
#include <functional>

// The computer keyboard as a piano: A W S E D F T G Y H U J K play C to the C
// an octave up, Z and X move the octave, C and V the velocity. It works from
// key states (down or up), so auto-repeat never plays a note twice, and each
// key remembers the note it started, so that its release stops that note
// whatever the octave has become since.
class ComputerKeyboardPiano
{
public:
    using MidiSink = std::function<void (const juce::MidiMessage&)>;

    static constexpr int midiChannel = 1;
    static constexpr int defaultBaseNote = 60; // A plays C4
    static constexpr int lowestBaseNote = 0;   // C-1
    static constexpr int highestBaseNote = 108; // C8; its top C is still a MIDI note
    static constexpr int defaultVelocity = 100;
    static constexpr int velocityStep = 16;
    static constexpr int numNoteKeys = 13;

    // The keys, upper case, in the order they are checked.
    static constexpr std::array<char, numNoteKeys> noteKeys { 'A', 'W', 'S', 'E', 'D', 'F', 'T', 'G', 'Y', 'H', 'U', 'J', 'K' };
    static constexpr char octaveDownKey = 'Z', octaveUpKey = 'X', velocityDownKey = 'C', velocityUpKey = 'V';

    explicit ComputerKeyboardPiano (MidiSink sink);

    // Semitones above the octave's C for a note key (either case), else -1.
    static int semitoneForKey (int keyCode) noexcept;
    // Note keys and the octave and velocity keys, either case.
    static bool isPianoKey (int keyCode) noexcept;

    // Compares the state of every piano key with the last one seen: keys gone
    // down start their note or move the octave or velocity, keys gone up stop
    // the note they started. With newPressesBlocked (a shortcut modifier is
    // held), keys going down are ignored until they are pressed again.
    // Returns true when a piano key changed state.
    bool updateKeyStates (const std::function<bool (int keyCode)>& isKeyDown, bool newPressesBlocked = false);

    // Stops every sounding note and forgets the held keys.
    void releaseAll();

    int getBaseNote() const noexcept { return baseNote; }
    int getVelocity() const noexcept { return velocity; }
    int getNumSoundingNotes() const noexcept;

private:
    void noteOn (int note);
    void noteOff (int note);

    MidiSink sink;
    int baseNote = defaultBaseNote;
    int velocity = defaultVelocity;

    // For each note key, the note it started, or -1.
    std::array<int, numNoteKeys> startedNotes;
    // Octave and velocity keys seen down: Z, X, C, V.
    std::array<bool, 4> controlKeysDown {};
    // Keys still down that went down while presses were blocked.
    std::array<bool, numNoteKeys + 4> ignoredUntilReleased {};
    // How many held keys sound each note: a note shared by two keys (after an
    // octave change) sounds once and stops with the last of them.
    std::array<uint8_t, 128> noteHolders {};
};

// Connects a ComputerKeyboardPiano to a component (the editor): key events
// reaching it, and its children's that they pass on, play the piano. Every
// note stops when the keyboard focus leaves the component and its children,
// or goes to a text editor, which keeps its keys. The component takes the
// focus when clicked and when it first appears.
class ComputerKeyboardInput : private juce::KeyListener,
                              private juce::FocusChangeListener,
                              private juce::ComponentListener
{
public:
    ComputerKeyboardInput (juce::Component& target, ComputerKeyboardPiano::MidiSink sink);
    ~ComputerKeyboardInput() override;

    static constexpr const char* tooltipText =
        "The computer keyboard plays: A W S E D F T G Y H U J K are C to C, Z / X octave down / up, C / V velocity down / up";

    // Replaceable for tests: the state of a key, and the focused component.
    std::function<bool (int keyCode)> isKeyDown;
    std::function<juce::Component*()> focusedComponent;

    // True when the focus is on a text editor, which takes the keys.
    static bool isTextInput (const juce::Component* focused) noexcept;

    // What the component's key and focus callbacks do.
    bool keyPressed (const juce::KeyPress&, juce::Component*) override;
    bool keyStateChanged (bool keyGoingDown, juce::Component*) override;
    void globalFocusChanged (juce::Component* focused) override;

    ComputerKeyboardPiano& getPiano() noexcept { return piano; }

private:
    void componentVisibilityChanged (juce::Component&) override;
    void componentParentHierarchyChanged (juce::Component&) override;
    void grabFocusWhenShown();

    juce::Component& target;
    ComputerKeyboardPiano piano;
    bool focusTakenOnce = false;

    JUCE_DECLARE_NON_COPYABLE (ComputerKeyboardInput)
};
