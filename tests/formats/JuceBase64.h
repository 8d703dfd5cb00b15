#pragma once

// JUCE's own base-64 form of a memory block (MemoryBlock::toBase64Encoding), which is how
// JUCE's LV2 wrapper stores a plug-in's state block as an LV2 state property: the byte count in
// decimal, a '.', then six bits per character, taken from the lowest bit of each byte upwards,
// with JUCE's alphabet. It is not RFC 4648 base 64.

#include <optional>
#include <string>
#include <vector>

namespace orvel::juceformat
{
    std::string toBase64 (const std::vector<unsigned char>& bytes);

    /** The bytes, or nothing when the text has no count or holds characters outside the alphabet. */
    std::optional<std::vector<unsigned char>> fromBase64 (const std::string& text);
}
