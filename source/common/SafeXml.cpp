#include "common/SafeXml.h"

#include <cstring>

namespace SafeXml
{
    bool isNestingWithinLimit (const juce::String& text)
    {
        int depth = 0;
        auto p = text.getCharPointer();

        while (! p.isEmpty())
        {
            if (p.getAndAdvance() != '<')
                continue;

            const auto first = *p;

            if (first == '/')
            {
                --depth;
                continue;
            }

            if (first == '!' || first == '?')
                continue;

            // An opening tag: find its end, skipping quoted attribute values, to see
            // whether it closes itself.
            juce::juce_wchar quote = 0, previous = 0;

            while (! p.isEmpty())
            {
                const auto c = p.getAndAdvance();

                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                {
                    quote = c;
                }
                else if (c == '>')
                {
                    break;
                }

                previous = c;
            }

            if (previous != '/' && ++depth > maxDepth)
                return false;
        }

        return true;
    }

    bool isReadableByJuceParser (const juce::String& text)
    {
        // JUCE's parser assumes valid UTF-8. A stray continuation byte reads as an ASCII
        // character ("\xa6" as '&'), yet stepping back over it skips every continuation byte
        // before it, so a few damaged bytes can keep the parser reading the same entity for
        // ever while its output grows until memory runs out.
        // (The raw length: JUCE's own byte count decodes, and stops early on such bytes.)
        const auto* raw = text.toRawUTF8();

        if (! juce::CharPointer_UTF8::isValidString (raw, (int) std::strlen (raw)))
            return false;

        if (hasMarkupJuceLoopsOn (raw))
            return false;

        // A hexadecimal character reference cut off by the end of the text ("&#x4") makes it
        // read past the end.
        const auto lastAmpersand = text.lastIndexOfChar ('&');

        if (lastAmpersand < 0)
            return true;

        const auto tail = text.substring (lastAmpersand + 1);
        return ! (tail.startsWithIgnoreCase ("#x") && tail.substring (2).containsOnly ("0123456789abcdefABCDEF"));
    }

    bool hasMarkupJuceLoopsOn (const char* utf8)
    {
        // A processing instruction inside the document element followed by text ("<a><?p?>x")
        // sends JUCE's parser round the same spot for ever: it skips the instruction like
        // white space, finds text, steps back to before the instruction to read that text, and
        // stops at the instruction's '<' again. Orvel writes an instruction only before its
        // document element, and escapes '<' in attribute values, so any "<?" after the first
        // element's start is refused. Everything looked for is ASCII, so bytes are enough.
        const char* element = utf8;

        while ((element = std::strchr (element, '<')) != nullptr && (element[1] == '?' || element[1] == '!'))
            ++element;

        if (element != nullptr && std::strstr (element, "<?") != nullptr)
            return true;

        // A document type can define entities, which JUCE expands into markup (that one
        // included) without a limit; Orvel never writes one.
        return std::strstr (utf8, "<!DOCTYPE") != nullptr;
    }

    bool isFileContentReadableByJuceParser (const juce::MemoryBlock& fileContent)
    {
        // Text read through juce::String has its damaged bytes decoded into other characters,
        // so checking such a String would pass bytes the parser then reads raw and misreads
        // (past the end of its buffer, found by fuzzing the settings file).
        const auto* bytes = static_cast<const char*> (fileContent.getData());
        const auto length = fileContent.getSize() == 0 ? (size_t) 0 : ::strnlen (bytes, fileContent.getSize());

        if (! juce::CharPointer_UTF8::isValidString (bytes, (int) length))
            return false;

        // Valid UTF-8 decodes to itself, so from here on the String is what the parser reads.
        const auto text = juce::String::fromUTF8 (bytes, (int) length);
        return isNestingWithinLimit (text) && isReadableByJuceParser (text);
    }

    bool hasRepeatedAttribute (const juce::XmlElement& element)
    {
        for (int i = 1; i < element.getNumAttributes(); ++i)
            for (int j = 0; j < i; ++j)
                if (element.getAttributeName (i) == element.getAttributeName (j))
                    return true;

        for (const auto* child : element.getChildIterator())
            if (hasRepeatedAttribute (*child))
                return true;

        return false;
    }

    std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
    {
        if (! isReadableByJuceParser (text) || ! isNestingWithinLimit (text))
            return {};

        auto xml = juce::parseXML (text);

        // XML forbids an attribute twice in one element, but JUCE's parser keeps both, and
        // the tree made from it answers with the first while a save writes the last: a PARAM
        // read as one parameter was saved as another, and the first one's value was lost.
        if (xml != nullptr && hasRepeatedAttribute (*xml))
            return {};

        return xml;
    }

    std::unique_ptr<juce::XmlElement> parse (const juce::File& file)
    {
        if (! file.existsAsFile() || file.getSize() > maxFileSize)
            return {};

        return parse (file.loadFileAsString());
    }
}
