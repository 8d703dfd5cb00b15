#include "support/TestSupport.h"

#include <gtest/gtest.h>

// User preset files: names to file names, the folder, and save, list, load, delete and
// rename through the processor, including damaged files and names that try to leave the
// presets folder.

namespace
{
    constexpr float tolerance = 0.006f;

    class UserPresets : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // Never run a file test against the real user's folders.
            ASSERT_TRUE (p.getPresetStore().getPresetsFolder().isAChildOf (home.getFolder()));
        }

        juce::File presetsFolder() const
        {
            return home.getFolder().getChildFile ("CorvaneAudio/Orvel/version_2.0.0/Presets");
        }

        juce::File presetFile (const juce::String& stem) const { return presetsFolder().getChildFile (stem + ".xml"); }

        TestSupport::ScopedConfigHome home;
        OrvelAudioProcessor p;
    };
}

TEST (PresetFileNames, NameToFileNameRule)
{
    const std::pair<const char*, const char*> cases[] {
        { "  Lead Vox (dry)!  ", "Lead Vox dry" },
        { "Warm", "Warm" },
        { "a_b-c 9", "a_b-c 9" },
        { "!!!", "Preset" },
        { "", "Preset" },
        { "   ", "Preset" },
        { "( x )", " x " },    // trimming comes first, so blanks left after filtering stay
        { "x !", "x " },
        { "My.Preset", "MyPreset" },
        { "../x", "x" },
        { "/tmp/x", "tmpx" },
        { "~/x", "x" },
        { "..", "Preset" },
        { "Ünïcödé", "ncd" },
    };

    for (const auto& [name, expected] : cases)
        EXPECT_EQ (PresetStore::fileNameFor (juce::CharPointer_UTF8 (name)), juce::String (expected)) << name;
}

TEST_F (UserPresets, FolderIsUnderTheUsersConfigurationFolder)
{
    EXPECT_EQ (p.getPresetStore().getPresetsFolder(), presetsFolder());
    EXPECT_FALSE (presetsFolder().exists()) << "nothing is created before the first save";
    EXPECT_TRUE (p.getUserPresetNames().isEmpty());
}

TEST_F (UserPresets, SaveCreatesFolderAndFileAndSetsTheRecord)
{
    p.setParameterValue ("compThresh", -27.5f);
    p.setPresetInfo ("Old", false, true);

    ASSERT_TRUE (p.saveUserPreset ("  Lead Vox (dry)!  "));
    const auto file = presetFile ("Lead Vox dry");
    ASSERT_TRUE (file.existsAsFile());

    EXPECT_EQ (p.getCurrentPresetName(), "  Lead Vox (dry)!  ");
    EXPECT_TRUE (p.isCurrentPresetUser());
    EXPECT_EQ (p.getPresetDisplayName(), "  Lead Vox (dry)!  ");
    EXPECT_EQ (p.getUserPresetNames(), juce::StringArray ("Lead Vox dry"));

    // The file is the captured state as XML, taken before the record changed.
    const auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PARAMETERS");
    EXPECT_EQ (xml->getStringAttribute ("uiCurrentPresetName"), "Old");
    EXPECT_EQ (xml->getStringAttribute ("uiCurrentPresetModified"), "1");
    EXPECT_EQ (xml->getNumChildElements(), 26);
    EXPECT_NEAR (xml->getChildByAttribute ("id", "compThresh")->getDoubleAttribute ("value"), -27.5, 1.0e-3);

    // Saving again under a name with the same file name replaces that file.
    p.setParameterValue ("compThresh", -12.0f);
    ASSERT_TRUE (p.saveUserPreset ("Lead Vox dry"));
    EXPECT_EQ (p.getUserPresetNames().size(), 1);
    EXPECT_NEAR (juce::parseXML (file)->getChildByAttribute ("id", "compThresh")->getDoubleAttribute ("value"), -12.0, 1.0e-3);

    ASSERT_TRUE (p.saveUserPreset ("?!"));
    EXPECT_TRUE (presetFile ("Preset").existsAsFile());
}

TEST_F (UserPresets, ListIsSortedIgnoringCaseAndHoldsOnlyXmlFiles)
{
    for (const auto* name : { "beta", "Alpha", "gamma", "Delta" })
        ASSERT_TRUE (p.saveUserPreset (name));

    presetsFolder().getChildFile ("notes.txt").replaceWithText ("x");
    presetsFolder().getChildFile ("folder.xml").createDirectory();
    presetsFolder().getChildFile ("sub").getChildFile ("Hidden.xml").create();

    EXPECT_EQ (p.getUserPresetNames(), juce::StringArray ({ "Alpha", "beta", "Delta", "gamma" }));
}

TEST_F (UserPresets, LoadKeepsGainsTakesMainBypassAndIsOneUndoStep)
{
    p.setParameterValue ("compThresh", -30.0f);
    p.setParameterValue ("inputGain", -3.0f);
    p.setParameterValue ("outputGain", 2.0f);
    p.setParameterValue ("mainBypass", 0.0f);
    p.savedWindowWidth = 800.0f;
    p.savedWindowHeight = 432.0f;
    p.savedWindowSizeSet = true;
    ASSERT_TRUE (p.saveUserPreset ("Vox"));

    // A different current state under a modified factory preset.
    p.loadFactoryPreset ("Warm");
    p.setParameterValue ("compThresh", -10.0f);
    p.setParameterValue ("inputGain", 6.0f);
    p.setParameterValue ("outputGain", -4.0f);
    p.setParameterValue ("mainBypass", 1.0f);
    p.savedWindowSizeSet = false;
    const auto before = p.captureState();
    const int stepsBefore = p.getUndoHistory().getNumSteps();

    ASSERT_TRUE (p.loadUserPreset ("Vox"));

    EXPECT_NEAR (p.getParameterValue ("compThresh"), -30.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("inputGain"), 6.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("outputGain"), -4.0f, tolerance);
    EXPECT_EQ (p.getParameterValue ("mainBypass"), 0.0f);
    EXPECT_EQ (p.getPresetDisplayName(), "Vox");
    EXPECT_TRUE (p.isCurrentPresetUser());
    EXPECT_TRUE (p.savedWindowSizeSet.load()) << "the editor size travels with the preset";
    EXPECT_FLOAT_EQ (p.savedWindowWidth.load(), 800.0f);
    EXPECT_EQ (p.getUndoHistory().getNumSteps(), stepsBefore + 1);

    p.undo();
    EXPECT_TRUE (p.captureState().isEquivalentTo (before));
    EXPECT_EQ (p.getPresetDisplayName(), "Warm *");
    EXPECT_FALSE (p.isCurrentPresetUser());
}

TEST_F (UserPresets, MissingOrMalformedFileChangesNothing)
{
    p.beginUndoTransaction ("Adjust threshold");
    p.setParameterValue ("compThresh", -33.0f);
    p.commitUndoTransaction();
    p.setPresetInfo ("Current", true, true);
    const auto before = p.captureState();

    ASSERT_TRUE (presetsFolder().createDirectory());
    presetFile ("Broken").replaceWithText ("<PARAMETERS><PARAM id=\"compThresh\" value=\"-5\"");
    presetFile ("Garbage").replaceWithData ("\x01\x02\xff\xfe", 4);
    presetFile ("Empty").create();

    for (const auto* name : { "Broken", "Garbage", "Empty", "Absent" })
    {
        SCOPED_TRACE (name);
        EXPECT_FALSE (p.loadUserPreset (name));
        EXPECT_TRUE (p.captureState().isEquivalentTo (before));
        EXPECT_EQ (p.getUndoHistory().getNumSteps(), 1);
        EXPECT_FALSE (p.canRedo());
        EXPECT_FALSE (p.getUndoHistory().isTransactionOpen());
    }
}

TEST_F (UserPresets, FileWithNonFiniteOrForeignContentIsStillApplied)
{
    p.setParameterValue ("compThresh", -40.0f);
    p.setParameterValue ("width", 30.0f);
    ASSERT_TRUE (presetsFolder().createDirectory());
    presetFile ("Odd").replaceWithText ("<?xml version=\"1.0\"?>\n<OTHER><PARAM id=\"compThresh\" value=\"nan\"/>"
                                        "<PARAM id=\"width\" value=\"-inf\"/><PARAM id=\"reverbMix\" value=\"12.5\"/></OTHER>");

    ASSERT_TRUE (p.loadUserPreset ("Odd"));
    EXPECT_NEAR (p.getParameterValue ("compThresh"), -18.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("width"), 100.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("reverbMix"), 12.5f, tolerance);
    EXPECT_EQ (p.getPresetDisplayName(), "Odd");
}

TEST_F (UserPresets, DeleteCurrentAndNonCurrent)
{
    ASSERT_TRUE (p.saveUserPreset ("One"));
    ASSERT_TRUE (p.saveUserPreset ("Two"));
    ASSERT_EQ (p.getCurrentPresetName(), "Two");

    EXPECT_TRUE (p.deleteUserPreset ("One"));
    EXPECT_FALSE (presetFile ("One").exists());
    EXPECT_EQ (p.getCurrentPresetName(), "Two");

    EXPECT_FALSE (p.deleteUserPreset ("One")) << "already gone";

    EXPECT_TRUE (p.deleteUserPreset ("Two"));
    EXPECT_FALSE (presetFile ("Two").exists());
    EXPECT_EQ (p.getCurrentPresetName(), "Presets");
    EXPECT_FALSE (p.isCurrentPresetUser());
    EXPECT_TRUE (p.getUserPresetNames().isEmpty());
}

TEST_F (UserPresets, RenameNeverReplacesAnotherPreset)
{
    p.setParameterValue ("width", 10.0f);
    ASSERT_TRUE (p.saveUserPreset ("First"));
    p.setParameterValue ("width", 20.0f);
    ASSERT_TRUE (p.saveUserPreset ("Second"));
    const auto firstText = presetFile ("First").loadFileAsString();
    const auto secondText = presetFile ("Second").loadFileAsString();

    EXPECT_FALSE (p.renameUserPreset ("First", "Second"));
    EXPECT_FALSE (p.renameUserPreset ("First", "Sec(ond)")) << "maps to the same file name";
    EXPECT_FALSE (p.renameUserPreset ("First", "First"));
    EXPECT_FALSE (p.renameUserPreset ("First", "   "));
    EXPECT_FALSE (p.renameUserPreset ("Nothing", "Else"));

    EXPECT_EQ (presetFile ("First").loadFileAsString(), firstText);
    EXPECT_EQ (presetFile ("Second").loadFileAsString(), secondText);
    EXPECT_EQ (p.getCurrentPresetName(), "Second");
}

TEST_F (UserPresets, RenameOfTheCurrentPresetUpdatesTheName)
{
    ASSERT_TRUE (p.saveUserPreset ("Other"));
    ASSERT_TRUE (p.saveUserPreset ("Old"));
    const auto oldText = presetFile ("Old").loadFileAsString();

    ASSERT_TRUE (p.renameUserPreset ("Old", "New (v2)"));
    EXPECT_FALSE (presetFile ("Old").exists());
    EXPECT_EQ (presetFile ("New v2").loadFileAsString(), oldText);
    EXPECT_EQ (p.getCurrentPresetName(), "New (v2)");
    EXPECT_TRUE (p.isCurrentPresetUser());

    ASSERT_TRUE (p.renameUserPreset ("Other", "Another"));
    EXPECT_EQ (p.getCurrentPresetName(), "New (v2)") << "renaming another preset leaves the current one";
    EXPECT_EQ (p.getUserPresetNames(), juce::StringArray ({ "Another", "New v2" }));
}

TEST_F (UserPresets, RenameThatOnlyChangesLetterCase)
{
    ASSERT_TRUE (p.saveUserPreset ("lead"));
    const auto leadText = presetFile ("lead").loadFileAsString();

    ASSERT_TRUE (p.renameUserPreset ("lead", "Lead"));
    EXPECT_EQ (p.getUserPresetNames(), juce::StringArray ("Lead"));
    EXPECT_EQ (presetFile ("Lead").loadFileAsString(), leadText);
    EXPECT_EQ (p.getCurrentPresetName(), "Lead");

    // Where names are case-sensitive, "vox" and "Vox" are two presets; a case change onto
    // an existing file of the other case would destroy it.
    p.setParameterValue ("width", 33.0f);
    ASSERT_TRUE (p.saveUserPreset ("vox"));
    p.setParameterValue ("width", 66.0f);
    ASSERT_TRUE (p.saveUserPreset ("Vox"));

    if (presetFile ("vox").getFileIdentifier() != presetFile ("Vox").getFileIdentifier())
    {
        const auto lower = presetFile ("vox").loadFileAsString();
        const auto upper = presetFile ("Vox").loadFileAsString();
        EXPECT_FALSE (p.renameUserPreset ("vox", "Vox"));
        EXPECT_EQ (presetFile ("vox").loadFileAsString(), lower);
        EXPECT_EQ (presetFile ("Vox").loadFileAsString(), upper);
    }
}

TEST_F (UserPresets, HandMadeFileWithAFullStopIsLoadableUnderItsListedName)
{
    p.setParameterValue ("reverbMix", 42.0f);
    ASSERT_TRUE (p.saveUserPreset ("Template"));
    ASSERT_TRUE (presetFile ("Template").copyFileTo (presetFile ("My.Preset")));
    p.setParameterValue ("reverbMix", 0.0f);

    ASSERT_TRUE (p.getUserPresetNames().contains ("My.Preset"));

    ASSERT_TRUE (p.loadUserPreset ("My.Preset"));
    EXPECT_NEAR (p.getParameterValue ("reverbMix"), 42.0f, tolerance);
    EXPECT_EQ (p.getCurrentPresetName(), "My.Preset");

    // Saving the listed name writes the listed file, not a second one.
    ASSERT_TRUE (p.saveUserPreset ("My.Preset"));
    EXPECT_FALSE (presetFile ("MyPreset").exists());

    ASSERT_TRUE (p.renameUserPreset ("My.Preset", "Renamed"));
    EXPECT_FALSE (presetFile ("My.Preset").exists());
    EXPECT_TRUE (presetFile ("Renamed").existsAsFile());
    EXPECT_EQ (p.getCurrentPresetName(), "Renamed");

    ASSERT_TRUE (presetFile ("Renamed").copyFileTo (presetFile ("Other.Name")));
    EXPECT_TRUE (p.deleteUserPreset ("Other.Name"));
    EXPECT_FALSE (presetFile ("Other.Name").exists());
    EXPECT_TRUE (presetFile ("Renamed").existsAsFile());
}

TEST_F (UserPresets, NamesThatTryToLeaveTheFolderStayInside)
{
    ASSERT_TRUE (p.saveUserPreset ("Source"));
    const auto content = presetFile ("Source").loadFileAsString();
    ASSERT_TRUE (p.deleteUserPreset ("Source"));

    // Decoys next to and above the presets folder, named the way each escape would reach them.
    const auto base = presetsFolder().getParentDirectory();
    const juce::File decoys[] { base.getChildFile ("x.xml"), base.getChildFile ("Preset.xml"),
                                home.getFolder().getChildFile ("x.xml"), home.getFolder().getChildFile ("decoy.xml"),
                                home.getHomeFolder().getChildFile ("x.xml") };

    for (const auto& d : decoys)
        ASSERT_TRUE (d.replaceWithText (content));

    const juce::String escapes[] { "../x", "../../../../x", home.getFolder().getChildFile ("decoy").getFullPathName(),
                                   "~/x", "..", "../Preset" };

    for (const auto& name : escapes)
    {
        SCOPED_TRACE (name);
        const auto inside = presetFile (PresetStore::fileNameFor (name));

        EXPECT_FALSE (p.loadUserPreset (name)) << "only the decoys outside exist";
        EXPECT_FALSE (p.deleteUserPreset (name));
        EXPECT_FALSE (p.renameUserPreset (name, "Moved"));

        ASSERT_TRUE (p.saveUserPreset (name));
        EXPECT_TRUE (inside.existsAsFile());
        EXPECT_TRUE (p.loadUserPreset (name));
        EXPECT_TRUE (p.renameUserPreset (name, "Moved"));
        EXPECT_TRUE (p.deleteUserPreset ("Moved"));
        EXPECT_FALSE (inside.exists());

        for (const auto& d : decoys)
            EXPECT_EQ (d.loadFileAsString(), content) << d.getFullPathName();

        EXPECT_FALSE (presetsFolder().getChildFile ("Moved.xml").exists());
    }
}
