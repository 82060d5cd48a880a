#include "library/XmlFiles.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    struct ParseCase
    {
        const char* label;
        std::string text;
        bool parses;
    };

    std::string deeplyNested (int depth)
    {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<a>";
        for (int i = 0; i < depth; ++i) text += "</a>";
        return text;
    }

    class XmlText : public ::testing::TestWithParam<ParseCase> {};
}

TEST_P (XmlText, ParsesOnlyWhatIsSafeToParse)
{
    const auto& param = GetParam();
    const auto xml = XmlFiles::parseText (param.text.data(), param.text.size());
    EXPECT_EQ (xml != nullptr, param.parses);
}

INSTANTIATE_TEST_SUITE_P (Cases, XmlText, ::testing::Values (
    ParseCase { "plain", "<A b=\"1\"><C/></A>", true },
    ParseCase { "declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<A/>", true },
    ParseCase { "otherEncodingDeclared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A/>", true },
    ParseCase { "byteOrderMark", "\xef\xbb\xbf<A/>", true },
    ParseCase { "entities", "<A b=\"&amp;&lt;&gt;&quot;&apos;&#1;&#x263A;\">&AMP;</A>", true },
    ParseCase { "utf8Text", "<A b=\"caf\xc3\xa9\"/>", true },
    ParseCase { "stopsAtZero", std::string ("<A/>\0garbage", 12), true },
    ParseCase { "comment", "<A><!-- <9bad> --><B/></A>", true },
    ParseCase { "nestedTwoHundred", deeplyNested (200), true },
    ParseCase { "empty", "", false },
    ParseCase { "unterminatedDeclaration", "<?xml version=\"1.0\" <A/>", false },
    ParseCase { "notWellFormed", "<A><B></A>", false },
    ParseCase { "invalidUtf8", "<A b=\"\xff\"/>", false },
    ParseCase { "processingInstructionInText", "<A><?pi?>text</A>", false },
    ParseCase { "doctype", "<!DOCTYPE A [<!ENTITY e \"&e;\">]><A>&e;</A>", false },
    ParseCase { "unknownEntity", "<A>&nbsp;</A>", false },
    ParseCase { "referenceAtTheEnd", "<A b=\"&#x", false },
    ParseCase { "referenceBeyondUnicode", "<A>&#x110000;</A>", false },
    ParseCase { "referenceToZero", "<A>&#0;</A>", false },
    ParseCase { "surrogateReference", "<A>&#xD800;</A>", false },
    ParseCase { "digitTagName", "<A><9B/></A>", false },
    ParseCase { "digitAttributeName", "<A 9b=\"1\"/>", false },
    ParseCase { "digitNameAfterBrokenAttribute", "<A><B c<![CDATA[=\"1\"/><9C/></A>", false },
    ParseCase { "digitNameAfterUnquotedValue", "<A><B c=d=\"1<9C\"/></A>", false },
    ParseCase { "tooDeep", deeplyNested (100000), false }),
    [] (const auto& testInfo) { return std::string (testInfo.param.label); });

TEST (XmlFileWriting, ReplacesTheTargetThroughATemporaryFile)
{
    const rebondo::test::ScopedFreshHome home;
    const auto target = home.folder().getChildFile ("doc.xml");
    ASSERT_TRUE (target.replaceWithText ("old"));

    juce::XmlElement xml ("DOC");
    xml.setAttribute ("a", "1");
    ASSERT_TRUE (XmlFiles::write (xml, target));
    EXPECT_EQ (target.loadFileAsString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<DOC a=\"1\"/>\r\n");
    EXPECT_EQ (home.folder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);

    // A folder in the way and a missing parent both fail without side effects.
    const auto folder = home.folder().getChildFile ("folder.xml");
    ASSERT_TRUE (folder.createDirectory());
    EXPECT_FALSE (XmlFiles::write (xml, folder));
    EXPECT_TRUE (folder.isDirectory());
    EXPECT_FALSE (XmlFiles::write (xml, home.folder().getChildFile ("missing/doc.xml")));
    EXPECT_FALSE (XmlFiles::write (xml, juce::File()));
    EXPECT_EQ (home.folder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 2);
}
