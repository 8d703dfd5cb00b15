#include "MenuBarTestSupport.h"

// The preset dialogs driven as a user would: type a name, press a button, and check what
// happened to the files and what the bar says afterwards.

using namespace MenuBarTest;

namespace
{
    const juce::String triangle = juce::String::charToString ((juce::juce_wchar) 0x25BE);

    class MenuBarDialogs : public EditorFixture
    {
    protected:
        /** Saves a preset straight through the processor, with a threshold that marks its content. */
        juce::String savePresetWithThreshold (const juce::String& name, float threshold)
        {
            TestSupport::setParam (*processor, "compThresh", threshold);
            EXPECT_TRUE (processor->saveUserPreset (name));
            return fileText (name);
        }

        juce::String fileText (const juce::String& stem) const
        {
            return presetsFolder().getChildFile (stem + ".xml").loadFileAsString();
        }

        /** The message of the open dialog (its accessible description is title, ". ", message). */
        static juce::String openDialogMessage()
        {
            auto* w = openDialog();
            return w != nullptr ? w->getDescription().fromFirstOccurrenceOf (w->getName() + ". ", false, false) : juce::String();
        }

        /** Closes a success message if one is open and checks its text. */
        static void expectSuccess (const juce::String& message)
        {
            EXPECT_EQ (openDialogTitle(), "Success");
            EXPECT_EQ (openDialogMessage(), message);

            if (openDialogTitle() == "Success")
                press ("OK");
        }
    };
}

TEST_F (MenuBarDialogs, SaveANewPreset)
{
    bar().getSaveButton().triggerClick();
    pump (50);

    auto* dialog = openDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Save Preset");
    EXPECT_EQ (dialog->getParentComponent(), editor.get());
    EXPECT_EQ (dialog->getTextEditorContents (MenuBar::presetNameField), "MyPreset");
    EXPECT_LE (dialog->getWidth(), TestEditor::width);
    EXPECT_GE (dialog->getHeight(), 175);
    EXPECT_EQ (dialog->getBounds().getCentre().x, TestEditor::width / 2) << "centred over the editor";

    typeAndPress ("  Lead Vox  ", "Save");

    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead Vox.xml" }));
    EXPECT_EQ (processor->getCurrentPresetName(), "Lead Vox");
    EXPECT_EQ (bar().getPresetButton().getLabelText(), "Lead Vox  " + triangle);
    expectSuccess ("Preset \"Lead Vox\" has been saved.");

    // The next save suggests the current user preset's name.
    bar().showSaveDialog();
    pump (20);
    ASSERT_NE (openDialog(), nullptr);
    EXPECT_EQ (openDialog()->getTextEditorContents (MenuBar::presetNameField), "Lead Vox");
    press ("Cancel");
    EXPECT_EQ (openDialog(), nullptr) << "Cancel does nothing further";
}

TEST_F (MenuBarDialogs, SuggestedNameAvoidsExistingPresetsInAnyLetterCase)
{
    processor->saveUserPreset ("mypreset");
    processor->saveUserPreset ("MyPreset1");
    processor->loadFactoryPreset ("Warm");
    EXPECT_EQ (bar().suggestPresetName(), "MyPreset2");
    EXPECT_EQ (bar().makeUniquePresetName ("MyPreset", "MYPRESET"), "MyPreset") << "the excluded name does not count";
}

TEST_F (MenuBarDialogs, SavingOverAnExistingFileAsksFirst)
{
    // "Lead Vox!" maps to the same file as "Lead Vox": it must ask, and Cancel must leave the
    // file alone. A name in another letter case asks exactly when the file system makes it
    // the same file.
    const auto original = savePresetWithThreshold ("Lead Vox", -30.0f);
    TestSupport::setParam (*processor, "compThresh", -10.0f);

    struct Case { juce::String typed; juce::String existingStem; };
    const Case cases[] { { "Lead Vox", "Lead Vox" }, { "Lead Vox!", "Lead Vox" }, { " (Lead Vox) ", "Lead Vox" },
                         { "lead vox", "Lead Vox" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.typed);
        const bool sameFile = presetsFolder().getChildFile (PresetStore::fileNameFor (c.typed) + ".xml").existsAsFile();

        bar().savePreset (c.typed);
        pump (20);

        if (! sameFile)
        {
            EXPECT_EQ (openDialogTitle(), "Success") << "a new file is written without asking";
            press ("OK");
            presetsFolder().getChildFile (PresetStore::fileNameFor (c.typed) + ".xml").deleteFile();
            continue;
        }

        ASSERT_EQ (openDialogTitle(), "Overwrite Preset?");
        EXPECT_EQ (openDialogMessage(), "A preset named \"" + c.existingStem + "\" already exists.\nDo you want to overwrite it?");
        EXPECT_EQ (openDialog()->getAlertType(), juce::MessageBoxIconType::WarningIcon);
        press ("Cancel");

        EXPECT_EQ (openDialog(), nullptr);
        EXPECT_EQ (fileText ("Lead Vox"), original) << "Cancel leaves the file as it was";
        EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead Vox.xml" }));
    }

    // Overwrite replaces the content and reports the name as typed.
    bar().savePreset ("Lead Vox!");
    pump (20);
    press ("Overwrite");
    EXPECT_NE (fileText ("Lead Vox"), original);
    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead Vox.xml" }));
    expectSuccess ("Preset \"Lead Vox!\" has been saved.");
}

TEST_F (MenuBarDialogs, BlankNameDoesNothing)
{
    for (const juce::String typed : { "", "   ", "\t \n" })
    {
        bar().showSaveDialog();
        pump (20);
        typeAndPress (typed, "Save");
        EXPECT_EQ (openDialog(), nullptr) << "no further dialog";
        EXPECT_FALSE (presetsFolder().exists());
    }
}

TEST_F (MenuBarDialogs, RenameOntoAnExistingPresetReplacesItWithoutLeavingABackup)
{
    const auto voxContent = savePresetWithThreshold ("Vox", -30.0f);
    savePresetWithThreshold ("Lead", -10.0f);

    bar().showRenameDialog ("Vox");
    pump (20);
    ASSERT_EQ (openDialogTitle(), "Rename Preset");
    EXPECT_EQ (openDialog()->getTextEditorContents (MenuBar::presetNameField), "Vox");

    // Cancel on the overwrite question changes nothing.
    typeAndPress ("Lead", "Rename");
    ASSERT_EQ (openDialogTitle(), "Overwrite Preset?");
    press ("Cancel");
    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead.xml", "Vox.xml" }));

    bar().showRenameDialog ("Vox");
    pump (20);
    typeAndPress ("Lead", "Rename");
    ASSERT_EQ (openDialogTitle(), "Overwrite Preset?");
    press ("Overwrite");

    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead.xml" })) << "no backup is left";
    EXPECT_EQ (fileText ("Lead"), voxContent) << "Lead now holds what Vox held";
    expectSuccess ("Preset \"Vox\" was renamed to \"Lead\".");
}

TEST_F (MenuBarDialogs, RenamesThatChangeNothing)
{
    savePresetWithThreshold ("Vox", -30.0f);
    savePresetWithThreshold ("Lead", -10.0f);
    const auto before = presetFiles();

    // Only the letter case, only dropped characters, or an empty name: no dialog, no change.
    for (const juce::String typed : { "vox", "VOX", "Vox!", "  ", "" })
    {
        SCOPED_TRACE (typed);
        bar().renamePreset ("Vox", typed);
        pump (20);
        EXPECT_EQ (openDialog(), nullptr);
        EXPECT_EQ (presetFiles(), before);
    }

    // A plain rename to a free name.
    bar().renamePreset ("Vox", "Verse");
    pump (20);
    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Lead.xml", "Verse.xml" }));
    expectSuccess ("Preset \"Vox\" was renamed to \"Verse\".");
}

TEST_F (MenuBarDialogs, DeleteAsksAndDeletes)
{
    savePresetWithThreshold ("Vox", -30.0f);
    ASSERT_TRUE (processor->isCurrentPresetUser());

    bar().confirmDelete ("Vox");
    pump (20);
    ASSERT_EQ (openDialogTitle(), "Delete Preset?");
    EXPECT_EQ (openDialogMessage(), "Are you sure you want to delete \"Vox\"?");
    press ("Cancel");
    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Vox.xml" }));

    bar().confirmDelete ("Vox");
    pump (20);
    press ("Delete");
    EXPECT_TRUE (presetFiles().isEmpty());
    EXPECT_EQ (bar().getPresetButton().getLabelText(), "Presets  " + triangle) << "the current preset was deleted";
    expectSuccess ("Preset \"Vox\" has been deleted.");

    // Deleting a preset that is no longer there fails silently.
    bar().confirmDelete ("Vox");
    pump (20);
    press ("Delete");
    EXPECT_EQ (openDialog(), nullptr);
}

TEST_F (MenuBarDialogs, SuccessMessageClosesItselfAfterThreeSeconds)
{
    bar().showSuccessMessage ("Success", "Preset \"X\" has been saved.");
    pump (20);
    juce::Component::SafePointer<juce::AlertWindow> message (openDialog());
    ASSERT_NE (message, nullptr);
    EXPECT_EQ (message->getParentComponent(), editor.get());

    pump (MenuBar::successMessageMs - 500);
    EXPECT_NE (message, nullptr) << "still up before three seconds";

    pump (800);
    EXPECT_EQ (message, nullptr) << "closed and deleted after three seconds";
    EXPECT_EQ (openDialog(), nullptr);
}

TEST_F (MenuBarDialogs, ClosingTheEditorTakesOpenDialogsWithIt)
{
    // The save dialog with a name typed, the overwrite question, and a success message whose
    // self-closing timer is still running when the editor goes.
    savePresetWithThreshold ("Vox", -30.0f);
    const auto voxContent = fileText ("Vox");
    const int windowsBefore = juce::TopLevelWindow::getNumTopLevelWindows();

    const std::function<void()> openers[] {
        [this] { bar().showSaveDialog(); pump (20); openDialog()->getTextEditor (MenuBar::presetNameField)->setText ("Fresh"); },
        [this] { TestSupport::setParam (*processor, "compThresh", -5.0f); bar().savePreset ("Vox"); },
        [this] { bar().showSuccessMessage ("Success", "Preset \"Vox\" has been saved."); },
    };

    for (size_t i = 0; i < std::size (openers); ++i)
    {
        SCOPED_TRACE ("dialog " + juce::String ((int) i));

        if (editor == nullptr)
        {
            editor = std::make_unique<TestEditor> (*processor);
            editor->show();
        }

        openers[i]();
        pump (20);
        juce::Component::SafePointer<juce::AlertWindow> dialog (openDialog());
        ASSERT_NE (dialog, nullptr);

        editor.reset();
        EXPECT_EQ (dialog, nullptr) << "the dialog is deleted with the editor";
        pump (100);
        EXPECT_EQ (openDialog(), nullptr);
        EXPECT_EQ (juce::Component::getNumCurrentlyModalComponents(), 0);
        EXPECT_EQ (juce::TopLevelWindow::getNumTopLevelWindows(), windowsBefore) << "no alert window is left anywhere";
    }

    // Let the success message's timer fire with nothing left to close.
    pump (MenuBar::successMessageMs + 200);
    EXPECT_EQ (presetFiles(), juce::StringArray ({ "Vox.xml" }));
    EXPECT_EQ (fileText ("Vox"), voxContent);
}

TEST_F (MenuBarDialogs, NoProcessorMeansNoDialogs)
{
    bar().setPresettableProcessor (nullptr);

    bar().showSaveDialog();
    bar().confirmDelete ("Vox");
    bar().showRenameDialog ("Vox");
    bar().showPresetsMenu();
    pump (20);
    EXPECT_EQ (juce::Component::getNumCurrentlyModalComponents(), 0);

    // A dialog opened while connected does nothing once the processor is gone.
    bar().setPresettableProcessor (processor.get());
    bar().showSaveDialog();
    pump (20);
    bar().setPresettableProcessor (nullptr);
    typeAndPress ("Fresh", "Save");
    EXPECT_FALSE (presetsFolder().exists());
    EXPECT_EQ (openDialog(), nullptr);
}
