#include "editor/UpdateChecker.h"
#include "engine/PluginProcessor.h"
#include "support/TestEnvironment.h"
#include "support/GuiTestHelpers.h"
#include "support/LocalManifestServer.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
    TEST (UpdateFirstStartTest, ChecksAtMostOncePerProcessor)
    {
        rebondo::test::ScopedFreshHome home;
        CaromelAudioProcessor processor;
        EXPECT_FALSE (processor.firstStartDone);
        EXPECT_TRUE (processor.updateCheckPending);

        // First tick of the first editor, then later ticks and later editors.
        EXPECT_TRUE (UpdateCheck::claimFirstStart (processor.firstStartDone, processor.updateCheckPending));
        for (int tick = 0; tick < 3; ++tick)
            EXPECT_FALSE (UpdateCheck::claimFirstStart (processor.firstStartDone, processor.updateCheckPending));
        EXPECT_TRUE (processor.firstStartDone);
        EXPECT_FALSE (processor.updateCheckPending);

        bool done = false, pending = false;
        EXPECT_FALSE (UpdateCheck::claimFirstStart (done, pending));
        EXPECT_TRUE (done) << "the first start happens even with no check pending";
    }

    struct VersionCase
    {
        const char* latest;
        const char* current;
        bool newer;
    };

    void PrintTo (const VersionCase& c, std::ostream* os) { *os << "'" << c.latest << "' vs '" << c.current << "'"; }

    class VersionNewerTest : public testing::TestWithParam<VersionCase> {};

    TEST_P (VersionNewerTest, ComparesMajorMinorPatchNumerically)
    {
        const auto c = GetParam();
        EXPECT_EQ (UpdateCheck::isVersionNewer (c.latest, c.current), c.newer);
    }

    INSTANTIATE_TEST_SUITE_P (Cases, VersionNewerTest, testing::Values (
        VersionCase { "1.0.0", "1.0.0", false },
        VersionCase { "1.0", "1.0.0", false },
        VersionCase { "1.0.0.9", "1.0.0", false },
        VersionCase { "1.0.1", "1.0.0", true },
        VersionCase { "1.1", "1.0.0", true },
        VersionCase { "2", "1.0.0", true },
        VersionCase { "1.10.0", "1.9.0", true },
        VersionCase { "1.9.0", "1.10.0", false },
        VersionCase { " 1.2.0 ", "1.0.0", true },
        VersionCase { "v2.0.0", "1.0.0", false },
        VersionCase { "", "1.0.0", false },
        VersionCase { "0.9.9", "1.0.0", false },
        VersionCase { "1..1", "1.0.0", true },     // empty piece reads as 0
        VersionCase { "1.0.1beta", "1.0.0", true }));

    struct UrlCase
    {
        const char* url;
        bool openable;
    };

    void PrintTo (const UrlCase& c, std::ostream* os) { *os << "'" << c.url << "'"; }

    class DownloadUrlTest : public testing::TestWithParam<UrlCase> {};

    TEST_P (DownloadUrlTest, OnlyHttpAndHttpsWithAHost)
    {
        const auto c = GetParam();
        EXPECT_EQ (UpdateCheck::isOpenableDownloadUrl (c.url), c.openable);
    }

    INSTANTIATE_TEST_SUITE_P (Cases, DownloadUrlTest, testing::Values (
        UrlCase { "https://orvanta.audio/rebondo/download", true },
        UrlCase { "http://example.com", true },
        UrlCase { "HTTPS://Example.com:8443/x?y=1", true },
        UrlCase { "https://user@example.com/", true },
        UrlCase { "https://[::1]/x", true },
        UrlCase { "file:///etc/passwd", false },
        UrlCase { "javascript:alert(1)", false },
        UrlCase { "/Applications/Rebondo.dmg", false },
        UrlCase { "example.com/download", false },
        UrlCase { "https:///path", false },
        UrlCase { "https://", false },
        UrlCase { "http://:80/", false },
        UrlCase { "https://user@/x", false },
        UrlCase { "https://?q", false },
        UrlCase { "ftp://example.com/x", false },
        UrlCase { "https://exa mple.com/", false },
        UrlCase { "https://example.com/\nrm", false },
        UrlCase { "", false }));

    juce::var manifest (const juce::String& json) { return juce::JSON::parse (json); }

    TEST (UpdateNoticeTest, DownloadAddressChoice)
    {
        struct Case
        {
            const char* json;
            const char* expectedUrl; // nullptr: nothing shown
        };

        for (auto c : {
                 Case { R"({"latest_version":"1.2.0","mac_download_url":"https://a.example/mac","fallback_download_url":"https://b.example/"})", "https://a.example/mac" },
                 Case { R"({"latest_version":"1.2.0","mac_download_url":"","fallback_download_url":"https://b.example/"})", "https://b.example/" },
                 Case { R"({"latest_version":"1.2.0","fallback_download_url":"https://b.example/"})", "https://b.example/" },
                 Case { R"({"latest_version":"1.2.0","mac_download_url":"","fallback_download_url":""})", nullptr },
                 Case { R"({"latest_version":"1.2.0"})", nullptr },
                 Case { R"({"latest_version":"1.2.0","mac_download_url":"file:///tmp/x.app","fallback_download_url":"https://b.example/"})", "https://b.example/" },
                 Case { R"j({"latest_version":"1.2.0","mac_download_url":"javascript:alert(1)","fallback_download_url":"/tmp/x"})j", nullptr },
                 Case { R"({"latest_version":"1.0.0","mac_download_url":"https://a.example/mac"})", nullptr },
                 Case { R"({"mac_download_url":"https://a.example/mac"})", nullptr },
                 Case { R"(["1.2.0"])", nullptr },
                 Case { R"(not json)", nullptr } })
        {
            const auto notice = UpdateCheck::noticeFromManifest (manifest (c.json), "1.0.0");

            if (c.expectedUrl == nullptr)
            {
                EXPECT_FALSE (notice.has_value()) << c.json;
            }
            else
            {
                ASSERT_TRUE (notice.has_value()) << c.json;
                EXPECT_EQ (notice->downloadUrl, c.expectedUrl) << c.json;
                EXPECT_EQ (notice->latestVersion, "1.2.0");
            }
        }
    }

    TEST (UpdateNoticeTest, BubbleTextDefaultAndCut)
    {
        const auto plain = UpdateCheck::noticeFromManifest (
            manifest (R"({"latest_version":"1.2.0","message":"","mac_download_url":"https://a.example/"})"), "1.0.0");
        ASSERT_TRUE (plain.has_value());
        EXPECT_EQ (plain->bubbleText, "Rebondo 1.2.0 is available.");

        const auto given = UpdateCheck::noticeFromManifest (
            manifest (R"({"latest_version":"2","message":"New sounds!","mac_download_url":"https://a.example/"})"), "1.0.0");
        ASSERT_TRUE (given.has_value());
        EXPECT_EQ (given->bubbleText, "New sounds!");

        // Counted in characters, not bytes.
        const auto longMessage = juce::String::repeatedString (juce::String::fromUTF8 ("\xc3\xa9"), 300);
        const auto cut = UpdateCheck::bubbleTextFor (longMessage, "1.2.0");
        EXPECT_EQ (cut.length(), 223);
        EXPECT_EQ (cut, longMessage.substring (0, 220) + "...");

        const auto exact = juce::String::repeatedString ("x", 220);
        EXPECT_EQ (UpdateCheck::bubbleTextFor (exact, "1.2.0"), exact);
    }

    TEST (UpdateNoticeTest, BubbleShowsWhitePlainTextBelowTheButton)
    {
        const auto text = UpdateCheck::makeBubbleText ("Rebondo 1.2.0 is available.");
        EXPECT_EQ (text.getText(), "Rebondo 1.2.0 is available.");
        ASSERT_EQ (text.getNumAttributes(), 1);
        EXPECT_EQ (text.getAttribute (0).colour, juce::Colours::white);
        EXPECT_FLOAT_EQ (text.getAttribute (0).font.getHeight(), 13.0f);
        EXPECT_FALSE (text.getAttribute (0).font.isBold());
        EXPECT_EQ (text.getJustification(), juce::Justification::centredLeft);

        juce::Component editor;
        editor.setSize (800, 600);
        juce::DrawableButton updateButton ("update", juce::DrawableButton::ImageOnButtonBackground);
        updateButton.setBounds (163, 2, 26, 26);
        juce::BubbleMessageComponent bubble;
        editor.addAndMakeVisible (updateButton);
        editor.addChildComponent (bubble);

        UpdateCheck::showBubble (bubble, updateButton, "Rebondo 1.2.0 is available.");
        EXPECT_TRUE (bubble.isVisible());
        EXPECT_GT (bubble.getBounds().getCentreY(), updateButton.getBottom()) << "placed below the button";
    }

    const char* const newerManifest =
        R"({"latest_version":"1.2.0","message":"","mac_download_url":"","fallback_download_url":"https://orvanta.audio/rebondo"})";

    TEST (UpdateCheckTest, AnswerFromTheServerReachesALiveOwner)
    {
        rebondo::test::LocalManifestServer server (newerManifest, 0);
        ASSERT_TRUE (server.isListening());

        juce::Component owner;
        std::vector<UpdateCheck::Notice> notices;
        UpdateCheck::checkForUpdatesInBackground (owner, server.url(),
                                                  [&notices] (const UpdateCheck::Notice& n) { notices.push_back (n); });

        ASSERT_TRUE (rebondo::test::dispatchUntil ([&notices] { return ! notices.empty(); }, 15000));
        EXPECT_EQ (notices[0].latestVersion, "1.2.0");
        EXPECT_EQ (notices[0].downloadUrl, "https://orvanta.audio/rebondo");
        EXPECT_EQ (notices[0].bubbleText, "Rebondo 1.2.0 is available.");
    }

    TEST (UpdateCheckTest, NotNewerOrNotJsonShowsNothing)
    {
        for (const char* body : { R"({"latest_version":"1.0.0","mac_download_url":"https://a.example/"})", "<html>oops</html>" })
        {
            rebondo::test::LocalManifestServer server (body, 0);
            juce::Component owner;
            int calls = 0;
            UpdateCheck::checkForUpdatesInBackground (owner, server.url(), [&calls] (const UpdateCheck::Notice&) { ++calls; });

            ASSERT_TRUE (rebondo::test::dispatchUntil ([&server] { return server.answered.load(); }, 15000)) << body;
            rebondo::test::dispatchFor (500);
            EXPECT_EQ (calls, 0) << body;
        }
    }

    TEST (UpdateCheckTest, OwnerClosedWhileTheRequestIsPendingIsLeftAlone)
    {
        rebondo::test::LocalManifestServer server (newerManifest, 1500);
        int calls = 0;

        {
            auto owner = std::make_unique<juce::Component>();
            UpdateCheck::checkForUpdatesInBackground (*owner, server.url(), [&calls] (const UpdateCheck::Notice&) { ++calls; });
            rebondo::test::dispatchFor (200);
            EXPECT_FALSE (server.answered.load()) << "the answer must still be pending";
        }

        ASSERT_TRUE (rebondo::test::dispatchUntil ([&server] { return server.answered.load(); }, 15000));
        rebondo::test::dispatchFor (1000);
        EXPECT_EQ (calls, 0);
    }

    TEST (UpdateCheckTest, NoServerIsSilent)
    {
        // Bind and release a port so that nothing listens on it.
        int port = 0;
        {
            juce::StreamingSocket probe;
            ASSERT_TRUE (probe.createListener (0, "127.0.0.1"));
            port = probe.getBoundPort();
        }

        juce::Component owner;
        int calls = 0;
        UpdateCheck::checkForUpdatesInBackground (owner, "http://127.0.0.1:" + juce::String (port) + "/version.json",
                                                  [&calls] (const UpdateCheck::Notice&) { ++calls; });
        rebondo::test::dispatchFor (1500);
        EXPECT_EQ (calls, 0);
    }
}
