#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace rebondo::test
{
    // A left-button mouse event at a position in the component's coordinates,
    // to hand to its mouse handlers directly.
    inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position)
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position,
                                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1, false);
    }
}
