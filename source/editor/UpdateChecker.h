#pragma once

#include <juce_gui_extra/juce_gui_extra.h>

#include <functional>
#include <optional>

// Once-per-run check of the maker's manifest for a newer release.
namespace UpdateCheck
{
    inline constexpr const char* manifestUrl = "https://orvanta.audio/rebondo/version.json";
    inline constexpr const char* currentVersion = "1.0.0";
    inline constexpr int bubbleMillis = 8000;
    inline constexpr int maxMessageLength = 220;

    // The editor's first-start step, given the processor's two flags: true
    // exactly once per processor, when the check should be started.
    bool claimFirstStart (bool& firstStartDone, bool& updateCheckPending);

    // Dotted decimal compared numerically as major.minor.patch.
    bool isVersionNewer (const juce::String& latest, const juce::String& current);

    // Only http(s) addresses with a host may be handed to the browser.
    bool isOpenableDownloadUrl (const juce::String& url);

    // What the editor shows for an announced update.
    struct Notice
    {
        juce::String latestVersion;
        juce::String downloadUrl;
        juce::String bubbleText;
    };

    // The notice for a parsed manifest, or nothing when the version is not
    // newer or no usable download address is given.
    std::optional<Notice> noticeFromManifest (const juce::var& manifest, const juce::String& current);

    // The manifest's message (or the default wording), cut to 220 characters plus "...".
    juce::String bubbleTextFor (const juce::String& message, const juce::String& latestVersion);
    juce::AttributedString makeBubbleText (const juce::String& text);
    // Shows the text below `target` for eight seconds or until the next click.
    void showBubble (juce::BubbleMessageComponent& bubble, juce::Component& target, const juce::String& text);

    // Opens the address in the browser if it is an http(s) URL with a host.
    bool openDownloadUrl (const juce::String& url);

    // Fetches and parses the manifest on a thread of its own. `onNotice` runs on
    // the message thread, and only if `owner` still exists by then.
    void checkForUpdatesInBackground (juce::Component& owner, const juce::String& url,
                                      std::function<void (const Notice&)> onNotice,
                                      const juce::String& current = currentVersion);
}
