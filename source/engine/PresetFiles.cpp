// The processor's preset files, factory content and host state.

#include "PluginProcessor.h"

#include "Diagnostics.h"
#include "library/FactoryContent.h"
#include "library/XmlFiles.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace
{
    // A decimal number at the start of the text, as C reads it but whatever
    // the locale, saturating to infinity instead of overflowing (JUCE's own
    // reader overflows an int on long digit strings). No number gives 0.
    double parseDecimal (const juce::String& text)
    {
        const auto utf8 = text.trimStart().toStdString();
        const char* first = utf8.c_str();
        const char* last = first + utf8.size();
        if (first != last && *first == '+')
            ++first;

        double value = 0.0;
        const auto error = std::from_chars (first, last, value).ec;
        if (error == std::errc::result_out_of_range)
        {
            const std::string_view rest (first, (size_t) (last - first));
            if (rest.find ("e-") != std::string_view::npos || rest.find ("E-") != std::string_view::npos)
                return 0.0;
            return *first == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        }
        return error == std::errc() ? value : 0.0;
    }
}


namespace
{
    // Written to a preset in this order; root_key, scale and panic never are.
    const char* const presetParameterIDs[] = {
        ParameterIDs::bounce, ParameterIDs::decay, ParameterIDs::velocity, ParameterIDs::gravity,
        ParameterIDs::time, ParameterIDs::arpType, ParameterIDs::dynamic, ParameterIDs::collision,
        ParameterIDs::maxBounces, ParameterIDs::mod, ParameterIDs::mono, ParameterIDs::decayAfterRelease,
        ParameterIDs::bottomWidth, ParameterIDs::topWidth, ParameterIDs::launchPos
    };

    const juce::String startingPatternName { "Major Triad Oct" };

    bool hasXmlExtension (const juce::String& name)
    {
        return name.endsWithIgnoreCase (".xml");
    }

    juce::String presetFileName (const juce::String& presetName)
    {
        return hasXmlExtension (presetName) ? presetName : presetName + ".xml";
    }

    // Creates the folder when it is not a directory yet; reports a failure.
    bool ensureFolder (const juce::File& folder)
    {
        if (folder.isDirectory())
            return true;

        if (folder.createDirectory().wasOk() && folder.isDirectory())
            return true;

        writeDiagnosticLine ("Failed to create preset folder: " + folder.getFullPathName());
        return false;
    }

    bool isControlCharacter (juce::juce_wchar c)
    {
        return c < 0x20 || (c >= 0x7f && c <= 0x9f);
    }

    // The parameter element of a preset document.
    const juce::XmlElement& parameterElementOf (const juce::XmlElement& root)
    {
        if (root.getTagName().equalsIgnoreCase ("PARAMETERS"))
            return root;

        for (auto* child : root.getChildIterator())
            if (child->getTagName().equalsIgnoreCase ("PARAMETERS"))
                return *child;

        return root;
    }

    const PatternDefinition* findExactName (const std::vector<PatternDefinition>& library, const juce::String& name)
    {
        for (const auto& pattern : library)
            if (pattern.name == name)
                return &pattern;
        return nullptr;
    }

    const PatternDefinition* findSameSteps (const std::vector<PatternDefinition>& library, const std::vector<int>& steps)
    {
        for (const auto& pattern : library)
            if (pattern.steps == steps)
                return &pattern;
        return nullptr;
    }
}

//==============================================================================
juce::File CaromelAudioProcessor::getPresetFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
        .getChildFile ("Audio")
        .getChildFile ("Presets")
        .getChildFile ("Orvanta")
        .getChildFile ("Rebondo");
}

bool CaromelAudioProcessor::isValidPresetName (const juce::String& presetName)
{
    const auto trimmed = presetName.trim();

    if (trimmed.isEmpty() || trimmed == "." || trimmed == "..")
        return false;

    if (presetName.containsAnyOf ("/\\"))
        return false;

    for (auto p = presetName.getCharPointer(); ! p.isEmpty(); ++p)
        if (isControlCharacter (*p))
            return false;

    return true;
}

juce::File CaromelAudioProcessor::getPresetFile (const juce::String& presetName)
{
    if (! isValidPresetName (presetName))
        return {};

    // Built from the full path rather than through getChildFile, which reads
    // a leading "~" as someone's home folder.
    const auto folder = getPresetFolder();
    const juce::File file (folder.getFullPathName() + juce::File::getSeparatorString() + presetFileName (presetName));

    return file.getParentDirectory() == folder ? file : juce::File();
}

juce::String CaromelAudioProcessor::presetNameWithoutExtension (const juce::String& name)
{
    return hasXmlExtension (name) ? name.dropLastCharacters (4) : name;
}

//==============================================================================
void CaromelAudioProcessor::setXmlParameterValue (juce::XmlElement& presetXml, const juce::String& parameterId, float value)
{
    for (auto* child : presetXml.getChildIterator())
    {
        if (child->getTagName().equalsIgnoreCase ("PARAM") && child->getStringAttribute ("id") == parameterId)
        {
            child->setAttribute ("value", (double) value);
            return;
        }
    }

    auto* child = presetXml.createNewChildElement ("PARAM");
    child->setAttribute ("id", parameterId);
    child->setAttribute ("value", (double) value);
}

std::vector<int> CaromelAudioProcessor::patternStringToVector (const juce::String& stepsText)
{
    std::vector<int> steps;

    int start = 0;
    for (;;)
    {
        const int comma = stepsText.indexOfChar (start, ',');
        const auto piece = stepsText.substring (start, comma < 0 ? stepsText.length() : comma).trim();

        if (piece.isNotEmpty())
            steps.push_back (PatternManager::parseLeadingInt (piece));

        if (comma < 0)
            return steps;

        start = comma + 1;
    }
}

bool CaromelAudioProcessor::savePresetToFile (const juce::String& presetName, juce::Colour colourToStore)
{
    if (! isValidPresetName (presetName))
    {
        writeDiagnosticLine ("Invalid preset name: " + presetName);
        return false;
    }

    juce::XmlElement preset ("PARAMETERS");
    {
        const std::lock_guard<std::mutex> lock (patternLock);
        preset.setAttribute ("pattern_name", currentPatternName);
        preset.setAttribute ("pattern_steps", PatternManager::stepsToText (currentPatternSteps));
    }
    preset.setAttribute ("ui_colour", colourToStore.toString());
    preset.setAttribute ("note_mask", noteMask.load());
    preset.setAttribute ("root", noteSetRoot);
    preset.setAttribute ("scale", noteSetScale);

    for (auto* id : presetParameterIDs)
        if (auto* value = parameters.getRawParameterValue (id))
            setXmlParameterValue (preset, id, value->load());

    const auto folder = getPresetFolder();
    if (! ensureFolder (folder))
        return false;

    const auto target = getPresetFile (presetName);
    if (! XmlFiles::write (preset, target))
    {
        writeDiagnosticLine ("Failed to write preset file to disk: " + target.getFullPathName());
        return false;
    }

    return true;
}

void CaromelAudioProcessor::applyPresetXmlParameters (const juce::XmlElement& presetXml)
{
    for (auto* child : presetXml.getChildIterator())
    {
        if (! child->getTagName().equalsIgnoreCase ("PARAM"))
            continue;

        const auto id = child->getStringAttribute ("id");
        if (id.isEmpty() || ! child->hasAttribute ("value"))
            continue;

        auto* parameter = parameters.getParameter (id);
        if (parameter == nullptr)
        {
            writeDiagnosticLine ("Preset parameter not found: " + id);
            continue;
        }

        const double read = parseDecimal (child->getStringAttribute ("value"));
        if (std::isnan (read))
            continue;

        constexpr double floatLimit = (double) std::numeric_limits<float>::max();
        const auto value = (float) juce::jlimit (-floatLimit, floatLimit, read);

        const auto& range = parameter->getNormalisableRange();
        const float normalised = parameter->convertTo0to1 (juce::jlimit (range.start, range.end, value));

        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (normalised);
        parameter->endChangeGesture();

        writeDiagnosticLine ("Loaded param: " + id + " = " + juce::String (value));
    }
}

//==============================================================================
CaromelAudioProcessor::PresetLoadResult CaromelAudioProcessor::loadPresetByName (const juce::String& presetName)
{
    PresetLoadResult result;

    const auto file = getPresetFile (presetName);
    if (file == juce::File() || ! file.existsAsFile())
    {
        const auto shownPath = file == juce::File()
            ? getPresetFolder().getFullPathName() + juce::File::getSeparatorString() + presetFileName (presetName)
            : file.getFullPathName();
        writeDiagnosticLine ("Preset file not found: " + shownPath);
        return result;
    }

    juce::MemoryBlock bytes;
    if (file.getSize() > (juce::int64) XmlFiles::maxDocumentBytes || ! file.loadFileAsData (bytes))
    {
        writeDiagnosticLine ("Could not parse preset XML: " + file.getFullPathName());
        return result;
    }

    return loadPresetDocument (presetName, bytes.getData(), bytes.getSize(), file.getFullPathName());
}

CaromelAudioProcessor::PresetLoadResult CaromelAudioProcessor::loadPresetDocument (const juce::String& presetName,
                                                                                   const void* data, size_t numBytes,
                                                                                   const juce::String& sourcePath)
{
    PresetLoadResult result;

    const auto document = XmlFiles::parseText (data, numBytes);
    if (document == nullptr)
    {
        writeDiagnosticLine ("Could not parse preset XML: " + sourcePath);
        return result;
    }

    const auto& preset = parameterElementOf (*document);

    const auto colourText = preset.getStringAttribute ("ui_colour");
    if (colourText.isNotEmpty())
        uiColour = juce::Colour::fromString (colourText);

    const bool hasNoteMask = preset.hasAttribute ("note_mask");
    const int readMask = hasNoteMask ? (PatternManager::parseLeadingInt (preset.getStringAttribute ("note_mask")) & 0xFFF) : 0xFFF;

    auto patternText = preset.getStringAttribute ("pattern_steps");
    if (patternText.isEmpty())
        patternText = preset.getStringAttribute ("pattern_degrees");
    const auto patternName = preset.getStringAttribute ("pattern_name");

    juce::String resolvedName;
    std::vector<int> resolvedSteps;
    const auto& library = patternManager.getPatterns();

    if (const auto* named = patternName.isNotEmpty() ? findExactName (library, patternName) : nullptr)
    {
        resolvedName = named->name;
        resolvedSteps = named->steps;
    }
    else if (patternText.isNotEmpty())
    {
        resolvedSteps = patternStringToVector (patternText);

        if (const auto* same = findSameSteps (library, resolvedSteps); same != nullptr && ! resolvedSteps.empty())
        {
            resolvedName = same->name;
            resolvedSteps = same->steps;
        }
        else
        {
            resolvedName = patternName.isNotEmpty() ? patternName : juce::String ("Custom");
        }
    }

    applyPresetXmlParameters (preset);

    if (hasNoteMask)
    {
        const int previous = noteMask.load() & 0xFFF;
        noteMask = readMask <= 1 ? 1 : readMask;
        noteSetCustom = readMask != previous;
    }
    else
    {
        noteSetCustom = false;
    }

    if (! resolvedSteps.empty())
    {
        {
            const std::lock_guard<std::mutex> lock (patternLock);
            currentPatternName = resolvedName;
            currentPatternSteps = resolvedSteps;
        }
        result.patternChanged = true;
        writeDiagnosticLine ("Loaded preset pattern: " + resolvedName + " steps: " + patternText);
    }

    updatePanicMode (false);
    applyEngineSettingsAfterPresetLoad();

    currentPresetName = presetNameWithoutExtension (presetName);
    result.loaded = true;
    return result;
}

void CaromelAudioProcessor::applyEngineSettingsAfterPresetLoad()
{
    if (auto* collision = parameters.getRawParameterValue (ParameterIDs::collision))
        setCollisionEnabled (collision->load() > 0.5f);

    if (auto* mono = parameters.getRawParameterValue (ParameterIDs::mono))
        monoMode = mono->load() > 0.5f;

    const float widestFunnel = PhysicsWorld::maxWidth();

    if (auto* top = parameters.getRawParameterValue (ParameterIDs::topWidth))
    {
        topWidth = juce::jlimit (0.5f, widestFunnel, top->load());
        funnelGeometryDirty = true;
    }

    if (auto* bottom = parameters.getRawParameterValue (ParameterIDs::bottomWidth))
    {
        bottomWidth = juce::jlimit (0.5f, widestFunnel, bottom->load());
        funnelGeometryDirty = true;
    }

    if (auto* launch = parameters.getParameter (ParameterIDs::launchPos))
    {
        const float position = juce::jlimit (0.0f, 1.0f, launch->convertFrom0to1 (launch->getValue()));
        launch->setValueNotifyingHost (launch->convertTo0to1 (position));
    }
}

//==============================================================================
void CaromelAudioProcessor::deployFactoryPresets()
{
    const auto folder = getPresetFolder();
    if (! ensureFolder (folder))
        return;

    for (const auto& preset : FactoryContent::presets())
    {
        const auto file = folder.getChildFile (presetFileName (preset.name));

        if (file.exists())
            continue;

        if (! XmlFiles::write (preset.data, preset.size, file))
            writeDiagnosticLine ("Failed to deploy factory preset: " + file.getFullPathName());
    }
}

void CaromelAudioProcessor::seedParametersFromDefaultPreset()
{
    const auto& preset = FactoryContent::defaultPreset();
    const auto xml = XmlFiles::parseText (preset.data, preset.size);

    if (xml == nullptr)
        return;

    const auto tree = juce::ValueTree::fromXml (*xml);
    if (tree.hasType (parameters.state.getType()))
        parameters.replaceState (tree);
}

void CaromelAudioProcessor::chooseStartingPattern()
{
    if (const auto* pattern = patternManager.findPatternByName (startingPatternName))
        setCurrentPattern (pattern->name, pattern->steps);
    else
        setCurrentPattern (startingPatternName, { 0, 4, 7, 12 });
}

//==============================================================================
void CaromelAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // copyState flushes the parameter values into the tree under its lock.
    if (auto xml = parameters.copyState().createXml())
        copyXmlToBinary (*xml, destData);
}

void CaromelAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // The layout of copyXmlToBinary: "VC2!", a little-endian length, the text.
    constexpr uint32_t magic = 0x21324356;

    if (data == nullptr || sizeInBytes < 9)
        return;

    if (juce::ByteOrder::littleEndianInt (data) != magic)
        return;

    const auto statedLength = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
    if (statedLength <= 0)
        return;

    const auto length = (size_t) juce::jmin (sizeInBytes - 8, statedLength);
    const auto xml = XmlFiles::parseText (juce::addBytesToPointer (data, 8), length);

    if (xml != nullptr && xml->getTagName().equalsIgnoreCase (parameters.state.getType().toString()))
        applyPresetXmlParameters (*xml);
}
