#include "MenuBarTestSupport.h"

// The display-size menu and the settings file behind "Make Default".

using namespace MenuBarTest;

namespace
{
    constexpr int item50 = 920001, item75 = 920002, item125 = 920004, item150 = 920005, makeDefault = 920007;

    juce::File settingsFile (const TestSupport::ScopedConfigHome& home)
    {
        return home.getFolder().getChildFile ("CorvaneAudio/Orvel/version_2.0.0/Orvel.settings");
    }

    /** The stored value of a key, read straight from the file; empty when absent. */
    juce::String stored (const TestSupport::ScopedConfigHome& home, const char* key)
    {
        if (const auto xml = juce::parseXML (settingsFile (home)))
            if (auto* e = xml->getChildByAttribute ("name", key))
                return e->getStringAttribute ("val");

        return {};
    }

    /** Whether a pop-up menu is open; closes it. */
    bool menuWasReopened()
    {
        pump (50);
        return juce::PopupMenu::dismissAllActiveMenus();
    }

    using MenuBarSettingsMenu = EditorFixture;
}

TEST_F (MenuBarSettingsMenu, MenuShowsTheSizesTheChoiceAndTheSwitch)
{
    bar().setGuiScalePreset (MenuBar::scale75);
    const auto menu = bar().buildSettingsMenu();

    juce::StringArray texts;
    juce::Array<int> ids, ticked;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        texts.add (item.isSeparator ? juce::String ("-") : item.text);
        ids.add (item.itemID);

        if (item.isTicked)
            ticked.add (item.itemID);
    }

    EXPECT_EQ (texts, juce::StringArray ({ "Display Size", "50%", "75%", "100%", "125%", "150%", "-", "Make Default" }));
    EXPECT_EQ (ids, juce::Array<int> ({ 0, 920001, 920002, 920003, 920004, 920005, 0, 920007 }));
    EXPECT_EQ (ticked, juce::Array<int> ({ 920002 })) << "Make Default is off without a settings file";
}

TEST_F (MenuBarSettingsMenu, MakeDefaultDecidesWhatIsWritten)
{
    // 125 % with Make Default off: the editor hears of it, the file is not even created.
    bar().handleSettingsMenuResult (item125);
    EXPECT_EQ (editor->choices, std::vector<MenuBar::GuiScalePreset> { MenuBar::scale125 });
    EXPECT_EQ (bar().getGuiScalePreset(), MenuBar::scale125);
    EXPECT_FALSE (settingsFile (home).exists());

    // Make Default on at 75 % writes the switch and "75", and the menu comes back at once.
    bar().handleSettingsMenuResult (item75);
    EXPECT_FALSE (settingsFile (home).exists());
    bar().handleSettingsMenuResult (makeDefault);
    EXPECT_EQ (stored (home, "guiScaleAutoSaveEnabled"), "1");
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "75");
    EXPECT_TRUE (menuWasReopened());

    // Each size picked now is remembered, the one already chosen included.
    bar().handleSettingsMenuResult (item150);
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "150");
    bar().handleSettingsMenuResult (item150);
    EXPECT_EQ (editor->choices.size(), 4u) << "choosing the ticked size still calls the editor";

    // Off again: the switch is cleared, the size stays, and new editors start with it.
    bar().handleSettingsMenuResult (makeDefault);
    EXPECT_TRUE (menuWasReopened());
    EXPECT_EQ (stored (home, "guiScaleAutoSaveEnabled"), "0");
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "150");

    bar().handleSettingsMenuResult (item50);
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "150");

    TestEditor next (*processor);
    EXPECT_EQ (next.bar.getGuiScalePreset(), MenuBar::scale150);
    EXPECT_EQ (next.bar.readDefaultGuiScalePreset(), MenuBar::scale150);
}

TEST_F (MenuBarSettingsMenu, WithoutADisplaySizeCallbackTheGearOpensNothing)
{
    MenuBar bare;
    bare.enableDisplaySizeMenu();
    editor->addAndMakeVisible (bare);
    bare.setBounds (0, 100, TestEditor::width, TestEditor::barHeight);

    bare.showSettingsMenu();
    EXPECT_FALSE (menuWasReopened());

    bar().showSettingsMenu();
    EXPECT_TRUE (menuWasReopened());
}

TEST (MenuBarSettingsShared, TwoEditorsOnOneSettingsFileDoNotUndoEachOther)
{
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    TestEditor first (processor), second (processor);

    // Both have looked at the file (their menus were built) before either writes.
    first.bar.buildSettingsMenu();
    second.bar.buildSettingsMenu();

    // The first turns Make Default on at 75 %; the second then picks 150 % and must see the
    // switch is on, so the file now says 150 with the switch still on.
    first.bar.setGuiScalePreset (MenuBar::scale75);
    first.bar.handleSettingsMenuResult (makeDefault);
    second.bar.handleSettingsMenuResult (item150);
    EXPECT_EQ (stored (home, "guiScaleAutoSaveEnabled"), "1");
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "150");

    // The first turns it off; the second picks 125 % and must not write, nor put its old
    // copy of the switch back.
    first.bar.handleSettingsMenuResult (makeDefault);
    second.bar.handleSettingsMenuResult (item125);
    EXPECT_EQ (stored (home, "guiScaleAutoSaveEnabled"), "0");
    EXPECT_EQ (stored (home, "defaultGuiScalePreset"), "150");

    // The second's menu shows the box as the first left it.
    bool makeDefaultTicked = true;

    const auto menu = second.bar.buildSettingsMenu();

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (it.getItem().itemID == makeDefault)
            makeDefaultTicked = it.getItem().isTicked;

    EXPECT_FALSE (makeDefaultTicked);
    pump (50);
    juce::PopupMenu::dismissAllActiveMenus();
}
