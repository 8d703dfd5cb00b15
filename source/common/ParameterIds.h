#pragma once

#include <array>
#include <cstddef>

/** Identifiers of the 26 parameters, in the order the host sees them. */
namespace ParameterIds
{
    enum Index
    {
        mainBypass, inputGain, outputGain,
        toneBypass, hpfFreq, lpfFreq, lowGain, midGain, highGain, airGain,
        compBypass, compThresh, compRatio, compAttack, compRelease, compMakeup,
        characterBypass, deEssFreq, deEssAmount, satDrive, satMix,
        spaceBypass, width, reverbSize, reverbDamping, reverbMix,
        count
    };

    /** The identifier texts, indexed by Index. */
    inline constexpr std::array<const char*, count> ids {
        "mainBypass", "inputGain", "outputGain",
        "toneBypass", "hpfFreq", "lpfFreq", "lowGain", "midGain", "highGain", "airGain",
        "compBypass", "compThresh", "compRatio", "compAttack", "compRelease", "compMakeup",
        "characterBypass", "deEssFreq", "deEssAmount", "satDrive", "satMix",
        "spaceBypass", "width", "reverbSize", "reverbDamping", "reverbMix"
    };

    /** Returns the index of an identifier, or -1 when it is not one of ours. */
    inline int indexOf (const char* id) noexcept
    {
        for (int i = 0; i < count; ++i)
        {
            const char* a = ids[(std::size_t) i];
            const char* b = id;
            while (*a != 0 && *a == *b) { ++a; ++b; }
            if (*a == *b)
                return i;
        }
        return -1;
    }
}
