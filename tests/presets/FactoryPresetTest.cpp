#include "support/TestSupport.h"

#include <gtest/gtest.h>

// Factory presets: the built-in values, what a preset leaves alone, the preset record and
// its modified mark, and how loads become undo steps.

namespace
{
    constexpr int numPresetParams = 23;

    const char* const presetParamIds[numPresetParams] {
        "toneBypass", "compBypass", "characterBypass", "spaceBypass", "hpfFreq", "lpfFreq", "lowGain", "midGain",
        "highGain", "airGain", "compThresh", "compRatio", "compAttack", "compRelease", "compMakeup", "deEssFreq",
        "deEssAmount", "satDrive", "satMix", "width", "reverbSize", "reverbDamping", "reverbMix"
    };

    struct Expected
    {
        const char* name;
        float values[numPresetParams];
    };

    // One row per preset, columns in the order of presetParamIds.
    const Expected expectedPresets[] {
        { "Airy",     { 0, 0, 0, 0, 90, 20000, -1, -0.5f, 2.5f, 5.5f, -19, 3, 12, 95, 3, 7000, 28, 3.5f, 15, 118, 22, 32, 14 } },
        { "Bright",   { 0, 0, 0, 0, 85, 18500, -1, 1, 3, 3, -20, 3.5f, 8, 80, 3.5f, 6800, 24, 5, 18, 108, 16, 35, 8 } },
        { "Clean",    { 0, 0, 0, 0, 80, 20000, 0, 0, 1.5f, 2, -18, 3, 12, 85, 3, 6200, 25, 4, 18, 105, 12, 40, 6 } },
        { "Dark",     { 0, 0, 0, 0, 70, 14500, 1.5f, -1.5f, -2.5f, -4, -17, 2.8f, 16, 110, 2, 5600, 14, 6, 20, 98, 10, 52, 4 } },
        { "Intimate", { 0, 0, 0, 0, 75, 17000, 1, 1.2f, -0.8f, -1, -22, 4, 10, 75, 4, 6100, 20, 4.5f, 16, 92, 8, 48, 4 } },
        { "Podcast",  { 0, 0, 0, 0, 85, 15000, 0.5f, 1.5f, -0.5f, 0.5f, -24, 4.5f, 6, 70, 5, 6200, 18, 2, 10, 100, 0, 35, 0 } },
        { "Presence", { 0, 0, 0, 0, 80, 19000, -0.5f, 2.5f, 1.5f, 1, -20, 3.8f, 8, 72, 4, 6500, 22, 6, 20, 106, 10, 38, 5 } },
        { "Rap",      { 0, 0, 0, 0, 95, 17500, -0.5f, 2, 2.5f, 1, -26, 6, 3, 45, 5, 6800, 28, 10, 35, 110, 14, 40, 5 } },
        { "Rock",     { 0, 0, 0, 0, 95, 16500, 0, 2.2f, 1.8f, 0.8f, -24, 5, 4, 55, 5, 6500, 20, 12, 40, 108, 12, 42, 6 } },
        { "Warm",     { 0, 0, 0, 0, 75, 16500, 1, 0.6f, -1, -1.8f, -18, 2.6f, 14, 95, 2.5f, 5800, 14, 6.5f, 24, 102, 9, 50, 4 } },
        { "Wide",     { 0, 0, 0, 0, 85, 19000, -0.5f, 0.8f, 1.5f, 2, -20, 3.2f, 10, 80, 3, 6500, 22, 4, 18, 140, 20, 36, 10 } },
    };

    constexpr float tolerance = 0.006f; // half a 0.01 step: values land on the parameter grid

    /** Puts every preset parameter away from all preset values, so a load must move each one. */
    void scramble (OrvelAudioProcessor& p)
    {
        for (const auto* id : { "toneBypass", "compBypass", "characterBypass", "spaceBypass" })
            p.setParameterValue (id, 1.0f);

        const std::pair<const char*, float> odd[] {
            { "hpfFreq", 333.33f }, { "lpfFreq", 5555.55f }, { "lowGain", -11.11f }, { "midGain", -12.12f },
            { "highGain", 13.13f }, { "airGain", -14.14f }, { "compThresh", -55.55f }, { "compRatio", 15.15f },
            { "compAttack", 77.77f }, { "compRelease", 444.44f }, { "compMakeup", 21.21f }, { "deEssFreq", 9876.5f },
            { "deEssAmount", 91.91f }, { "satDrive", 23.23f }, { "satMix", 92.92f }, { "width", 3.33f },
            { "reverbSize", 93.93f }, { "reverbDamping", 4.44f }, { "reverbMix", 94.94f }
        };

        for (const auto& [id, v] : odd)
            p.setParameterValue (id, v);
    }
}

TEST (FactoryPresets, NamesInMenuOrder)
{
    OrvelAudioProcessor p;
    juce::StringArray expected;

    for (const auto& e : expectedPresets)
        expected.add (e.name);

    EXPECT_EQ (p.getFactoryPresetNames(), expected);
}

TEST (FactoryPresets, EveryPresetSetsItsValuesAndLeavesGainsAndMainBypassAlone)
{
    for (const auto& e : expectedPresets)
    {
        SCOPED_TRACE (e.name);
        OrvelAudioProcessor p;
        scramble (p);
        p.setParameterValue ("inputGain", 7.25f);
        p.setParameterValue ("outputGain", -9.5f);
        p.setParameterValue ("mainBypass", 1.0f);
        p.setPresetInfo ("Mine", true, true);

        p.loadFactoryPreset (e.name);

        for (int i = 0; i < numPresetParams; ++i)
            EXPECT_NEAR (p.getParameterValue (presetParamIds[i]), e.values[i], tolerance) << presetParamIds[i];

        EXPECT_NEAR (p.getParameterValue ("inputGain"), 7.25f, tolerance);
        EXPECT_NEAR (p.getParameterValue ("outputGain"), -9.5f, tolerance);
        EXPECT_EQ (p.getParameterValue ("mainBypass"), 1.0f);

        EXPECT_EQ (p.getCurrentPresetName(), e.name);
        EXPECT_EQ (p.getPresetDisplayName(), e.name) << "a preset load does not mark itself modified";
        EXPECT_FALSE (p.isCurrentPresetUser());
        EXPECT_EQ (p.getUndoHistory().getNumSteps(), 1);
    }
}

TEST (FactoryPresets, UndoRestoresTheWholePreviousStateInOneStep)
{
    OrvelAudioProcessor p;
    scramble (p);
    p.setPresetInfo ("Mine", true, true);
    const auto before = p.captureState();

    p.loadFactoryPreset ("Rap");
    const auto after = p.captureState();
    ASSERT_TRUE (p.canUndo());

    p.undo();
    EXPECT_TRUE (p.captureState().isEquivalentTo (before));
    EXPECT_EQ (p.getPresetDisplayName(), "Mine *");
    EXPECT_TRUE (p.isCurrentPresetUser());
    EXPECT_FALSE (p.canUndo());

    p.redo();
    EXPECT_TRUE (p.captureState().isEquivalentTo (after));
    EXPECT_EQ (p.getPresetDisplayName(), "Rap");
}

TEST (FactoryPresets, ModifiedMark)
{
    OrvelAudioProcessor p;
    p.loadFactoryPreset ("Dark");

    p.setParameterValue ("mainBypass", 1.0f);
    EXPECT_EQ (p.getPresetDisplayName(), "Dark") << "the main bypass never marks a preset modified";

    // Host automation arrives as a normalised value, not through a preset operation.
    auto* width = p.getValueTreeState().getParameter ("width");
    width->setValueNotifyingHost (0.7f);
    EXPECT_EQ (p.getPresetDisplayName(), "Dark *");
    EXPECT_EQ (p.getCurrentPresetName(), "Dark");
}

TEST (FactoryPresets, ReapplyingRecordsAStepOnlyWhenSomethingDiffers)
{
    OrvelAudioProcessor p;
    p.loadFactoryPreset ("Warm");
    ASSERT_EQ (p.getUndoHistory().getNumSteps(), 1);

    p.loadFactoryPreset ("Warm");
    EXPECT_EQ (p.getUndoHistory().getNumSteps(), 1) << "same preset, unmodified: nothing to record";

    // Moving a dial away and back leaves every value as it was, but the modified mark.
    p.setParameterValue ("width", 150.0f);
    p.setParameterValue ("width", 102.0f);
    ASSERT_EQ (p.getPresetDisplayName(), "Warm *");
    p.loadFactoryPreset ("Warm");
    EXPECT_EQ (p.getUndoHistory().getNumSteps(), 2);
    EXPECT_EQ (p.getPresetDisplayName(), "Warm");
}

TEST (FactoryPresets, UnknownAndEmptyNames)
{
    OrvelAudioProcessor p;
    p.loadFactoryPreset ("Warm");
    const auto warm = p.captureState();

    p.loadFactoryPreset ("warm"); // names match case-sensitively
    EXPECT_EQ (p.getCurrentPresetName(), "warm");
    EXPECT_EQ (p.getUndoHistory().getNumSteps(), 2) << "the stored name differs, so a step is recorded";

    for (int i = 0; i < numPresetParams; ++i)
        EXPECT_EQ (p.getParameterValue (presetParamIds[i]),
                   (float) (double) warm.getChildWithProperty ("id", presetParamIds[i]).getProperty ("value"))
            << presetParamIds[i];

    p.loadFactoryPreset ({});
    EXPECT_EQ (p.getCurrentPresetName(), "Presets");
    EXPECT_EQ (p.getPresetDisplayName(), "Presets");
    EXPECT_FALSE (p.isCurrentPresetUser());
    EXPECT_EQ (p.getUndoHistory().getNumSteps(), 3);

    p.undo();
    EXPECT_EQ (p.getPresetDisplayName(), "warm");
}

TEST (FactoryPresets, FactoryLoadClearsTheUserFlagSoDeletingTheOldFileKeepsTheName)
{
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor p;
    ASSERT_TRUE (p.saveUserPreset ("Mine"));
    ASSERT_TRUE (p.isCurrentPresetUser());

    p.loadFactoryPreset ("Bright");
    EXPECT_FALSE (p.isCurrentPresetUser());

    EXPECT_TRUE (p.deleteUserPreset ("Mine"));
    EXPECT_EQ (p.getCurrentPresetName(), "Bright");
}
