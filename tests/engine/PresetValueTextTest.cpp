#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
    struct ValueTextCase
    {
        const char* text;
        float expected; // bounce, clamped to 0.5 .. 1
    };

    // Preset values are read as decimal text whatever its length or form.
    TEST (PresetValueText, ReadsAnyDecimalTextAndClampsToTheRange)
    {
        const ValueTextCase cases[] = {
            { "0.95", 0.95f }, { "  0.75", 0.75f }, { "+0.6", 0.6f }, { "0.9200000166893005", 0.92f },
            { "99999999999999999999999999999", 1.0f }, { "1e400", 1.0f }, { "-1e400", 0.5f },
            { "1e-400", 0.5f }, { "abc", 0.5f }, { "", 0.5f }, { "0.8xyz", 0.8f },
        };

        for (const auto& c : cases)
        {
            CaromelAudioProcessor processor;
            juce::XmlElement preset ("PARAMETERS");
            auto* param = preset.createNewChildElement ("PARAM");
            param->setAttribute ("id", "bounce");
            param->setAttribute ("value", c.text);
            processor.applyPresetXmlParameters (preset);
            EXPECT_NEAR (processor.parameters.getRawParameterValue ("bounce")->load(), c.expected, 1e-5f) << c.text;
        }
    }
}
