#pragma once

#include "common/ParameterIds.h"
#include <array>

/** The eleven built-in presets. Each sets the same 23 parameters; the main bypass and the
    input and output gains are never touched, so levels survive a preset change. */
namespace FactoryPresets
{
    /** The parameters a factory preset sets, in the order they are set. */
    inline constexpr std::array<ParameterIds::Index, 23> parameters {
        ParameterIds::toneBypass, ParameterIds::compBypass, ParameterIds::characterBypass, ParameterIds::spaceBypass,
        ParameterIds::hpfFreq, ParameterIds::lpfFreq, ParameterIds::lowGain, ParameterIds::midGain,
        ParameterIds::highGain, ParameterIds::airGain, ParameterIds::compThresh, ParameterIds::compRatio,
        ParameterIds::compAttack, ParameterIds::compRelease, ParameterIds::compMakeup, ParameterIds::deEssFreq,
        ParameterIds::deEssAmount, ParameterIds::satDrive, ParameterIds::satMix, ParameterIds::width,
        ParameterIds::reverbSize, ParameterIds::reverbDamping, ParameterIds::reverbMix
    };

    /** One preset: its name and a value for each entry of `parameters` (bools as 0 or 1). */
    struct Preset
    {
        const char* name;
        std::array<float, parameters.size()> values;
    };

    /** The table, in menu order. */
    extern const std::array<Preset, 11> table;

    /** The preset with exactly this name, or nullptr. */
    const Preset* find (const char* name) noexcept;
}
