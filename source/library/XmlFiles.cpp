#include "XmlFiles.h"

namespace XmlFiles
{
    namespace
    {
        // The parser recurses once per nesting level.
        constexpr int maxNestingDepth = 200;

        // A quick upper estimate of element nesting, good enough to keep the
        // recursive parser (and the recursive destructor) off deep input.
        bool nestsTooDeeply (const char* text, size_t length)
        {
            int depth = 0;

            for (size_t i = 0; i + 1 < length; ++i)
            {
                if (text[i] == '<')
                {
                    const char next = text[i + 1];

                    if (next == '/')
                        --depth;
                    else if (next != '?' && next != '!' && ++depth > maxNestingDepth)
                        return true;
                }
                else if (text[i] == '/' && text[i + 1] == '>')
                {
                    --depth;
                }
            }

            return false;
        }
    }

    std::unique_ptr<juce::XmlElement> parseText (const void* data, size_t numBytes)
    {
        if (data == nullptr || numBytes == 0 || numBytes > maxDocumentBytes)
            return {};

        auto* text = static_cast<const char*> (data);

        // Everything after a zero byte is ignored, as a C string would be.
        size_t length = 0;
        while (length < numBytes && text[length] != 0)
            ++length;

        // A leading byte-order mark is allowed.
        if (length >= 3 && (uint8_t) text[0] == 0xef && (uint8_t) text[1] == 0xbb && (uint8_t) text[2] == 0xbf)
        {
            text += 3;
            length -= 3;
        }

        if (length == 0 || ! juce::CharPointer_UTF8::isValidString (text, (int) length))
            return {};

        if (nestsTooDeeply (text, length))
            return {};

        auto document = juce::String (juce::CharPointer_UTF8 (text), juce::CharPointer_UTF8 (text + length));

        // The declaration is skipped here rather than by the parser, which
        // objects to encodings it does not read; the text is UTF-8 either way.
        auto body = document.trimStart();
        if (body.startsWith ("<?xml"))
        {
            const int end = body.indexOf ("?>");
            if (end < 0)
                return {};
            body = body.substring (end + 2);
        }

        // Entity expansion through a DTD can recurse without end; no document
        // of ours has one.
        if (body.contains ("<!DOCTYPE"))
            return {};

        juce::XmlDocument parser (body);
        return parser.getDocumentElement();
    }

    std::unique_ptr<juce::XmlElement> parseFile (const juce::File& file)
    {
        if (! file.existsAsFile() || file.getSize() > (juce::int64) maxDocumentBytes)
            return {};

        juce::MemoryBlock bytes;
        if (! file.loadFileAsData (bytes))
            return {};

        return parseText (bytes.getData(), bytes.getSize());
    }

    bool write (const juce::XmlElement& xml, const juce::File& target)
    {
        if (target == juce::File())
            return false;

        juce::MemoryOutputStream text;
        xml.writeTo (text, juce::XmlElement::TextFormat());
        return write (text.getData(), text.getDataSize(), target);
    }

    bool write (const void* data, size_t numBytes, const juce::File& target)
    {
        if (target == juce::File() || target.isDirectory())
            return false;

        const juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

        {
            juce::FileOutputStream out (temporary.getFile());

            if (! out.openedOk())
                return false;

            if (numBytes > 0 && ! out.write (data, numBytes))
                return false;

            out.flush();

            if (out.getStatus().failed())
                return false;
        }

        return temporary.overwriteTargetFileWithTemporary();
    }
}
