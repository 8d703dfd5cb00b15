#pragma once

#include <array>

/** Orvel's 26 parameters as every format must show them, in order: identifier, name, range and
    default in the parameter's own units. Bools run from 0 to 1 and default to off. */
namespace orvel::formats
{
    struct ParameterRow
    {
        const char* id;
        const char* name;
        bool isBool;
        float minimum, maximum, defaultValue;
    };

    inline constexpr std::array<ParameterRow, 26> parameterTable { {
        { "mainBypass",      "Main Bypass",        true,  0.0f,    1.0f,     0.0f },
        { "inputGain",       "Input Gain",         false, -48.0f,  48.0f,    0.0f },
        { "outputGain",      "Output Gain",        false, -48.0f,  48.0f,    0.0f },
        { "toneBypass",      "Tone Bypass",        true,  0.0f,    1.0f,     0.0f },
        { "hpfFreq",         "HPF",                false, 20.0f,   500.0f,   80.0f },
        { "lpfFreq",         "LPF",                false, 4000.0f, 20000.0f, 20000.0f },
        { "lowGain",         "Low",                false, -18.0f,  18.0f,    0.0f },
        { "midGain",         "Mid",                false, -18.0f,  18.0f,    0.0f },
        { "highGain",        "High",               false, -18.0f,  18.0f,    0.0f },
        { "airGain",         "Air",                false, -18.0f,  18.0f,    0.0f },
        { "compBypass",      "Compression Bypass", true,  0.0f,    1.0f,     0.0f },
        { "compThresh",      "Comp Threshold",     false, -60.0f,  0.0f,     -18.0f },
        { "compRatio",       "Comp Ratio",         false, 1.0f,    20.0f,    3.0f },
        { "compAttack",      "Comp Attack",        false, 0.1f,    100.0f,   10.0f },
        { "compRelease",     "Comp Release",       false, 5.0f,    500.0f,   80.0f },
        { "compMakeup",      "Comp Makeup",        false, 0.0f,    24.0f,    0.0f },
        { "characterBypass", "Character Bypass",   true,  0.0f,    1.0f,     0.0f },
        { "deEssFreq",       "De-Esser Freq",      false, 3000.0f, 10000.0f, 6000.0f },
        { "deEssAmount",     "De-Esser Amount",    false, 0.0f,    100.0f,   20.0f },
        { "satDrive",        "Saturation Drive",   false, 0.0f,    24.0f,    0.0f },
        { "satMix",          "Saturation Mix",     false, 0.0f,    100.0f,   0.0f },
        { "spaceBypass",     "Space Bypass",       true,  0.0f,    1.0f,     0.0f },
        { "width",           "Width",              false, 0.0f,    200.0f,   100.0f },
        { "reverbSize",      "Reverb Size",        false, 0.0f,    100.0f,   18.0f },
        { "reverbDamping",   "Reverb Damping",     false, 0.0f,    100.0f,   35.0f },
        { "reverbMix",       "Reverb Mix",         false, 0.0f,    100.0f,   0.0f },
    } };
}
