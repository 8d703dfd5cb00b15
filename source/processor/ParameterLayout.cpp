#include "processor/ParameterLayout.h"
#include "common/ParameterIds.h"

namespace
{
    struct FloatRow
    {
        const char* name;
        float min, max, skew, defaultValue;
    };

    constexpr float linear = 1.0f, skewed = 0.35f;

    /** JUCE's range of (min, max, 0.01, skew), with one addition: a value that is not a
        finite number (from a host, a typed text or a stored state) stands for the default.
        A NaN in a parameter would otherwise reach the filters and silence the instance. */
    juce::NormalisableRange<float> makeRange (const FloatRow& row)
    {
        const juce::NormalisableRange<float> plain (row.min, row.max, 0.01f, row.skew);
        const float def = row.defaultValue;
        const float defNormalised = plain.convertTo0to1 (def);

        juce::NormalisableRange<float> range (
            row.min, row.max,
            [plain, def] (float, float, float p) { return std::isfinite (p) ? plain.convertFrom0to1 (p) : def; },
            [plain, defNormalised] (float, float, float v) { return std::isfinite (v) ? plain.convertTo0to1 (v) : defNormalised; },
            [plain, def] (float, float, float v) { return std::isfinite (v) ? plain.snapToLegalValue (v) : def; });

        // Keep the step and skew visible to hosts and to code that inspects the range.
        range.interval = plain.interval;
        range.skew = plain.skew;
        return range;
    }

    /** JUCE's bool parameter, reporting its value as exactly off (0) or on (1). JUCE keeps
        whatever a host sends, a NaN included, and the tree state's raw value would then be
        NaN too; read back this way a non-finite value counts as off, the default. */
    class BoolParameter final : public juce::AudioParameterBool
    {
    public:
        using juce::AudioParameterBool::AudioParameterBool;

        float getValue() const override { return get() ? 1.0f : 0.0f; }
    };
}

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    using namespace ParameterIds;
    std::vector<std::unique_ptr<juce::RangedAudioParameter>> params;

    const auto addBool = [&params] (Index index, const char* name)
    {
        params.push_back (std::make_unique<BoolParameter> (juce::ParameterID { ids[(size_t) index], 1 }, name, false));
    };

    const auto addFloat = [&params] (Index index, const FloatRow& row)
    {
        params.push_back (std::make_unique<juce::AudioParameterFloat> (
            juce::ParameterID { ids[(size_t) index], 1 }, row.name, makeRange (row), row.defaultValue));
    };

    addBool (mainBypass, "Main Bypass");
    addFloat (inputGain, { "Input Gain", -48.0f, 48.0f, linear, 0.0f });
    addFloat (outputGain, { "Output Gain", -48.0f, 48.0f, linear, 0.0f });

    addBool (toneBypass, "Tone Bypass");
    addFloat (hpfFreq, { "HPF", 20.0f, 500.0f, skewed, 80.0f });
    addFloat (lpfFreq, { "LPF", 4000.0f, 20000.0f, skewed, 20000.0f });
    addFloat (lowGain, { "Low", -18.0f, 18.0f, linear, 0.0f });
    addFloat (midGain, { "Mid", -18.0f, 18.0f, linear, 0.0f });
    addFloat (highGain, { "High", -18.0f, 18.0f, linear, 0.0f });
    addFloat (airGain, { "Air", -18.0f, 18.0f, linear, 0.0f });

    addBool (compBypass, "Compression Bypass");
    addFloat (compThresh, { "Comp Threshold", -60.0f, 0.0f, linear, -18.0f });
    addFloat (compRatio, { "Comp Ratio", 1.0f, 20.0f, linear, 3.0f });
    addFloat (compAttack, { "Comp Attack", 0.1f, 100.0f, skewed, 10.0f });
    addFloat (compRelease, { "Comp Release", 5.0f, 500.0f, skewed, 80.0f });
    addFloat (compMakeup, { "Comp Makeup", 0.0f, 24.0f, linear, 0.0f });

    addBool (characterBypass, "Character Bypass");
    addFloat (deEssFreq, { "De-Esser Freq", 3000.0f, 10000.0f, skewed, 6000.0f });
    addFloat (deEssAmount, { "De-Esser Amount", 0.0f, 100.0f, linear, 20.0f });
    addFloat (satDrive, { "Saturation Drive", 0.0f, 24.0f, linear, 0.0f });
    addFloat (satMix, { "Saturation Mix", 0.0f, 100.0f, linear, 0.0f });

    addBool (spaceBypass, "Space Bypass");
    addFloat (width, { "Width", 0.0f, 200.0f, linear, 100.0f });
    addFloat (reverbSize, { "Reverb Size", 0.0f, 100.0f, linear, 18.0f });
    addFloat (reverbDamping, { "Reverb Damping", 0.0f, 100.0f, linear, 35.0f });
    addFloat (reverbMix, { "Reverb Mix", 0.0f, 100.0f, linear, 0.0f });

    jassert (params.size() == (size_t) count);
    return { params.begin(), params.end() };
}
