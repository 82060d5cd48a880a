#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace rebondo::test
{
    // A left-button mouse event on component at position, pressed at down.
    inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position,
                                          juce::Point<float> down, int clicks = 1)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position,
                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &component, &component, now, down, now, clicks, false };
    }

    inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position)
    {
        return mouseEventAt (component, position, position);
    }

    inline void pumpMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    // Runs the message loop until condition holds or timeoutMs has passed; a
    // busy machine may need more than one slice. Returns the condition.
    template <typename Condition>
    bool pumpUntil (Condition condition, int timeoutMs = 3000)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() >= end)
                return false;

            pumpMessages (10);
        }

        return true;
    }

    // Delivers every message posted so far: a marker posted now arrives after them.
    inline bool flushMessages()
    {
        auto delivered = std::make_shared<bool> (false);
        juce::MessageManager::callAsync ([delivered] { *delivered = true; });
        return pumpUntil ([delivered] { return *delivered; });
    }

    inline juce::Image snapshotOf (juce::Component& component)
    {
        juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
        juce::Graphics g (image);
        component.paintEntireComponent (g, true);
        return image;
    }
}
