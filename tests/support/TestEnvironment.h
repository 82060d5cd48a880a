#pragma once

#include <juce_core/juce_core.h>

namespace rebondo::test
{
    // Points HOME (and the XDG folders) at a fresh temporary folder and
    // returns it.
    juce::File useTemporaryHome();

    // The temporary home set by useTemporaryHome.
    juce::File temporaryHome();

    // A fresh, empty home for one test; restored to the shared one on scope exit.
    class ScopedFreshHome
    {
    public:
        ScopedFreshHome();
        ~ScopedFreshHome();
        const juce::File& folder() const noexcept { return home; }

    private:
        juce::File previous, home;
    };
}
