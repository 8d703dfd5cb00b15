#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace
{
    /** The parameter set as hosts, presets and the editor rely on it, in host order.
        A skew of 0 marks a bool parameter. */
    struct ParameterRow
    {
        const char* id;
        const char* name;
        float min, max, skew, defaultValue;
    };

    constexpr float boolean = 0.0f;

    const ParameterRow parameterTable[] = {
        { "mainBypass",      "Main Bypass",        0.0f,     1.0f,     boolean, 0.0f },
        { "inputGain",       "Input Gain",         -48.0f,   48.0f,    1.0f,    0.0f },
        { "outputGain",      "Output Gain",        -48.0f,   48.0f,    1.0f,    0.0f },
        { "toneBypass",      "Tone Bypass",        0.0f,     1.0f,     boolean, 0.0f },
        { "hpfFreq",         "HPF",                20.0f,    500.0f,   0.35f,   80.0f },
        { "lpfFreq",         "LPF",                4000.0f,  20000.0f, 0.35f,   20000.0f },
        { "lowGain",         "Low",                -18.0f,   18.0f,    1.0f,    0.0f },
        { "midGain",         "Mid",                -18.0f,   18.0f,    1.0f,    0.0f },
        { "highGain",        "High",               -18.0f,   18.0f,    1.0f,    0.0f },
        { "airGain",         "Air",                -18.0f,   18.0f,    1.0f,    0.0f },
        { "compBypass",      "Compression Bypass", 0.0f,     1.0f,     boolean, 0.0f },
        { "compThresh",      "Comp Threshold",     -60.0f,   0.0f,     1.0f,    -18.0f },
        { "compRatio",       "Comp Ratio",         1.0f,     20.0f,    1.0f,    3.0f },
        { "compAttack",      "Comp Attack",        0.1f,     100.0f,   0.35f,   10.0f },
        { "compRelease",     "Comp Release",       5.0f,     500.0f,   0.35f,   80.0f },
        { "compMakeup",      "Comp Makeup",        0.0f,     24.0f,    1.0f,    0.0f },
        { "characterBypass", "Character Bypass",   0.0f,     1.0f,     boolean, 0.0f },
        { "deEssFreq",       "De-Esser Freq",      3000.0f,  10000.0f, 0.35f,   6000.0f },
        { "deEssAmount",     "De-Esser Amount",    0.0f,     100.0f,   1.0f,    20.0f },
        { "satDrive",        "Saturation Drive",   0.0f,     24.0f,    1.0f,    0.0f },
        { "satMix",          "Saturation Mix",     0.0f,     100.0f,   1.0f,    0.0f },
        { "spaceBypass",     "Space Bypass",       0.0f,     1.0f,     boolean, 0.0f },
        { "width",           "Width",              0.0f,     200.0f,   1.0f,    100.0f },
        { "reverbSize",      "Reverb Size",        0.0f,     100.0f,   1.0f,    18.0f },
        { "reverbDamping",   "Reverb Damping",     0.0f,     100.0f,   1.0f,    35.0f },
        { "reverbMix",       "Reverb Mix",         0.0f,     100.0f,   1.0f,    0.0f },
    };

    /** Real value of a normalised position, before snapping to the 0.01 step. */
    double unsnapped (double min, double max, double skew, double p)
    {
        return min + (max - min) * std::pow (p, 1.0 / skew);
    }

    /** Two floats of a parameter value agree when they differ by rounding of the value's magnitude only. */
    double floatSlack (double v) { return 4.0 * std::numeric_limits<float>::epsilon() * std::abs (v); }

    bool isOnStepGrid (double value, double min)
    {
        const double steps = (value - min) / 0.01;
        return std::abs (steps - std::round (steps)) < 0.01 + floatSlack (value) / 0.01;
    }

    juce::RangedAudioParameter& param (OrvelAudioProcessor& p, const char* id)
    {
        auto* found = p.getValueTreeState().getParameter (id);
        EXPECT_NE (found, nullptr) << id;
        return *found;
    }

    class ParameterTest : public ::testing::Test
    {
    protected:
        TestSupport::ScopedConfigHome home;
        OrvelAudioProcessor processor;
    };
}

TEST_F (ParameterTest, HostSeesTheTwentySixParametersInOrderWithTheirNamesRangesAndDefaults)
{
    const auto& params = processor.getParameters();
    ASSERT_EQ (params.size(), 26);
    ASSERT_EQ ((size_t) params.size(), std::size (parameterTable));

    for (int i = 0; i < params.size(); ++i)
    {
        const auto& row = parameterTable[i];
        SCOPED_TRACE (row.id);
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
        ASSERT_NE (ranged, nullptr);

        EXPECT_EQ (ranged->getParameterIndex(), i);
        EXPECT_EQ (ranged->getParameterID(), juce::String (row.id));
        EXPECT_EQ (ranged->paramID, juce::String (row.id));
        EXPECT_EQ (ranged->getName (100), juce::String (row.name));
        EXPECT_EQ (ranged->getLabel(), juce::String());
        EXPECT_TRUE (ranged->isAutomatable());
        EXPECT_FALSE (ranged->isMetaParameter());
        EXPECT_NEAR (processor.getParameterValue (row.id), row.defaultValue, 1.0e-4 + floatSlack (row.defaultValue));

        if (row.skew == boolean)
        {
            auto* b = dynamic_cast<juce::AudioParameterBool*> (ranged);
            ASSERT_NE (b, nullptr);
            EXPECT_FALSE (b->get());
            EXPECT_EQ (ranged->getDefaultValue(), 0.0f);
            continue;
        }

        auto* f = dynamic_cast<juce::AudioParameterFloat*> (ranged);
        ASSERT_NE (f, nullptr);
        const auto& range = f->getNormalisableRange();
        EXPECT_EQ (range.start, row.min);
        EXPECT_EQ (range.end, row.max);
        EXPECT_FLOAT_EQ (range.interval, 0.01f);
        EXPECT_FLOAT_EQ (range.skew, row.skew);
        EXPECT_FALSE (range.symmetricSkew);
        EXPECT_NEAR (range.convertFrom0to1 (ranged->getDefaultValue()), row.defaultValue, 0.005 + floatSlack (row.defaultValue));
        EXPECT_NEAR (f->get(), row.defaultValue, 1.0e-4 + floatSlack (row.defaultValue));

        // The mapping a host sees follows min + (max - min) p^(1/skew), snapped to 0.01.
        for (const double p : { 0.0, 0.1, 0.37, 0.5, 0.83, 1.0 })
        {
            const double expected = unsnapped (row.min, row.max, row.skew, p);
            const double actual = f->convertFrom0to1 ((float) p);
            EXPECT_NEAR (actual, expected, 0.005 + floatSlack (expected)) << "p = " << p;
            EXPECT_TRUE (isOnStepGrid (actual, row.min)) << "p = " << p << " gives " << actual;
        }
    }
}

TEST_F (ParameterTest, SkewedRangesPutMidpointsAndDefaultsWhereTheFormulaSays)
{
    EXPECT_NEAR (param (processor, "hpfFreq").convertFrom0to1 (0.5f), unsnapped (20, 500, 0.35, 0.5), 0.005);
    EXPECT_NEAR (param (processor, "hpfFreq").convertFrom0to1 (0.5f), 86.25, 0.006);
    EXPECT_NEAR (param (processor, "hpfFreq").convertTo0to1 (80.0f), std::pow (60.0 / 480.0, 0.35), 1.0e-5);
    EXPECT_NEAR (param (processor, "hpfFreq").convertTo0to1 (80.0f), 0.483, 0.001);
    EXPECT_NEAR (param (processor, "compAttack").convertFrom0to1 (0.5f), unsnapped (0.1, 100, 0.35, 0.5), 0.005);
    EXPECT_NEAR (param (processor, "compAttack").convertFrom0to1 (0.5f), 13.89, 0.006);
}

TEST_F (ParameterTest, HostValuesBetweenStepsSnapToTheNearestHundredth)
{
    struct Case { const char* id; double min, max, skew, normalised; };
    const Case cases[] = {
        { "inputGain",  -48, 48,    1,    0.512345 },
        { "compRatio",  1,   20,    1,    0.123457 },
        { "hpfFreq",    20,  500,   0.35, 0.5 },
        { "compAttack", 0.1, 100,   0.35, 0.5 },
        { "deEssFreq",  3000, 10000, 0.35, 0.3 },
        { "width",      0,   200,   1,    0.777777 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.id);
        param (processor, c.id).setValueNotifyingHost ((float) c.normalised);
        const double rawValue = processor.getParameterValue (c.id);
        const double expected = unsnapped (c.min, c.max, c.skew, c.normalised);

        EXPECT_NEAR (rawValue, expected, 0.005 + floatSlack (expected));
        EXPECT_TRUE (isOnStepGrid (rawValue, c.min)) << rawValue;
        EXPECT_GT (std::abs (expected - std::round (expected * 100.0) / 100.0), 1.0e-4) << "case should sit between steps";
    }
}

TEST_F (ParameterTest, SetParameterValueSnapsAndClampsToTheNearestEnd)
{
    struct Case { const char* id; float requested, stored; };
    const Case cases[] = {
        { "inputGain",  100.0f,    48.0f },
        { "inputGain",  -1000.0f,  -48.0f },
        { "hpfFreq",    1.0f,      20.0f },
        { "lpfFreq",    1.0e6f,    20000.0f },
        { "compMakeup", -5.0f,     0.0f },
        { "width",      250.0f,    200.0f },
        { "compRatio",  3.14159f,  3.14f },
        { "compThresh", -24.0f,    -24.0f },
        { "mainBypass", 7.0f,      1.0f },
        { "mainBypass", -3.0f,     0.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.id) + " <- " + juce::String (c.requested));
        processor.setParameterValue (c.id, c.requested);
        EXPECT_NEAR (processor.getParameterValue (c.id), c.stored, 1.0e-4);
    }
}

TEST_F (ParameterTest, UnknownIdentifiersAreIgnoredAndReadAsZero)
{
    processor.setParameterValue ("inputGain", 5.0f);

    std::vector<float> before;
    for (const auto& row : parameterTable)
        before.push_back (processor.getParameterValue (row.id));

    for (const char* unknown : { "", "InputGain", "input", "inputGainX", "bypass", "mainbypass" })
    {
        SCOPED_TRACE (unknown);
        processor.setParameterValue (unknown, 1.0f);
        EXPECT_EQ (processor.getParameterValue (unknown), 0.0f);
    }

    for (size_t i = 0; i < std::size (parameterTable); ++i)
        EXPECT_EQ (processor.getParameterValue (parameterTable[i].id), before[i]) << parameterTable[i].id;

    EXPECT_EQ (processor.getParameterValue ("inputGain"), 5.0f);
}

// A NaN or infinity from a host, a typed text or our own callers must never become a raw
// value: the filters would turn it into silence for good.
TEST_F (ParameterTest, NonFiniteValuesNeverReachTheRawValues)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    for (const auto& row : parameterTable)
    {
        SCOPED_TRACE (row.id);
        auto& p = param (processor, row.id);

        processor.setParameterValue (row.id, row.defaultValue);
        p.setValueNotifyingHost (nan);
        EXPECT_TRUE (std::isfinite (processor.getParameterValue (row.id)));
        EXPECT_TRUE (std::isfinite (p.getValue()));

        if (row.skew == boolean)
        {
            EXPECT_EQ (processor.getParameterValue (row.id), 0.0f);
        }
        else
        {
            EXPECT_NEAR (processor.getParameterValue (row.id), row.defaultValue, 0.005 + floatSlack (row.defaultValue));
        }

        for (const char* text : { "nan", "NaN", "inf", "-inf", "1e999" })
        {
            const float normalised = p.getValueForText (text);
            EXPECT_TRUE (std::isfinite (normalised)) << text;
            p.setValueNotifyingHost (normalised);
            const float rawValue = processor.getParameterValue (row.id);
            EXPECT_TRUE (std::isfinite (rawValue)) << text;
            EXPECT_GE (rawValue, row.min) << text;
            EXPECT_LE (rawValue, row.max) << text;
        }

        // Our own setter leaves the value alone.
        processor.setParameterValue (row.id, row.max);
        processor.setParameterValue (row.id, nan);
        processor.setParameterValue (row.id, -inf);
        EXPECT_EQ (processor.getParameterValue (row.id), row.max);
    }
}

TEST_F (ParameterTest, BoolParametersCountAsOnFromExactlyOneHalf)
{
    for (const auto& row : parameterTable)
    {
        if (row.skew != boolean)
            continue;

        SCOPED_TRACE (row.id);
        auto& p = param (processor, row.id);
        p.setValueNotifyingHost (0.5f);
        EXPECT_GE (processor.getParameterValue (row.id), 0.5f);
        p.setValueNotifyingHost (0.49f);
        EXPECT_LT (processor.getParameterValue (row.id), 0.5f);
    }
}

namespace
{
    enum class HowSet { hostHalf, rawHalf, rawJustBelowHalf };

    struct BypassCase
    {
        HowSet how;
        bool expectBypassed;
    };

    class MainBypassThresholdTest : public ::testing::TestWithParam<BypassCase> {};
}

// The frame reads a bool raw value and treats 0.5 and above as on.
TEST_P (MainBypassThresholdTest, HalfEngagesTheMainBypass)
{
    TestSupport::ScopedConfigHome home;
    auto p = TestSupport::makePrepared (48000.0, 512);
    p->setParameterValue ("inputGain", 6.0f);

    switch (GetParam().how)
    {
        case HowSet::hostHalf:         p->getValueTreeState().getParameter ("mainBypass")->setValueNotifyingHost (0.5f); break;
        case HowSet::rawHalf:          p->getValueTreeState().getRawParameterValue ("mainBypass")->store (0.5f); break;
        case HowSet::rawJustBelowHalf: p->getValueTreeState().getRawParameterValue ("mainBypass")->store (0.4999f); break;
    }

    TestSupport::settle (*p, 2);

    const auto input = TestSupport::makeSine (2, 512, 1000.0, 48000.0, 0.1f);
    auto output = input;
    TestSupport::process (*p, output);

    if (GetParam().expectBypassed)
        EXPECT_EQ (TestSupport::maxDifference (input, output), 0.0f);
    else
        EXPECT_GT (TestSupport::maxDifference (input, output), 0.05f);
}

INSTANTIATE_TEST_SUITE_P (Frame, MainBypassThresholdTest,
                          ::testing::Values (BypassCase { HowSet::hostHalf, true },
                                             BypassCase { HowSet::rawHalf, true },
                                             BypassCase { HowSet::rawJustBelowHalf, false }));

TEST_F (ParameterTest, IdentityAndProgramsAreWhatHostsExpect)
{
    EXPECT_EQ (processor.getName(), juce::String ("Orvel"));
    EXPECT_EQ (processor.getTailLengthSeconds(), 1.5);
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());

    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), juce::String ("Default"));
    processor.setCurrentProgram (3);
    processor.changeProgramName (0, "Renamed");
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), juce::String ("Default"));

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), juce::String ("Input"));
    EXPECT_EQ (processor.getBus (false, 0)->getName(), juce::String ("Output"));
    EXPECT_EQ (processor.getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (processor.getBus (false, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabledByDefault());
    EXPECT_TRUE (processor.getBus (false, 0)->isEnabledByDefault());
}

TEST_F (ParameterTest, OnlyMatchingMonoOrStereoLayoutsAreAccepted)
{
    using Set = juce::AudioChannelSet;
    struct Case { Set in, out; bool accepted; };
    const Case cases[] = {
        { Set::mono(),       Set::mono(),       true },
        { Set::stereo(),     Set::stereo(),     true },
        { Set::mono(),       Set::stereo(),     false },
        { Set::stereo(),     Set::mono(),       false },
        { Set::create5point1(), Set::create5point1(), false },
        { Set::disabled(),   Set::disabled(),   false },
        { Set::disabled(),   Set::stereo(),     false },
        { Set::stereo(),     Set::disabled(),   false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((c.in.getDescription() + " -> " + c.out.getDescription()).toStdString());
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.in);
        layout.outputBuses.add (c.out);
        EXPECT_EQ (processor.checkBusesLayoutSupported (layout), c.accepted);
    }
}
