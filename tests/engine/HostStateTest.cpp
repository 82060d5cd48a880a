#include "engine/PluginProcessor.h"
#include "support/CaptureStderr.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    using rebondo::test::CaptureStderr;

    std::unique_ptr<CaromelAudioProcessor> makeProcessor()
    {
        const CaptureStderr quiet;
        return std::make_unique<CaromelAudioProcessor>();
    }

    std::vector<float> allValues (CaromelAudioProcessor& processor)
    {
        std::vector<float> values;
        for (auto* id : ParameterIDs::all)
            values.push_back (processor.parameters.getRawParameterValue (id)->load());
        return values;
    }

    // Moves every parameter away from its starting value: a quarter of the
    // way in from the far end of its range.
    void changeEveryParameter (CaromelAudioProcessor& processor)
    {
        for (auto* id : ParameterIDs::all)
        {
            auto* parameter = processor.parameters.getParameter (id);
            const float current = parameter->getValue();
            parameter->setValueNotifyingHost (current < 0.5f ? 0.75f : 0.25f);
        }
    }

    juce::MemoryBlock blobWithText (const juce::String& text)
    {
        juce::MemoryBlock blob;
        juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (text), blob);
        return blob;
    }

    juce::MemoryBlock rawBlob (uint32_t magic, int32_t statedLength, const std::string& text)
    {
        juce::MemoryOutputStream out;
        out.writeInt ((int) magic);
        out.writeInt (statedLength);
        out.write (text.data(), text.size());
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    class HostState : public ::testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        std::unique_ptr<CaromelAudioProcessor> source = makeProcessor();
        std::unique_ptr<CaromelAudioProcessor> target = makeProcessor();
    };
}

TEST_F (HostState, BlobIsJucesBinaryXmlOfTheParameterTree)
{
    juce::MemoryBlock blob;
    source->getStateInformation (blob);

    ASSERT_GT (blob.getSize(), 9u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (blob.getData()), 0x21324356u);
    EXPECT_EQ (memcmp (blob.getData(), "VC2!", 4), 0);
    EXPECT_EQ ((size_t) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (blob.getData(), 4)), blob.getSize() - 9);
    EXPECT_EQ (static_cast<const char*> (blob.getData())[blob.getSize() - 1], 0);

    const juce::String text (juce::CharPointer_UTF8 (static_cast<const char*> (blob.getData()) + 8));
    EXPECT_FALSE (text.containsAnyOf ("\r\n"));

    const auto xml = juce::parseXML (text);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PARAMETERS");
    EXPECT_EQ (xml->getStringAttribute ("pattern_name"), "Major Triad");
    EXPECT_EQ (xml->getStringAttribute ("ui_colour"), "ff20b2aa");
    EXPECT_EQ (xml->getNumChildElements(), (int) ParameterIDs::all.size());
}

TEST_F (HostState, RoundTripsEveryParameterButNotPatternMaskOrColour)
{
    changeEveryParameter (*source);
    source->setCurrentPattern ("Source Pattern", { 0, 1 });
    source->noteMask = 661;
    source->uiColour = juce::Colour (0xff010203);

    target->setCurrentPattern ("Target Pattern", { 5 });
    target->noteMask = 1365;
    target->uiColour = juce::Colour (0xff040506);
    ASSERT_NE (allValues (*source), allValues (*target));

    juce::MemoryBlock blob;
    source->getStateInformation (blob);

    const CaptureStderr captured;
    target->setStateInformation (blob.getData(), (int) blob.getSize());

    EXPECT_EQ (allValues (*target), allValues (*source));
    EXPECT_TRUE (captured.hasLine ("Loaded param: max_bounces = " + juce::String (target->parameters.getRawParameterValue (ParameterIDs::maxBounces)->load()).toStdString()));

    EXPECT_EQ (target->getCurrentPatternName(), "Target Pattern");
    EXPECT_EQ (target->getCurrentPatternSteps(), (std::vector<int> { 5 }));
    EXPECT_EQ (target->noteMask.load(), 1365);
    EXPECT_EQ (target->uiColour, juce::Colour (0xff040506));

    // The engine follows the restored values.
    EXPECT_FLOAT_EQ (target->decayFactor.load(), source->decayFactor.load());
    EXPECT_EQ (target->monoMode.load(), source->monoMode.load());
}

TEST_F (HostState, AcceptsALowerCaseRootAndALengthPastTheData)
{
    const std::string text = "<parameters><PARAM id=\"velocity\" value=\"12\"/></parameters>";
    const auto blob = rawBlob (0x21324356, 100000, text);

    const CaptureStderr quiet;
    target->setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_FLOAT_EQ (target->parameters.getRawParameterValue (ParameterIDs::velocity)->load(), 12.0f);
}

TEST_F (HostState, IgnoresBlobsThatAreNotOurState)
{
    const std::string good = "<PARAMETERS><PARAM id=\"velocity\" value=\"12\"/></PARAMETERS>";

    struct Case { const char* label; juce::MemoryBlock blob; };
    const Case cases[] = {
        { "empty", {} },
        { "eightBytes", juce::MemoryBlock ("VC2!\x05\0\0\0", 8) },
        { "wrongMagic", rawBlob (0x21324357, (int32_t) good.size(), good) },
        { "zeroLength", rawBlob (0x21324356, 0, good) },
        { "negativeLength", rawBlob (0x21324356, -5, good) },
        { "cutShort", rawBlob (0x21324356, 20, good) },
        { "notXml", rawBlob (0x21324356, 12, "hello world!") },
        { "otherRoot", blobWithText ("<OTHER><PARAM id=\"velocity\" value=\"12\"/></OTHER>") },
        { "badUtf8", rawBlob (0x21324356, 64, "<PARAMETERS><PARAM id=\"velocity\" value=\"12\"/>\xff\xfe</PARAMETERS>") },
        { "doctype", rawBlob (0x21324356, 200, "<!DOCTYPE PARAMETERS [<!ENTITY a \"&a;\">]><PARAMETERS><PARAM id=\"velocity\" value=\"&a;\"/></PARAMETERS>") },
        { "latin1Declared", rawBlob (0x21324356, 200, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><OTHER/>") },
    };

    const auto before = allValues (*target);

    for (const auto& c : cases)
    {
        const CaptureStderr captured;
        target->setStateInformation (c.blob.getData(), (int) c.blob.getSize());
        EXPECT_EQ (captured.text(), "") << c.label;
        EXPECT_EQ (allValues (*target), before) << c.label;
    }

    target->setStateInformation (nullptr, 100);
    EXPECT_EQ (allValues (*target), before);
}
