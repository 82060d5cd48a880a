#include "Renderer.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char** argv)
{
    // The processor's parameter tree and world hand-over expect a message
    // manager, as in any host.
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    return rebondo::render::runCommandLine (args, std::cout);
}
