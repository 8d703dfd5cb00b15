#include "menubar/MenuBar.h"

// The display-size menu behind the Settings button.

namespace
{
    constexpr float settingsMenuWidthFraction = 2.8f, settingsMenuMinWidth = 130.0f;
    constexpr MenuBar::GuiScalePreset menuScales[] { MenuBar::scale50, MenuBar::scale75, MenuBar::scale100,
                                                     MenuBar::scale125, MenuBar::scale150 };
}

juce::PopupMenu MenuBar::buildSettingsMenu()
{
    const bool autoSave = settings.isGuiScaleAutoSaveEnabled();

    juce::PopupMenu menu;
    menu.setLookAndFeel (menuLookAndFeel.get());
    menu.addSectionHeader ("Display Size");

    for (size_t i = 0; i < std::size (menuScales); ++i)
        menu.addItem (firstScaleItemId + (int) i, menuTextFor (menuScales[i]), true, menuScales[i] == currentGuiScalePreset);

    menu.addSeparator();
    menu.addItem (makeDefaultItemId, MenuBarLookAndFeel::checkBoxItemText, true, autoSave);
    return menu;
}

void MenuBar::showSettingsMenu()
{
    if (onGuiScalePresetChanged == nullptr)
        return;

    updateMenuMetrics();
    const auto H = (float) getHeight();

    const auto options = juce::PopupMenu::Options()
                             .withTargetComponent (&settingsButton)
                             .withMinimumWidth ((int) std::round (juce::jmax (H * settingsMenuWidthFraction, settingsMenuMinWidth)))
                             .withStandardItemHeight (menuLookAndFeel->getPopupItemHeight());

    showMenu (buildSettingsMenu(), options, [this] (int result) { handleSettingsMenuResult (result); });
}

void MenuBar::handleSettingsMenuResult (int result)
{
    const int index = result - firstScaleItemId;

    if (index >= 0 && index < (int) std::size (menuScales))
    {
        const auto chosen = menuScales[index];
        currentGuiScalePreset = chosen;

        if (settings.isGuiScaleAutoSaveEnabled())
            settings.setDefaultGuiScalePreset (settingsTextFor (chosen));

        if (onGuiScalePresetChanged != nullptr)
            onGuiScalePresetChanged (chosen);

        return;
    }

    if (result == makeDefaultItemId)
    {
        const bool wasEnabled = settings.isGuiScaleAutoSaveEnabled();

        if (settings.setGuiScaleAutoSaveEnabled (! wasEnabled) && ! wasEnabled)
            settings.setDefaultGuiScalePreset (settingsTextFor (currentGuiScalePreset));

        // Open the menu again so the user sees the box change.
        juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<MenuBar> (this)]
        {
            if (safeThis != nullptr)
                safeThis->showSettingsMenu();
        });
    }
}
