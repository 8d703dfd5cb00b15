#include "common/SafeXml.h"

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

    std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
    {
        if (! isNestingWithinLimit (text))
            return {};

        return juce::parseXML (text);
    }

    std::unique_ptr<juce::XmlElement> parse (const juce::File& file)
    {
        if (! file.existsAsFile() || file.getSize() > maxFileSize)
            return {};

        return parse (file.loadFileAsString());
    }
}
