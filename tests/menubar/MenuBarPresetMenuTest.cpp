#include "MenuBarTestSupport.h"

#include <set>

// The presets menu: what it lists, which preset a result acts on, how many user presets it
// can hold, and what happens when a replace cannot clean up after itself.

using namespace MenuBarTest;

namespace
{
    /** One entry of a menu, flattened: its text, its identifier (0 for headers, separators
        and sub-menus), whether it is ticked, and the texts of the sub-menu it leads to. */
    struct Entry
    {
        juce::String text;
        int id = 0;
        bool ticked = false, header = false, separator = false;
        int subMenuSize = 0;
    };

    std::vector<Entry> entriesOf (const juce::PopupMenu& menu)
    {
        std::vector<Entry> entries;

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();
            entries.push_back ({ item.text, item.itemID, item.isTicked, item.isSectionHeader, item.isSeparator,
                                 item.subMenu != nullptr ? item.subMenu->getNumItems() : 0 });
        }

        return entries;
    }

    /** All item identifiers of a menu and its sub-menus. */
    std::vector<int> allIds (const juce::PopupMenu& menu)
    {
        std::vector<int> ids;

        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            if (it.getItem().itemID != 0)
                ids.push_back (it.getItem().itemID);

        return ids;
    }

    /** A processor of presets held in memory: lists many names and records what is asked of it. */
    class ManyPresets : public PresettableProcessor
    {
    public:
        explicit ManyPresets (int count)
        {
            for (int i = 0; i < count; ++i)
                names.add ("User " + juce::String (i).paddedLeft ('0', 5));
        }

        juce::StringArray getFactoryPresetNames() const override { return { "Airy", "Bright" }; }
        juce::StringArray getUserPresetNames() const override { return names; }
        void loadFactoryPreset (const juce::String& name) override { calls.add ("factory " + name); }
        bool saveUserPreset (const juce::String&) override { return false; }
        bool loadUserPreset (const juce::String& name) override { calls.add ("load " + name); return true; }
        bool deleteUserPreset (const juce::String&) override { return false; }
        bool renameUserPreset (const juce::String&, const juce::String&) override { return false; }
        juce::File getUserPresetFile (const juce::String& name) const override { return juce::File ("/nonexistent/" + name + ".xml"); }
        juce::String getCurrentPresetName() const override { return "Presets"; }
        juce::String getPresetDisplayName() const override { return "Presets"; }
        bool isCurrentPresetUser() const override { return false; }
        bool canUndo() const override { return false; }
        bool canRedo() const override { return false; }
        void undo() override {}
        void redo() override {}

        juce::StringArray names, calls;
    };

    /** The real processor, except that the file system refuses to delete a backup. */
    class StuckBackupProcessor : public OrvelAudioProcessor
    {
    public:
        bool deleteUserPreset (const juce::String& name) override
        {
            if (name.contains ("__backup"))
                return false;

            return OrvelAudioProcessor::deleteUserPreset (name);
        }
    };

    using MenuBarPresetMenu = EditorFixture;
}

TEST_F (MenuBarPresetMenu, ListsFactoryPresetsAndOneSubMenuPerUserPreset)
{
    const auto factory = processor->getFactoryPresetNames();

    // Without user presets: the header and the eleven factory names, the current one ticked.
    processor->loadFactoryPreset ("Rap");
    auto entries = entriesOf (bar().buildPresetsMenu (factory, processor->getUserPresetNames()));
    ASSERT_EQ (entries.size(), 12u);
    EXPECT_TRUE (entries[0].header);
    EXPECT_EQ (entries[0].text, "Factory Presets");

    for (int i = 0; i < factory.size(); ++i)
    {
        EXPECT_EQ (entries[(size_t) i + 1].text, factory[i]);
        EXPECT_EQ (entries[(size_t) i + 1].id, 1000 + i);
        EXPECT_EQ (entries[(size_t) i + 1].ticked, factory[i] == "Rap");
    }

    // A user preset named like a factory preset does not tick the factory item.
    processor->saveUserPreset ("Rap");
    processor->saveUserPreset ("Alpha");
    entries = entriesOf (bar().buildPresetsMenu (factory, processor->getUserPresetNames()));
    ASSERT_EQ (entries.size(), 16u);

    for (const auto& e : entries)
        EXPECT_FALSE (e.ticked) << e.text;

    EXPECT_TRUE (entries[12].separator);
    EXPECT_EQ (entries[13].text, "User Presets");
    EXPECT_EQ (entries[14].text, "Alpha");
    EXPECT_EQ (entries[14].subMenuSize, 3);
    EXPECT_EQ (entries[15].text, "Rap");

    const auto ids = allIds (bar().buildPresetsMenu (factory, processor->getUserPresetNames()));
    EXPECT_TRUE (std::find (ids.begin(), ids.end(), 2001) != ids.end());
    EXPECT_TRUE (std::find (ids.begin(), ids.end(), 5001) != ids.end());
    EXPECT_TRUE (std::find (ids.begin(), ids.end(), 8001) != ids.end());
}

TEST_F (MenuBarPresetMenu, ResultActsOnTheListTheUserSaw)
{
    processor->saveUserPreset ("Alpha");
    processor->saveUserPreset ("Charlie");
    processor->loadFactoryPreset ("Warm");

    const auto factory = processor->getFactoryPresetNames();
    const auto shown = processor->getUserPresetNames();

    // While the menu is open, another instance saves a preset that sorts in between.
    {
        OrvelAudioProcessor other;
        ASSERT_TRUE (other.saveUserPreset ("Bravo"));
    }

    ASSERT_EQ (processor->getUserPresetNames()[1], "Bravo");

    bar().handlePresetsMenuResult (2001, factory, shown);
    EXPECT_EQ (processor->getCurrentPresetName(), "Charlie") << "item 2001 was Charlie in the menu the user saw";
    EXPECT_EQ (bar().getPresetButton().getLabelText(), "Charlie  " + juce::String::charToString ((juce::juce_wchar) 0x25BE));

    bar().handlePresetsMenuResult (8001, factory, shown);
    pump (20);
    EXPECT_EQ (openDialogTitle(), "Delete Preset?");
    press ("Delete");
    EXPECT_EQ (processor->getUserPresetNames(), juce::StringArray ({ "Alpha", "Bravo" }));
    press ("OK");

    bar().handlePresetsMenuResult (5000, factory, shown);
    pump (20);
    ASSERT_EQ (openDialogTitle(), "Rename Preset");
    EXPECT_EQ (openDialog()->getTextEditorContents (MenuBar::presetNameField), "Alpha");
    press ("Cancel");

    bar().handlePresetsMenuResult (1003, factory, shown);
    EXPECT_EQ (processor->getCurrentPresetName(), factory[3]);

    // Indexes beyond the list shown, a dismissed menu and unknown identifiers do nothing.
    for (int id : { 0, -1, 1011, 2002, 5002, 8002, 999, 920001 })
    {
        bar().handlePresetsMenuResult (id, factory, shown);
        pump (10);
        EXPECT_EQ (processor->getCurrentPresetName(), factory[3]) << id;
        EXPECT_EQ (openDialog(), nullptr) << id;
    }
}

TEST (MenuBarPresetMenuLimits, AtMostThreeThousandUserPresetsSoIdentifiersNeverCollide)
{
    ManyPresets presets (3500);
    MenuBar bar;
    bar.setPresettableProcessor (&presets);

    const auto menu = bar.buildPresetsMenu (presets.getFactoryPresetNames(), presets.names);
    const auto entries = entriesOf (menu);
    const auto subMenus = std::count_if (entries.begin(), entries.end(), [] (const Entry& e) { return e.subMenuSize > 0; });
    EXPECT_EQ (subMenus, MenuBar::maxUserPresetsInMenu);

    const auto ids = allIds (menu);
    const std::set<int> unique (ids.begin(), ids.end());
    EXPECT_EQ (unique.size(), ids.size()) << "every identifier is used once";
    EXPECT_EQ (*unique.rbegin(), 8000 + 2999);
    EXPECT_LT (*unique.rbegin(), MenuBar::firstScaleItemId);

    // The last Load item loads the 3000th preset; 5000 is never a Load item.
    bar.handlePresetsMenuResult (4999, presets.getFactoryPresetNames(), presets.names);
    EXPECT_EQ (presets.calls, juce::StringArray ({ "load " + presets.names[2999] }));

    presets.calls.clear();
    bar.handlePresetsMenuResult (5000, presets.getFactoryPresetNames(), presets.names);
    EXPECT_TRUE (presets.calls.isEmpty()) << "5000 is Rename of the first preset, not Load of the 3001st";
}

TEST (MenuBarReplace, BackupThatCannotBeRemovedIsReportedAsAnError)
{
    TestSupport::ScopedConfigHome home;
    StuckBackupProcessor processor;
    TestEditor editor (processor);
    editor.show();

    TestSupport::setParam (processor, "compThresh", -30.0f);
    ASSERT_TRUE (processor.saveUserPreset ("Vox"));
    TestSupport::setParam (processor, "compThresh", -10.0f);
    ASSERT_TRUE (processor.saveUserPreset ("Lead"));

    editor.bar.renamePreset ("Vox", "Lead");
    pump (20);
    ASSERT_EQ (openDialogTitle(), "Overwrite Preset?");
    press ("Overwrite");

    // The rename itself happened, but the replaced preset is still there under its backup
    // name: no success message, an error that names the presets instead.
    EXPECT_EQ (processor.getUserPresetNames(), juce::StringArray ({ "Lead", "Lead__backup" }));
    auto* message = openDialog();
    ASSERT_NE (message, nullptr);
    EXPECT_NE (message->getName(), "Success");
    EXPECT_TRUE (message->getDescription().contains ("\"Vox\"")) << message->getDescription();
    EXPECT_TRUE (message->getDescription().contains ("\"Lead\""));
    EXPECT_TRUE (message->getDescription().contains ("\"Lead__backup\""));

    pump (MenuBar::successMessageMs + 300);
    EXPECT_NE (openDialog(), nullptr) << "an error stays until the user closes it";
    press ("OK");
}

TEST_F (MenuBarPresetMenu, OpenMenusCloseWithTheEditor)
{
    for (int which = 0; which < 2; ++which)
    {
        if (editor == nullptr)
        {
            editor = std::make_unique<TestEditor> (*processor);
            editor->show();
        }

        if (which == 0)
            bar().showPresetsMenu();
        else
            bar().showSettingsMenu();

        pump (50);
        ASSERT_GT (juce::Component::getNumCurrentlyModalComponents(), 0) << "menu " << which << " is open";
        EXPECT_EQ (openDialog(), nullptr);

        editor.reset();
        pump (200);
        EXPECT_EQ (juce::Component::getNumCurrentlyModalComponents(), 0) << "menu " << which << " went with the editor";
    }
}
