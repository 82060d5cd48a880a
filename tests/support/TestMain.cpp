#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    // Before JUCE looks up any folder: nothing a test does may reach the
    // user's real home.
    rebondo::test::useTemporaryHome();

    testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
