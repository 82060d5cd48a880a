#pragma once

#include <array>
#include <cstddef>

// The documents compiled into the program: the thirteen factory presets and
// the factory pattern list. Each is the complete text of the file written out
// on first use.
namespace FactoryContent
{
    struct Document
    {
        const char* name; // the preset name; the file is name + ".xml"
        const char* data;
        size_t size;
    };

    // In the order they are written out; "Default" comes first.
    const std::array<Document, 13>& presets();

    // The embedded "Default" preset.
    const Document& defaultPreset();

    // The seed of user.patterns.
    Document patternList();
}
