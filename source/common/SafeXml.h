#pragma once

#include <juce_core/juce_core.h>

/** Parsing of XML that comes from outside: host state blocks and preset files.

    JUCE's parser and ValueTree::fromXml recurse once per nesting level, so a damaged or
    malicious document nested some tens of thousands of levels deep would overflow the
    stack and take the host down with it. Orvel's own documents are three levels deep;
    anything nested deeper than maxDepth is refused before it reaches the parser. So is text
    that the parser misreads or never finishes reading: invalid UTF-8, a character reference
    cut off by the end, and a processing instruction or a document type it loops on.
*/
namespace SafeXml
{
    /** The deepest element nesting accepted. */
    inline constexpr int maxDepth = 64;

    /** The largest preset file read, in bytes; Orvel writes a few kilobytes. */
    inline constexpr juce::int64 maxFileSize = 4 * 1024 * 1024;

    /** True when no element in the text is nested deeper than maxDepth. Comments and
        character data are not told apart from markup, which can only make the count higher. */
    bool isNestingWithinLimit (const juce::String& text);

    /** False for text that sends JUCE's parser astray: text that is not valid UTF-8, that
        ends inside a hexadecimal character reference, or that hasMarkupJuceLoopsOn(). */
    bool isReadableByJuceParser (const juce::String& text);

    /** True for UTF-8 text holding markup on which JUCE's parser can run for ever: a
        processing instruction after the start of the document element, or a document type
        (whose entities could expand to such markup). */
    bool hasMarkupJuceLoopsOn (const char* utf8);

    /** The same checks as isNestingWithinLimit() and isReadableByJuceParser(), on a file's
        bytes as JUCE's parser reads them when handed the file itself (as PropertiesFile
        does): undecoded, up to the first zero byte. */
    bool isFileContentReadableByJuceParser (const juce::MemoryBlock& fileContent);

    /** True when an element of the tree names the same attribute twice. */
    bool hasRepeatedAttribute (const juce::XmlElement& element);

    /** Parses a document, or returns nullptr when it is malformed (an attribute repeated in
        one element included), unreadable for JUCE's parser or nested too deeply. */
    std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    /** Reads and parses a file, or returns nullptr when it cannot be read, is larger than
        maxFileSize, is malformed or is nested too deeply. */
    std::unique_ptr<juce::XmlElement> parse (const juce::File& file);
}
