#include "PatternManager.h"

#include "FactoryContent.h"
#include "XmlFiles.h"
#include "engine/Diagnostics.h"

#include <limits>

//==============================================================================
juce::String PatternManager::stepsToText (const std::vector<int>& steps)
{
    juce::StringArray pieces;
    for (auto step : steps)
        pieces.add (juce::String (step));
    return pieces.joinIntoString (",");
}

int PatternManager::parseLeadingInt (const juce::String& text)
{
    auto p = text.getCharPointer();

    while (p.isWhitespace())
        ++p;

    bool negative = false;
    if (*p == '-' || *p == '+')
    {
        negative = *p == '-';
        ++p;
    }

    juce::int64 value = 0;
    constexpr juce::int64 limit = (juce::int64) std::numeric_limits<int>::max() + 1;

    while (*p >= '0' && *p <= '9')
    {
        value = juce::jmin (limit, value * 10 + (juce::int64) (*p - '0'));
        ++p;
    }

    if (negative)
        value = -value;

    return (int) juce::jlimit ((juce::int64) std::numeric_limits<int>::min(),
                               (juce::int64) std::numeric_limits<int>::max(), value);
}

std::vector<int> PatternManager::parseLibrarySteps (const juce::String& text)
{
    std::vector<int> steps;

    if (text.isEmpty())
        return steps;

    int start = 0;
    for (;;)
    {
        const int comma = text.indexOfChar (start, ',');
        const auto piece = text.substring (start, comma < 0 ? text.length() : comma).trim();
        const int value = parseLeadingInt (piece);

        if (value == rest || (value >= minStep && value <= maxStep))
        {
            steps.push_back (value);
            if ((int) steps.size() >= maxSteps)
                break;
        }

        if (comma < 0)
            break;

        start = comma + 1;
    }

    return steps;
}

//==============================================================================
int PatternManager::indexOf (const juce::String& name) const
{
    const auto wanted = name.trim();

    for (size_t i = 0; i < patterns.size(); ++i)
        if (patterns[i].name.equalsIgnoreCase (wanted))
            return (int) i;

    return -1;
}

const PatternDefinition* PatternManager::findPatternByName (const juce::String& name) const
{
    const int index = indexOf (name);
    return index < 0 ? nullptr : &patterns[(size_t) index];
}

std::vector<PatternDefinition> PatternManager::parsePatternList (const void* data, size_t numBytes)
{
    std::vector<PatternDefinition> list;

    const auto xml = XmlFiles::parseText (data, numBytes);
    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase ("PATTERNS"))
        return list;

    for (auto* child : xml->getChildIterator())
    {
        if (! child->getTagName().equalsIgnoreCase ("PATTERN"))
            continue;

        PatternDefinition definition;
        definition.name = child->getStringAttribute ("name").trim();
        definition.steps = parseLibrarySteps (child->getStringAttribute ("steps"));

        if (definition.name.isNotEmpty() && ! definition.steps.empty())
            list.push_back (std::move (definition));
    }

    return list;
}

void PatternManager::loadPatternsFromDisk()
{
    patterns.clear();
    writeDiagnosticLine ("Loading patterns from: " + patternFile.getFullPathName());

    if (patternFile == juce::File() || ! patternFile.existsAsFile())
        return;

    juce::MemoryBlock bytes;
    if (patternFile.getSize() > (juce::int64) XmlFiles::maxDocumentBytes || ! patternFile.loadFileAsData (bytes))
        return;

    patterns = parsePatternList (bytes.getData(), bytes.getSize());
}

bool PatternManager::savePatternsToDisk()
{
    if (patternFile == juce::File())
        return false;

    juce::XmlElement root ("PATTERNS");
    root.setAttribute ("version", 1);

    for (const auto& pattern : patterns)
    {
        auto* child = root.createNewChildElement ("PATTERN");
        child->setAttribute ("name", pattern.name);
        child->setAttribute ("steps", stepsToText (pattern.steps));
    }

    const auto folder = patternFile.getParentDirectory();
    if (! folder.isDirectory())
        folder.createDirectory();

    return XmlFiles::write (root, patternFile);
}

bool PatternManager::addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite)
{
    const auto trimmed = name.trim();
    if (trimmed.isEmpty() || steps.empty())
        return false;

    const int existing = indexOf (trimmed);

    if (existing < 0)
        patterns.push_back ({ trimmed, steps });
    else if (overwrite)
        patterns[(size_t) existing].steps = steps;
    else
        return false;

    return savePatternsToDisk();
}

bool PatternManager::renamePattern (const juce::String& oldName, const juce::String& newName)
{
    const auto trimmed = newName.trim();
    if (trimmed.isEmpty())
        return false;

    const int source = indexOf (oldName);
    if (source < 0)
        return false;

    const int clash = indexOf (trimmed);
    if (clash >= 0 && clash != source)
        return false;

    patterns[(size_t) source].name = trimmed;
    return savePatternsToDisk();
}

bool PatternManager::deletePattern (const juce::String& name)
{
    const int index = indexOf (name);
    if (index < 0)
        return false;

    patterns.erase (patterns.begin() + index);
    return savePatternsToDisk();
}

void PatternManager::initialise (const juce::File& presetFolder)
{
    bool folderReady = presetFolder.isDirectory();

    if (! folderReady)
    {
        folderReady = presetFolder.createDirectory().wasOk() && presetFolder.isDirectory();
        if (! folderReady)
            writeDiagnosticLine ("Failed to create preset folder: " + presetFolder.getFullPathName());
    }

    const auto file = presetFolder.getChildFile ("user.patterns");

    if (folderReady && ! file.exists())
    {
        const auto factory = FactoryContent::patternList();
        if (! XmlFiles::write (factory.data, factory.size, file))
            writeDiagnosticLine ("Failed to initialise user patterns: " + file.getFullPathName());
    }

    patternFile = file;
    loadPatternsFromDisk();
}
