#include "library/FactoryContent.h"
#include "library/PatternManager.h"
#include "library/XmlFiles.h"

#include <gtest/gtest.h>

namespace
{
    struct FactoryPresetRow
    {
        const char* name;
        const char* patternName;
        const char* patternSteps;
        const char* colour;
        const char* noteMask;
        const char* root;
        const char* scale;
        size_t bytes;
        // bounce .. launch_pos; nullptr where the document has no such child.
        std::array<const char*, 15> values;
    };

    const std::array<const char*, 15> parameterOrder {
        "bounce", "decay", "velocity", "gravity", "time", "arp_type", "dynamic", "collision",
        "max_bounces", "mod", "mono", "decay_after_release", "bottom_width", "top_width", "launch_pos"
    };

    const FactoryPresetRow factoryRows[] = {
        { "Default", "Major Triad", "0,4,7", "ff20b2aa", "2741", "0", "0", 757,
          { "0.95", "0.84", "113.0400009155273", "85.51999664306641", "0.5", "1.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "1.199999928474426", "5.0", "0.5" } },
        { "Champagne", "Add9", "0,4,7,14", "ffe6e6fa", "2741", "0", "0", 797,
          { "0.9200000166893005", "0.8700000047683716", "64.06999969482422", "27.79999923706055", "1.0", "5.0", "0.0", "1.0", "8.0", "0.0", "0.0", nullptr, "0.75", "4.909999847412109", "0.1299999952316284" } },
        { "Elegant", "Major Triad", "0,4,7", "ffff69b4", "2741", "0", "0", 802,
          { "0.9200000166893005", "0.8600000143051147", "38.5", "0.0", "1.039999961853027", "3.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "3.039999961853027", "2.470000028610229", "0.01999999955296516" } },
        { "Forever", "Fanfare", "0,7,4,7,12", "ffadff2f", "2741", "0", "0", 818,
          { "0.9699999690055847", "0.9799999594688416", "52.5", "31.67999839782715", "0.949999988079071", "1.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "0.6299999952316284", "4.829999923706055", "0.01999999955296516" } },
        { "Popcorn", "Fourth", "0,4,7,12", "fff0e68c", "661", "0", "4", 798,
          { "0.949999988079071", "0.9099999666213989", "64.0", "42.77999877929688", "0.5299999713897705", "4.0", "0.0", "1.0", "8.0", "0.0", "0.0", nullptr, "0.5", "6.359999656677246", "0.4199999868869781" } },
        { "Slow Down", "Major Triad", "0,4,7,14", "ff00bfff", "2741", "0", "0", 820,
          { "0.9900000095367432", "0.7599999904632568", "127.0", "77.81999969482422", "0.4899999797344208", "2.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "1.779999971389771", "4.199999809265137", "0.9399999976158142" } },
        { "Space", "Minor 11", "0,4,7,12", "ffffffff", "1365", "0", "7", 814,
          { "0.8399999737739563", "0.8899999856948853", "104.2399978637695", "4.21999979019165", "0.25", "8.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "2.849999904632568", "3.039999961853027", "0.1499999910593033" } },
        { "Parallel", "Major 3rd", "0,4", "ffff7f50", "2741", "0", "0", 825,
          { "0.8299999833106995", "0.8799999952316284", "59.68999862670898", "0.199999988079071", "0.5699999928474426", "1.0", "0.0", "0.0", "8.0", "0.0", "1.0", nullptr, "1.199999928474426", "1.189999938011169", "0.3999999761581421" } },
        { "Mandolin", "Octave", "0,12", "ffff7f50", "2741", "0", "10", 845,
          { "1.0", "0.8700000047683716", "85.15000152587891", "0.0", "0.8100000023841858", "1.0", "0.0", "0.0", "8.0", "0.0", "0.0", "1.0", "2.339999914169312", "2.089999914169312", "0.01999999955296516" } },
        { "Eternity", "Diminished", "0,4,7,12", "ffadff2f", "2741", "0", "0", 802,
          { "1.0", "0.9799999594688416", "79.26999664306641", "15.38000011444092", "0.6200000047683716", "3.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "2.5", "3.089999914169312", "0.4599999785423279" } },
        { "Horror", "Quartal", "0,5,11,16", "ffff7f50", "2925", "0", "8", 832,
          { "0.7799999713897705", "0.6499999761581421", "32.34000015258789", "0.09999999403953552", "1.419999957084656", "3.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "0.6899999976158142", "0.8199999928474426", "0.1299999952316284" } },
        { "Romantic", "Major 3rd", "0,4", "ffff69b4", "2741", "0", "0", 796,
          { "0.9699999690055847", "0.8399999737739563", "113.0400009155273", "85.51999664306641", "0.4899999797344208", "3.0", "0.0", "0.0", "8.0", "0.0", "1.0", nullptr, "1.199999928474426", "5.0", "0.5" } },
        { "Wonder", "Minor Add9", "0,4,7,12", "ff90ee90", "2741", "0", "0", 832,
          { "0.7300000190734863", "0.800000011920929", "77.58000183105469", "107.0999984741211", "0.9300000071525574", "6.0", "0.0", "0.0", "8.0", "0.0", "0.0", nullptr, "0.8199999928474426", "1.870000004768372", "0.07999999821186066" } },
    };

    struct FactoryPatternRow
    {
        const char* name;
        std::vector<int> steps;
    };

    const FactoryPatternRow factoryPatterns[] = {
        { "Unison", { 0 } }, { "Octave", { 0, 12 } }, { "Scale", { 0, 2, 4, 5, 7, 9, 11 } },
        { "Scale Dn", { 0, -1, -3, -5, -7, -8, -10 } }, { "Pentatonic", { 0, 2, 4, 7, 9 } },
        { "Pentatonic Dn", { 0, -3, -5, -8, -10 } }, { "Major 3rd", { 0, 4 } }, { "Fourth", { 0, 5 } },
        { "Fifth", { 0, 7 } }, { "Major 6th", { 0, 9 } }, { "Minor 7th", { 0, 10 } }, { "Major 7th", { 0, 11 } },
        { "Major Triad", { 0, 4, 7 } }, { "Minor Triad", { 0, 3, 7 } }, { "Sus2", { 0, 2, 7 } },
        { "Sus4", { 0, 5, 7 } }, { "Diminished", { 0, 3, 6 } }, { "Augmented", { 0, 4, 8 } },
        { "Major 6", { 0, 4, 7, 9 } }, { "Dominant 7", { 0, 4, 7, 10 } }, { "Major 7", { 0, 4, 7, 11 } },
        { "Add9", { 0, 4, 7, 14 } }, { "Six Nine", { 0, 4, 7, 9, 14 } }, { "Minor 6", { 0, 3, 7, 9 } },
        { "Minor 7", { 0, 3, 7, 10 } }, { "Minor Major 7", { 0, 3, 7, 11 } }, { "Minor Add9", { 0, 3, 7, 14 } },
        { "Minor 11", { 0, 3, 7, 10, 17 } }, { "Quartal", { 0, 5, 11, 16 } }, { "Open Fifths", { 0, 7, 12, 19 } },
        { "Rise", { 0, 2, 4, 7, 12 } }, { "Return", { 12, 7, 4, 2, 0 } }, { "Dream", { 0, 2, -2, 4, -4, 6, -2, 3 } },
        { "Cascade", { 12, 7, 4, 0 } }, { "Survival", { 0, 4, 7, 6, 11, 12 } }, { "Triumph", { 0, 7, 4, 7, 12, 19, 24 } },
    };

    juce::String writtenByJuce (const juce::XmlElement& xml)
    {
        juce::MemoryOutputStream out;
        xml.writeTo (out, juce::XmlElement::TextFormat());
        return out.toString();
    }

    bool hasOnlyCrLfLineEnds (const juce::String& text)
    {
        const auto lines = text.length() - text.removeCharacters ("\n").length();
        return lines > 0 && text.replace ("\r\n", "").containsAnyOf ("\r\n") == false;
    }

    juce::String textOf (const FactoryContent::Document& document)
    {
        return juce::String::fromUTF8 (document.data, (int) document.size);
    }
}

TEST (FactoryPresetDocuments, AreTheThirteenPresetsInTheirOrder)
{
    const auto& presets = FactoryContent::presets();
    ASSERT_EQ (presets.size(), std::size (factoryRows));

    for (size_t i = 0; i < presets.size(); ++i)
        EXPECT_STREQ (presets[i].name, factoryRows[i].name);

    EXPECT_STREQ (FactoryContent::defaultPreset().name, "Default");
}

TEST (FactoryPresetDocuments, HaveTheExactLengthsLayoutAndValues)
{
    const auto& presets = FactoryContent::presets();

    for (size_t i = 0; i < presets.size(); ++i)
    {
        const auto& row = factoryRows[i];
        const auto& document = presets[i];
        SCOPED_TRACE (row.name);

        EXPECT_EQ (document.size, row.bytes);

        const auto xml = XmlFiles::parseText (document.data, document.size);
        ASSERT_NE (xml, nullptr);
        EXPECT_EQ (xml->getTagName(), "PARAMETERS");

        const char* attributeNames[] = { "pattern_name", "pattern_steps", "ui_colour", "note_mask", "root", "scale" };
        const char* attributeValues[] = { row.patternName, row.patternSteps, row.colour, row.noteMask, row.root, row.scale };
        ASSERT_EQ (xml->getNumAttributes(), 6);
        for (int a = 0; a < 6; ++a)
        {
            EXPECT_EQ (xml->getAttributeName (a), attributeNames[a]);
            EXPECT_EQ (xml->getAttributeValue (a), attributeValues[a]);
        }

        std::vector<std::pair<juce::String, juce::String>> expected;
        for (size_t p = 0; p < parameterOrder.size(); ++p)
            if (row.values[p] != nullptr)
                expected.emplace_back (parameterOrder[p], row.values[p]);

        std::vector<std::pair<juce::String, juce::String>> found;
        for (auto* child : xml->getChildIterator())
        {
            EXPECT_EQ (child->getTagName(), "PARAM");
            EXPECT_EQ (child->getNumAttributes(), 2);
            EXPECT_EQ (child->getAttributeName (0), "id");
            found.emplace_back (child->getStringAttribute ("id"), child->getStringAttribute ("value"));
        }
        EXPECT_EQ (found, expected);

        // Byte for byte what JUCE's default text format makes of the same
        // document: declaration, empty line, 60-character wrap, CRLF.
        const auto text = textOf (document);
        EXPECT_EQ (writtenByJuce (*xml), text);
        EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PARAMETERS "));
        EXPECT_TRUE (text.contains ("\"\r\n            note_mask=\""));
        EXPECT_TRUE (hasOnlyCrLfLineEnds (text));
    }
}

TEST (FactoryPatternList, HoldsTheThirtySixEntriesInJuceLayoutWithABreakAfterEverySixth)
{
    const auto document = FactoryContent::patternList();
    EXPECT_EQ (document.size, 1775u);

    const auto xml = XmlFiles::parseText (document.data, document.size);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PATTERNS");
    EXPECT_EQ (xml->getStringAttribute ("version"), "1");
    ASSERT_EQ (xml->getNumChildElements(), (int) std::size (factoryPatterns));

    int index = 0;
    for (auto* child : xml->getChildIterator())
    {
        const auto& row = factoryPatterns[index++];
        EXPECT_EQ (child->getTagName(), "PATTERN");
        EXPECT_EQ (child->getStringAttribute ("name"), row.name);
        EXPECT_EQ (PatternManager::parseLibrarySteps (child->getStringAttribute ("steps")), row.steps) << row.name;
    }

    // JUCE's layout of the same document, with an empty line after every
    // sixth entry.
    auto lines = juce::StringArray::fromLines (writtenByJuce (*xml));
    for (int entry = 36; entry > 0; entry -= 6)
        lines.insert (3 + entry, "");

    const auto text = textOf (document);
    EXPECT_EQ (lines.joinIntoString ("\r\n"), text);
    EXPECT_TRUE (hasOnlyCrLfLineEnds (text));
}
