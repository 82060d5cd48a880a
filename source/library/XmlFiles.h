#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// Reading and writing the program's XML files (presets, pattern library,
// host state) so that hostile or damaged input can neither crash the parser
// nor leave a half-written file behind.
namespace XmlFiles
{
    // Files and blobs larger than this are refused unread.
    inline constexpr size_t maxDocumentBytes = 4 * 1024 * 1024;

    // Parses UTF-8 text (up to the first zero byte). Returns null for text
    // that is not valid UTF-8, carries a DTD, nests too deeply or is not
    // well-formed XML.
    std::unique_ptr<juce::XmlElement> parseText (const void* data, size_t numBytes);

    // Writes the document with the default text format into a temporary file
    // beside the target, then moves it over the target: a failed write leaves
    // the previous file as it was.
    bool write (const juce::XmlElement& xml, const juce::File& target);

    // The same for raw bytes.
    bool write (const void* data, size_t numBytes, const juce::File& target);
}
