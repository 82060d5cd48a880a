#include "UpdateChecker.h"

#include <array>
#include <cstdlib>

namespace UpdateCheck
{
    namespace
    {
        std::array<int, 3> parseVersion (const juce::String& text)
        {
            juce::StringArray pieces;
            pieces.addTokens (text.trim(), ".", "");

            std::array<int, 3> parts { 0, 0, 0 };
            for (int i = 0; i < 3 && i < pieces.size(); ++i)
                parts[(size_t) i] = std::atoi (pieces[i].toRawUTF8());

            return parts;
        }

        juce::String openableOrEmpty (const juce::String& url)
        {
            return isOpenableDownloadUrl (url) ? url : juce::String();
        }
    }

    bool claimFirstStart (bool& firstStartDone, bool& updateCheckPending)
    {
        if (firstStartDone)
            return false;

        firstStartDone = true;

        if (! updateCheckPending)
            return false;

        updateCheckPending = false;
        return true;
    }

    bool isVersionNewer (const juce::String& latest, const juce::String& current)
    {
        return parseVersion (latest) > parseVersion (current);
    }

    bool isOpenableDownloadUrl (const juce::String& url)
    {
        // The address goes to the system's launcher: no spaces or control characters.
        for (auto c : url)
            if (c <= 0x20 || c == 0x7f)
                return false;

        juce::String rest;
        if (url.startsWithIgnoreCase ("https://"))
            rest = url.substring (8);
        else if (url.startsWithIgnoreCase ("http://"))
            rest = url.substring (7);
        else
            return false;

        auto authority = rest.upToFirstOccurrenceOf ("/", false, false)
                             .upToFirstOccurrenceOf ("?", false, false)
                             .upToFirstOccurrenceOf ("#", false, false);
        auto host = authority.fromLastOccurrenceOf ("@", false, false);

        if (host.startsWithChar ('['))
            host = host.upToFirstOccurrenceOf ("]", false, false).substring (1);
        else
            host = host.upToFirstOccurrenceOf (":", false, false);

        return host.isNotEmpty();
    }

    juce::String bubbleTextFor (const juce::String& message, const juce::String& latestVersion)
    {
        auto text = message.isNotEmpty() ? message : "Rebondo " + latestVersion + " is available.";

        if (text.length() > maxMessageLength)
            text = text.substring (0, maxMessageLength) + "...";

        return text;
    }

    std::optional<Notice> noticeFromManifest (const juce::var& manifest, const juce::String& current)
    {
        if (! manifest.isObject())
            return std::nullopt;

        const auto latest = manifest.getProperty ("latest_version", {}).toString();

        if (! isVersionNewer (latest, current))
            return std::nullopt;

        // An address the browser must not be given counts as no address.
        auto url = openableOrEmpty (manifest.getProperty ("mac_download_url", {}).toString());
        if (url.isEmpty())
            url = openableOrEmpty (manifest.getProperty ("fallback_download_url", {}).toString());

        if (url.isEmpty())
            return std::nullopt;

        return Notice { latest, url, bubbleTextFor (manifest.getProperty ("message", {}).toString(), latest) };
    }

    juce::AttributedString makeBubbleText (const juce::String& text)
    {
        juce::AttributedString attributed;
        attributed.append (text, juce::Font (13.0f, juce::Font::plain), juce::Colours::white);
        attributed.setJustification (juce::Justification::centredLeft);
        return attributed;
    }

    void showBubble (juce::BubbleMessageComponent& bubble, juce::Component& target, const juce::String& text)
    {
        bubble.toFront (false);
        bubble.setAllowedPlacement (juce::BubbleComponent::below);
        bubble.showAt (&target, makeBubbleText (text), bubbleMillis, true, false);
    }

    bool openDownloadUrl (const juce::String& url)
    {
        if (! isOpenableDownloadUrl (url))
            return false;

        return juce::URL (url).launchInDefaultBrowser();
    }

    void checkForUpdatesInBackground (juce::Component& owner, const juce::String& url,
                                      std::function<void (const Notice&)> onNotice,
                                      const juce::String& current)
    {
        // The thread holds only a safe pointer: the owner may be gone when the answer comes.
        juce::Component::SafePointer<juce::Component> safeOwner (&owner);

        juce::Thread::launch ([safeOwner, url, onNotice = std::move (onNotice), current]
        {
            auto stream = juce::URL (url).createInputStream (
                juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                    .withConnectionTimeoutMs (5000));

            if (stream == nullptr)
                return;

            auto parsed = juce::JSON::parse (stream->readEntireStreamAsString());

            if (! parsed.isObject())
                return;

            juce::MessageManager::callAsync ([safeOwner, parsed, onNotice, current]
            {
                if (safeOwner == nullptr)
                    return;

                if (auto notice = noticeFromManifest (parsed, current))
                    if (onNotice)
                        onNotice (*notice);
            });
        });
    }
}
