#include "ComputerKeyboardPiano.h"

#include <utility>

namespace
{
    int upperCase (int keyCode) noexcept
    {
        return (keyCode >= 'a' && keyCode <= 'z') ? keyCode - 'a' + 'A' : keyCode;
    }

    constexpr std::array<char, 4> controlKeys { ComputerKeyboardPiano::octaveDownKey, ComputerKeyboardPiano::octaveUpKey,
                                                ComputerKeyboardPiano::velocityDownKey, ComputerKeyboardPiano::velocityUpKey };
}

//==============================================================================
ComputerKeyboardPiano::ComputerKeyboardPiano (MidiSink s)
    : sink (std::move (s))
{
    startedNotes.fill (-1);
}

int ComputerKeyboardPiano::semitoneForKey (int keyCode) noexcept
{
    const int key = upperCase (keyCode);
    for (size_t i = 0; i < noteKeys.size(); ++i)
        if (noteKeys[i] == key)
            return (int) i;
    return -1;
}

bool ComputerKeyboardPiano::isPianoKey (int keyCode) noexcept
{
    const int key = upperCase (keyCode);
    for (auto c : controlKeys)
        if (c == key)
            return true;
    return semitoneForKey (key) >= 0;
}

bool ComputerKeyboardPiano::updateKeyStates (const std::function<bool (int)>& isKeyDown, bool newPressesBlocked)
{
    bool changed = false;

    // Whether the key at this index went down now and may act.
    auto pressedNow = [&] (size_t index, bool wasDown, bool down)
    {
        if (! down)
        {
            ignoredUntilReleased[index] = false;
            return false;
        }
        if (wasDown || ignoredUntilReleased[index])
            return false;
        if (newPressesBlocked)
        {
            ignoredUntilReleased[index] = true;
            return false;
        }
        return true;
    };

    // Octave and velocity first, so that keys pressed together with them
    // play in the new octave and velocity.
    for (size_t i = 0; i < controlKeys.size(); ++i)
    {
        const bool down = isKeyDown (controlKeys[i]);
        const bool wasDown = controlKeysDown[i];
        const bool acts = pressedNow (numNoteKeys + i, wasDown, down);
        controlKeysDown[i] = down && (wasDown || acts);

        if (! acts)
            continue;

        changed = true;
        switch (controlKeys[i])
        {
            case octaveDownKey:   baseNote = juce::jmax (lowestBaseNote, baseNote - 12); break;
            case octaveUpKey:     baseNote = juce::jmin (highestBaseNote, baseNote + 12); break;
            case velocityDownKey: velocity = juce::jmax (1, velocity - velocityStep); break;
            case velocityUpKey:   velocity = juce::jmin (127, velocity + velocityStep); break;
            default: break;
        }
    }

    for (size_t i = 0; i < noteKeys.size(); ++i)
    {
        const bool down = isKeyDown (noteKeys[i]);
        const bool wasDown = startedNotes[i] >= 0;

        if (wasDown && ! down)
        {
            noteOff (std::exchange (startedNotes[i], -1));
            changed = true;
        }

        if (pressedNow (i, wasDown, down))
        {
            startedNotes[i] = baseNote + (int) i;
            noteOn (startedNotes[i]);
            changed = true;
        }
    }

    return changed;
}

void ComputerKeyboardPiano::releaseAll()
{
    for (auto& note : startedNotes)
        if (note >= 0)
            noteOff (std::exchange (note, -1));

    controlKeysDown.fill (false);
    ignoredUntilReleased.fill (false);
}

int ComputerKeyboardPiano::getNumSoundingNotes() const noexcept
{
    int count = 0;
    for (auto holders : noteHolders)
        count += holders > 0 ? 1 : 0;
    return count;
}

void ComputerKeyboardPiano::noteOn (int note)
{
    if (noteHolders[(size_t) note]++ == 0 && sink)
        sink (juce::MidiMessage::noteOn (midiChannel, note, (juce::uint8) velocity));
}

void ComputerKeyboardPiano::noteOff (int note)
{
    auto& holders = noteHolders[(size_t) note];
    if (holders == 0)
        return;
    if (--holders == 0 && sink)
        sink (juce::MidiMessage::noteOff (midiChannel, note));
}

//==============================================================================
ComputerKeyboardInput::ComputerKeyboardInput (juce::Component& t, ComputerKeyboardPiano::MidiSink sink)
    : isKeyDown ([] (int keyCode) { return juce::KeyPress::isKeyCurrentlyDown (keyCode); }),
      focusedComponent ([] { return juce::Component::getCurrentlyFocusedComponent(); }),
      target (t),
      piano (std::move (sink))
{
    target.setWantsKeyboardFocus (true);
    target.addKeyListener (this);
    target.addComponentListener (this);
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

ComputerKeyboardInput::~ComputerKeyboardInput()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
    target.removeComponentListener (this);
    target.removeKeyListener (this);
    piano.releaseAll();
}

bool ComputerKeyboardInput::isTextInput (const juce::Component* focused) noexcept
{
    return dynamic_cast<const juce::TextEditor*> (focused) != nullptr;
}

bool ComputerKeyboardInput::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (isTextInput (focusedComponent()))
        return false;

    const auto modifiers = key.getModifiers();
    if (modifiers.isCommandDown() || modifiers.isCtrlDown() || modifiers.isAltDown())
        return false;

    // Auto-repeat arrives here too; the key states decide what plays.
    if (! ComputerKeyboardPiano::isPianoKey (key.getKeyCode()))
        return false;

    piano.updateKeyStates (isKeyDown);
    return true;
}

bool ComputerKeyboardInput::keyStateChanged (bool, juce::Component*)
{
    if (isTextInput (focusedComponent()))
    {
        piano.releaseAll();
        return false;
    }

    const auto modifiers = juce::ModifierKeys::currentModifiers;
    const bool shortcut = modifiers.isCommandDown() || modifiers.isCtrlDown() || modifiers.isAltDown();
    return piano.updateKeyStates (isKeyDown, shortcut);
}

void ComputerKeyboardInput::globalFocusChanged (juce::Component* focused)
{
    const bool insideTarget = focused != nullptr && (focused == &target || target.isParentOf (focused));
    if (! insideTarget || isTextInput (focused))
        piano.releaseAll();

    // A window that becomes active focuses itself, and its keys would never
    // reach the component inside: pass the focus on.
    if (focused != nullptr && focused->isParentOf (&target) && target.isShowing())
        target.grabKeyboardFocus();
}

void ComputerKeyboardInput::componentVisibilityChanged (juce::Component&)
{
    grabFocusWhenShown();
}

void ComputerKeyboardInput::componentParentHierarchyChanged (juce::Component&)
{
    grabFocusWhenShown();
}

void ComputerKeyboardInput::grabFocusWhenShown()
{
    if (focusTakenOnce || (target.getParentComponent() == nullptr && ! target.isOnDesktop()))
        return;

    focusTakenOnce = true;

    // Later, once the window holding the component is on screen.
    juce::MessageManager::callAsync ([safeTarget = juce::Component::SafePointer<juce::Component> (&target)]
    {
        if (auto* c = safeTarget.getComponent())
            if (c->isShowing() && ! c->hasKeyboardFocus (true))
                c->grabKeyboardFocus();
    });
}
