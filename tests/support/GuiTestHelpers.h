#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace rebondo::test
{
    // A mouse event at (x, y) in `component`'s coordinates.
    inline juce::MouseEvent mouseEventAt (juce::Component& component, float x, float y)
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { x, y },
                                 juce::ModifierKeys(), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                 &component, &component, now, { x, y }, now, 1, false);
    }

    // Runs the message loop for a while, or until `done` holds.
    inline bool dispatchUntil (std::function<bool()> done, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (juce::Time::getMillisecondCounter() < end)
        {
            if (done && done())
                return true;

            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        }

        return done && done();
    }

    inline void dispatchFor (int ms) { dispatchUntil (nullptr, ms); }

    // A real click: the button flips its own toggle state and runs onClick.
    inline void clickButton (juce::Button& button)
    {
        bool clicked = false;
        auto previous = button.onClick;
        button.onClick = [&clicked, previous]
        {
            clicked = true;
            if (previous)
                previous();
        };
        button.triggerClick();
        dispatchUntil ([&clicked] { return clicked; }, 2000);
        button.onClick = previous;
    }
}
