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

        // The characters the parser takes into a tag or attribute name.
        bool isNameCharacter (juce::juce_wchar c)
        {
            if (c < 0x80)
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                    || c == '_' || c == '-' || c == ':' || c == '.';

            return c >= 0xa0 && juce::CharacterFunctions::isLetterOrDigit (c);
        }

        using Pointer = juce::String::CharPointerType;

        bool startsWith (Pointer p, const char* text)
        {
            for (; *text != 0; ++text, ++p)
                if (*p != (juce::juce_wchar) (unsigned char) *text)
                    return false;
            return true;
        }

        void skipPast (Pointer& p, const char* terminator)
        {
            while (! p.isEmpty() && ! startsWith (p, terminator))
                ++p;

            for (auto* t = terminator; *t != 0 && ! p.isEmpty(); ++t)
                ++p;
        }

        void skipBlanksAndComments (Pointer& p)
        {
            for (;;)
            {
                p.incrementToEndOfWhitespace();

                if (! startsWith (p, "<!--"))
                    return;

                skipPast (p, "-->");
            }
        }

        juce::String readName (Pointer& p)
        {
            auto start = p;
            while (isNameCharacter (*p))
                ++p;
            return juce::String (start, p);
        }

        // The parser builds elements and attributes from names that XML does
        // not allow (a leading digit, say) and objects to them in debug
        // builds. Walks the text the way the parser does and refuses it at
        // the first such name.
        bool hasOnlyValidNames (const juce::String& text)
        {
            auto p = text.getCharPointer();
            bool inTag = false;

            while (! p.isEmpty())
            {
                if (! inTag)
                {
                    if (*p != '<')
                    {
                        ++p;
                    }
                    else if (startsWith (p, "<!--"))
                    {
                        skipPast (p, "-->");
                    }
                    else if (startsWith (p, "<![CDATA["))
                    {
                        skipPast (p, "]]>");
                    }
                    else
                    {
                        ++p;
                        skipBlanksAndComments (p);

                        if (*p == '/')
                        {
                            skipPast (p, ">");
                            continue;
                        }

                        const auto name = readName (p);
                        if (name.isEmpty())
                            continue;

                        if (! juce::XmlElement::isValidXmlName (name))
                            return false;

                        inTag = true;
                    }

                    continue;
                }

                skipBlanksAndComments (p);
                const auto c = *p;

                if (c == '/' && p[1] == '>')
                {
                    p += 2;
                    inTag = false;
                }
                else if (c == '>')
                {
                    ++p;
                    inTag = false;
                }
                else if (isNameCharacter (c))
                {
                    if (! juce::XmlElement::isValidXmlName (readName (p)))
                        return false;

                    skipBlanksAndComments (p);

                    if (*p != '=')
                    {
                        // The parser gives up on the tag past this character.
                        if (! p.isEmpty())
                            ++p;
                        inTag = false;
                        continue;
                    }

                    ++p;
                    skipBlanksAndComments (p);

                    const auto quote = *p;
                    if (quote == '"' || quote == '\'')
                    {
                        ++p;
                        while (! p.isEmpty() && *p != quote)
                            ++p;
                        if (! p.isEmpty())
                            ++p;
                    }
                    else
                    {
                        // An unquoted value ends the tag there.
                        inTag = false;
                    }
                }
                else
                {
                    inTag = false;
                }
            }

            return true;
        }

        bool isUnicodeScalar (juce::int64 code)
        {
            return code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
        }

        // Only the five predefined entities and character references to real
        // characters: the parser can run past the end of the text on a broken
        // reference, and anything else needs a DTD.
        bool hasOnlySafeEntities (const juce::String& text)
        {
            for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
            {
                if (*p != '&')
                    continue;

                auto q = p + 1;

                if (*q != '#')
                {
                    const char* const named[] = { "amp;", "quot;", "apos;", "lt;", "gt;" };
                    bool known = false;

                    for (auto* name : named)
                        known = known || q.compareIgnoreCaseUpTo (juce::CharPointer_ASCII (name), (int) strlen (name)) == 0;

                    if (! known)
                        return false;

                    continue;
                }

                ++q;
                const bool hex = *q == 'x' || *q == 'X';
                if (hex)
                    ++q;

                juce::int64 code = 0;
                int digits = 0;

                for (; *q != ';'; ++q)
                {
                    const int value = hex ? juce::CharacterFunctions::getHexDigitValue (*q)
                                          : (*q >= '0' && *q <= '9' ? (int) (*q - '0') : -1);

                    if (value < 0 || ++digits > 8)
                        return false;

                    code = code * (hex ? 16 : 10) + value;
                }

                if (digits == 0 || ! isUnicodeScalar (code))
                    return false;
            }

            return true;
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

        // Entity expansion through a DTD can recurse without end, and the
        // parser loops forever on a processing instruction followed by text
        // inside an element. No document of ours has either.
        if (body.contains ("<!DOCTYPE") || body.contains ("<?"))
            return {};

        if (! hasOnlySafeEntities (body) || ! hasOnlyValidNames (body))
            return {};

        juce::XmlDocument parser (body);
        return parser.getDocumentElement();
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

        // The stream does not report a short write (a full disk, a size
        // limit), so the result is measured.
        if (temporary.getFile().getSize() != (juce::int64) numBytes)
            return false;

        return temporary.overwriteTargetFileWithTemporary();
    }
}
