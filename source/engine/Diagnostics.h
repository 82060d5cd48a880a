#pragma once

#include <juce_core/juce_core.h>

#include <iostream>

// A diagnostic line on standard error: the text, a newline, a flush.
inline void writeDiagnosticLine (const juce::String& text)
{
    std::cerr << text.toStdString() << '\n';
    std::cerr.flush();
}
