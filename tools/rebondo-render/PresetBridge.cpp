#include "PresetBridge.h"

#include "engine/Diagnostics.h"
#include "engine/PluginProcessor.h"

#include <cstdlib>

namespace rebondo::render
{
    namespace
    {
        int parseLeadingInt (const juce::String& text)
        {
            return std::atoi (text.toRawUTF8());
        }

        std::vector<int> parseSteps (const juce::String& text)
        {
            std::vector<int> steps;
            juce::StringArray pieces;
            pieces.addTokens (text, ",", {});
            for (auto piece : pieces)
            {
                piece = piece.trim();
                if (piece.isNotEmpty())
                    steps.push_back (parseLeadingInt (piece));
            }
            return steps;
        }

        juce::String withXmlExtension (const juce::String& name)
        {
            return name.endsWithIgnoreCase (".xml") ? name : name + ".xml";
        }

        const juce::XmlElement& parameterElement (const juce::XmlElement& document)
        {
            if (document.getTagName().equalsIgnoreCase ("PARAMETERS"))
                return document;
            for (auto* child : document.getChildIterator())
                if (child->getTagName().equalsIgnoreCase ("PARAMETERS"))
                    return *child;
            return document;
        }

        float realValueOf (juce::AudioProcessorValueTreeState& parameters, const char* id, float fallback)
        {
            if (auto* value = parameters.getRawParameterValue (id))
                return value->load();
            return fallback;
        }

        void applyParameterChildren (CaromelAudioProcessor& processor, const juce::XmlElement& element)
        {
            for (auto* child : element.getChildIterator())
            {
                if (! child->getTagName().equalsIgnoreCase ("PARAM"))
                    continue;

                const auto id = child->getStringAttribute ("id");
                if (id.isEmpty() || ! child->hasAttribute ("value"))
                    continue;

                auto* parameter = processor.parameters.getParameter (id);
                if (parameter == nullptr)
                {
                    writeDiagnosticLine ("Preset parameter not found: " + id);
                    continue;
                }

                const auto realValue = (float) child->getDoubleAttribute ("value");
                parameter->beginChangeGesture();
                parameter->setValueNotifyingHost (parameter->convertTo0to1 (realValue));
                parameter->endChangeGesture();
                writeDiagnosticLine ("Loaded param: " + id + " = " + juce::String (realValue));
            }
        }

        struct ResolvedPattern
        {
            bool found = false;
            juce::String name;
            std::vector<int> steps;
        };

        ResolvedPattern resolvePattern (const juce::String& name, const juce::String& stepsText,
                                        const std::vector<PatternDefinition>& library)
        {
            if (name.isNotEmpty())
                for (const auto& entry : library)
                    if (entry.name == name)
                        return { true, entry.name, entry.steps };

            if (stepsText.isEmpty())
                return {};

            const auto steps = parseSteps (stepsText);
            if (steps.empty())
                return {};

            for (const auto& entry : library)
                if (entry.steps == steps)
                    return { true, entry.name, entry.steps };

            return { true, name.isNotEmpty() ? name : juce::String ("Custom"), steps };
        }
    }

    juce::File presetFolder()
    {
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
            .getChildFile ("Audio").getChildFile ("Presets").getChildFile ("Orvanta").getChildFile ("Rebondo");
    }

    juce::File resolvePresetFile (const juce::String& nameOrPath)
    {
        if (nameOrPath.trim().isEmpty())
            return {};

        // Anything that names an existing file is taken as a path.
        const auto asPath = juce::File::getCurrentWorkingDirectory().getChildFile (nameOrPath);
        if (asPath.existsAsFile())
            return asPath;

        // A name never holds a folder separator, so such an argument is a
        // path that does not exist.
        if (nameOrPath.containsChar ('/'))
            return {};

        const auto inFolder = presetFolder().getChildFile (withXmlExtension (nameOrPath));
        return inFolder.existsAsFile() ? inFolder : juce::File();
    }

    std::vector<PatternDefinition> readPatternLibrary (const juce::File& file)
    {
        std::vector<PatternDefinition> library;
        if (! file.existsAsFile())
            return library;

        const auto root = juce::XmlDocument::parse (file);
        if (root == nullptr || ! root->getTagName().equalsIgnoreCase ("PATTERNS"))
            return library;

        for (auto* child : root->getChildIterator())
        {
            if (! child->getTagName().equalsIgnoreCase ("PATTERN"))
                continue;

            PatternDefinition entry;
            entry.name = child->getStringAttribute ("name").trim();

            const auto text = child->getStringAttribute ("steps");
            juce::StringArray pieces;
            if (text.isNotEmpty())
                pieces.addTokens (text, ",", {});

            for (const auto& piece : pieces)
            {
                const int value = parseLeadingInt (piece.trim());
                if (value == -99 || (value >= PatternManager::minStep && value <= PatternManager::maxStep))
                    entry.steps.push_back (value);
                if ((int) entry.steps.size() >= PatternManager::maxSteps)
                    break;
            }

            if (entry.name.isNotEmpty() && ! entry.steps.empty())
                library.push_back (std::move (entry));
        }

        return library;
    }

    const PatternDefinition* findPattern (const std::vector<PatternDefinition>& library, const juce::String& name)
    {
        const auto wanted = name.trim();
        for (const auto& entry : library)
            if (entry.name.equalsIgnoreCase (wanted))
                return &entry;
        return nullptr;
    }

    void applyPresetDocument (CaromelAudioProcessor& processor, const juce::XmlElement& document,
                              const juce::String& presetName, const std::vector<PatternDefinition>& library)
    {
        const auto& element = parameterElement (document);

        const auto colourText = element.getStringAttribute ("ui_colour");
        if (colourText.isNotEmpty())
            processor.uiColour = juce::Colour::fromString (colourText);

        const bool hasNoteMask = element.hasAttribute ("note_mask");
        const int readMask = hasNoteMask ? (parseLeadingInt (element.getStringAttribute ("note_mask")) & 0xFFF) : 0xFFF;

        auto stepsText = element.getStringAttribute ("pattern_steps");
        if (stepsText.isEmpty())
            stepsText = element.getStringAttribute ("pattern_degrees");
        const auto pattern = resolvePattern (element.getStringAttribute ("pattern_name"), stepsText, library);

        applyParameterChildren (processor, element);

        if (hasNoteMask)
        {
            const int previous = processor.noteMask.load() & 0xFFF;
            processor.setNoteMask (readMask <= 1 ? 1 : readMask);
            processor.noteSetCustom = readMask != previous;
        }
        else
        {
            processor.noteSetCustom = false;
        }

        if (pattern.found)
        {
            processor.setCurrentPattern (pattern.name, pattern.steps);
            writeDiagnosticLine ("Loaded preset pattern: " + pattern.name + " steps: " + stepsText);
        }

        processor.updatePanicMode (false);

        auto& parameters = processor.parameters;
        if (parameters.getParameter (ParameterIDs::collision) != nullptr)
            processor.setCollisionEnabled (realValueOf (parameters, ParameterIDs::collision, 0.0f) > 0.5f);
        if (parameters.getParameter (ParameterIDs::mono) != nullptr)
            processor.monoMode = realValueOf (parameters, ParameterIDs::mono, 0.0f) > 0.5f;

        const float maxWidth = juce::jmax (PhysicsWorld::maxWidth(), 0.5f);
        if (parameters.getParameter (ParameterIDs::topWidth) != nullptr)
        {
            processor.topWidth = juce::jlimit (0.5f, maxWidth, realValueOf (parameters, ParameterIDs::topWidth, 5.0f));
            processor.funnelGeometryDirty = true;
        }
        if (parameters.getParameter (ParameterIDs::bottomWidth) != nullptr)
        {
            processor.bottomWidth = juce::jlimit (0.5f, maxWidth, realValueOf (parameters, ParameterIDs::bottomWidth, 1.2f));
            processor.funnelGeometryDirty = true;
        }
        if (auto* launch = parameters.getParameter (ParameterIDs::launchPos))
        {
            const float position = juce::jlimit (0.0f, 1.0f, realValueOf (parameters, ParameterIDs::launchPos, 0.0f));
            launch->setValueNotifyingHost (launch->convertTo0to1 (position));
        }

        processor.currentPresetName = presetName.endsWithIgnoreCase (".xml") ? presetName.dropLastCharacters (4) : presetName;
    }

    bool applyPresetFile (CaromelAudioProcessor& processor, const juce::File& file,
                          const std::vector<PatternDefinition>& library, juce::String& error)
    {
        if (! file.existsAsFile())
        {
            error = "preset file not found: " + file.getFullPathName();
            return false;
        }

        const auto document = juce::XmlDocument::parse (file);
        if (document == nullptr)
        {
            error = "could not parse preset XML: " + file.getFullPathName();
            return false;
        }

        applyPresetDocument (processor, *document, file.getFileName(), library);
        return true;
    }
}
