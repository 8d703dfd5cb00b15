#include "menubar/MenuBar.h"

#include <juce_audio_processors/juce_audio_processors.h>

// The presets menu, the preset dialogs and the messages that follow them.

namespace
{
    constexpr float presetsMenuWidthFraction = 4.0f, presetsMenuMinWidth = 180.0f;
    constexpr int minDialogHeight = 175;
    constexpr int maxNameNumber = 9999;

    const juce::String defaultPresetName { "MyPreset" };
    const juce::String backupSuffix { "__backup" };

    juce::String quoted (const juce::String& name)
    {
        return "\"" + name + "\"";
    }

    juce::StringArray cappedUserNames (juce::StringArray names)
    {
        if (names.size() > MenuBar::maxUserPresetsInMenu)
            names.removeRange (MenuBar::maxUserPresetsInMenu, names.size() - MenuBar::maxUserPresetsInMenu);

        return names;
    }
}

//==============================================================================
juce::PopupMenu MenuBar::buildPresetsMenu (const juce::StringArray& factoryNames, const juce::StringArray& userNames)
{
    juce::PopupMenu menu;
    menu.setLookAndFeel (menuLookAndFeel.get());

    if (presettableProcessor == nullptr)
        return menu;

    const auto currentName = presettableProcessor->getCurrentPresetName();
    const bool currentIsUser = presettableProcessor->isCurrentPresetUser();

    menu.addSectionHeader ("Factory Presets");

    for (int i = 0; i < juce::jmin (factoryNames.size(), loadUserPresetBaseId - factoryPresetBaseId); ++i)
        menu.addItem (factoryPresetBaseId + i, factoryNames[i], true, ! currentIsUser && factoryNames[i] == currentName);

    if (! userNames.isEmpty())
    {
        menu.addSeparator();
        menu.addSectionHeader ("User Presets");

        for (int i = 0; i < juce::jmin (userNames.size(), maxUserPresetsInMenu); ++i)
        {
            juce::PopupMenu sub;
            sub.setLookAndFeel (menuLookAndFeel.get());
            sub.addItem (loadUserPresetBaseId + i, "Load");
            sub.addItem (renameUserPresetBaseId + i, "Rename");
            sub.addItem (deleteUserPresetBaseId + i, "Delete");
            menu.addSubMenu (userNames[i], sub);
        }
    }

    return menu;
}

void MenuBar::showPresetsMenu()
{
    if (presettableProcessor == nullptr)
        return;

    updateMenuMetrics();
    const auto H = (float) getHeight();

    // The result is looked up in the lists the user saw, not in lists read again later: if
    // another instance saves or deletes a preset while the menu is open, item 2000 + i must
    // still mean the preset that was shown there.
    const auto factoryNames = presettableProcessor->getFactoryPresetNames();
    const auto userNames = cappedUserNames (presettableProcessor->getUserPresetNames());

    const auto options = juce::PopupMenu::Options()
                             .withTargetComponent (&presetButton)
                             .withMinimumWidth ((int) std::round (juce::jmax (H * presetsMenuWidthFraction, presetsMenuMinWidth)))
                             .withStandardItemHeight (menuLookAndFeel->getPopupItemHeight());

    showMenu (buildPresetsMenu (factoryNames, userNames), options, [this, factoryNames, userNames] (int result)
    {
        handlePresetsMenuResult (result, factoryNames, userNames);
    });
}

void MenuBar::handlePresetsMenuResult (int result, const juce::StringArray& factoryNames, const juce::StringArray& userNames)
{
    if (presettableProcessor == nullptr || result <= 0)
        return;

    const auto userName = [&userNames] (int index) -> juce::String
    {
        return juce::isPositiveAndBelow (index, juce::jmin (userNames.size(), maxUserPresetsInMenu)) ? userNames[index] : juce::String();
    };

    if (result < loadUserPresetBaseId)
    {
        const int index = result - factoryPresetBaseId;

        if (juce::isPositiveAndBelow (index, factoryNames.size()))
        {
            presettableProcessor->loadFactoryPreset (factoryNames[index]);
            refreshPresetLabel();
        }
    }
    else if (result < loadUserPresetBaseId + maxUserPresetsInMenu)
    {
        if (const auto name = userName (result - loadUserPresetBaseId); name.isNotEmpty())
            if (presettableProcessor->loadUserPreset (name))
                refreshPresetLabel();
    }
    else if (result < renameUserPresetBaseId + maxUserPresetsInMenu)
    {
        if (const auto name = userName (result - renameUserPresetBaseId); name.isNotEmpty())
            showRenameDialog (name);
    }
    else if (result < deleteUserPresetBaseId + maxUserPresetsInMenu)
    {
        if (const auto name = userName (result - deleteUserPresetBaseId); name.isNotEmpty())
            confirmDelete (name);
    }
}

//==============================================================================
bool MenuBar::userPresetExists (const juce::String& name) const
{
    return presettableProcessor != nullptr
        && presettableProcessor->getUserPresetFile (name.trim()).existsAsFile();
}

bool MenuBar::isNameTaken (const juce::String& name) const
{
    return presettableProcessor != nullptr
        && (presettableProcessor->getUserPresetNames().contains (name, true) || userPresetExists (name));
}

juce::String MenuBar::makeUniquePresetName (const juce::String& base, const juce::String& excludedName) const
{
    const auto taken = [this, &excludedName] (const juce::String& name)
    {
        return ! (excludedName.isNotEmpty() && name.equalsIgnoreCase (excludedName)) && isNameTaken (name);
    };

    if (! taken (base))
        return base;

    for (int n = 1; n <= maxNameNumber; ++n)
        if (const auto candidate = base + juce::String (n); ! taken (candidate))
            return candidate;

    return base + "_New";
}

juce::String MenuBar::suggestPresetName() const
{
    if (presettableProcessor != nullptr && presettableProcessor->isCurrentPresetUser())
    {
        const auto current = presettableProcessor->getCurrentPresetName();

        if (current.trim().isNotEmpty())
            return current;
    }

    return makeUniquePresetName (defaultPresetName, {});
}

//==============================================================================
void MenuBar::showSaveDialog()
{
    if (presettableProcessor == nullptr)
        return;

    DialogContent content;
    content.title = "Save Preset";
    content.message = "Enter a name:";
    content.actionButton = "Save";
    content.hasNameField = true;
    content.nameFieldText = suggestPresetName();

    openDialog (content, [this] (int result, const juce::String& name)
    {
        if (result == 1)
            savePreset (name);
    });
}

void MenuBar::savePreset (const juce::String& name)
{
    if (presettableProcessor == nullptr)
        return;

    const auto trimmed = name.trim();

    if (trimmed.isEmpty())
        return;

    const auto write = [this, trimmed]
    {
        if (presettableProcessor != nullptr && presettableProcessor->saveUserPreset (trimmed))
        {
            refreshPresetLabel();
            showSuccessMessage ("Success", "Preset " + quoted (trimmed) + " has been saved.");
        }
    };

    // Ask exactly when the save would replace a file: the one the name maps to. Names that
    // differ only in characters the file naming drops share a file, so comparing listed
    // names would miss those and would ask about files of another letter case that a
    // case-sensitive file system keeps apart.
    const auto existing = presettableProcessor->getUserPresetFile (trimmed);

    if (existing.existsAsFile())
        confirmOverwrite (existing.getFileNameWithoutExtension(), write);
    else
        write();
}

void MenuBar::confirmOverwrite (const juce::String& existingName, std::function<void()> onOverwrite)
{
    DialogContent content;
    content.title = "Overwrite Preset?";
    content.message = "A preset named " + quoted (existingName) + " already exists.\nDo you want to overwrite it?";
    content.icon = juce::MessageBoxIconType::WarningIcon;
    content.actionButton = "Overwrite";

    openDialog (content, [onOverwrite = std::move (onOverwrite)] (int result, const juce::String&)
    {
        if (result == 1)
            onOverwrite();
    });
}

void MenuBar::confirmDelete (const juce::String& name)
{
    if (presettableProcessor == nullptr)
        return;

    DialogContent content;
    content.title = "Delete Preset?";
    content.message = "Are you sure you want to delete " + quoted (name) + "?";
    content.icon = juce::MessageBoxIconType::WarningIcon;
    content.actionButton = "Delete";

    openDialog (content, [this, name] (int result, const juce::String&)
    {
        if (result == 1 && presettableProcessor->deleteUserPreset (name))
        {
            refreshPresetLabel();
            showSuccessMessage ("Success", "Preset " + quoted (name) + " has been deleted.");
        }
    });
}

void MenuBar::showRenameDialog (const juce::String& oldName)
{
    if (presettableProcessor == nullptr)
        return;

    DialogContent content;
    content.title = "Rename Preset";
    content.message = "Enter a new name:";
    content.actionButton = "Rename";
    content.hasNameField = true;
    content.nameFieldText = oldName;

    openDialog (content, [this, oldName] (int result, const juce::String& newName)
    {
        if (result == 1)
            renamePreset (oldName, newName);
    });
}

void MenuBar::renamePreset (const juce::String& oldName, const juce::String& newName)
{
    if (presettableProcessor == nullptr)
        return;

    const auto from = oldName.trim(), to = newName.trim();

    // A change of letter case alone is not carried out, nor is a new name that maps to the
    // preset's own file: the file would keep its name and the overwrite question would be
    // about the preset itself.
    if (from.isEmpty() || to.isEmpty() || from.equalsIgnoreCase (to)
        || presettableProcessor->getUserPresetFile (from) == presettableProcessor->getUserPresetFile (to))
        return;

    if (userPresetExists (to))
    {
        confirmOverwrite (presettableProcessor->getUserPresetFile (to).getFileNameWithoutExtension(),
                          [this, from, to] { replaceByRename (from, to); });
        return;
    }

    if (presettableProcessor->renameUserPreset (from, to))
    {
        refreshPresetLabel();
        showSuccessMessage ("Success", "Preset " + quoted (from) + " was renamed to " + quoted (to) + ".");
    }
}

void MenuBar::replaceByRename (const juce::String& oldName, const juce::String& newName)
{
    if (presettableProcessor == nullptr)
        return;

    auto backup = newName + backupSuffix;

    for (int n = 1; isNameTaken (backup); ++n)
        backup = newName + backupSuffix + juce::String (n);

    // The preset being replaced steps aside first and is only deleted once the renamed one
    // is in its place; if that fails it goes back under its name.
    if (! presettableProcessor->renameUserPreset (newName, backup))
        return;

    if (! presettableProcessor->renameUserPreset (oldName, newName))
    {
        presettableProcessor->renameUserPreset (backup, newName);
        refreshPresetLabel();
        return;
    }

    const bool backupRemoved = presettableProcessor->deleteUserPreset (backup);
    refreshPresetLabel();

    if (backupRemoved)
        showSuccessMessage ("Success", "Preset " + quoted (oldName) + " was renamed to " + quoted (newName) + ".");
    else
        showErrorMessage ("Error", "Preset " + quoted (oldName) + " was renamed to " + quoted (newName)
                                     + ", but the replaced preset could not be removed.\nIt is kept as " + quoted (backup) + ".");
}

//==============================================================================
void MenuBar::showSuccessMessage (const juce::String& title, const juce::String& message)
{
    DialogContent content;
    content.title = title;
    content.message = message;
    content.actionButton = "OK";
    content.hasCancel = false;

    auto* dialog = openDialog (content, [] (int, const juce::String&) {});
    selfClosingMessages.push_back ({ dialog, juce::Time::getMillisecondCounter() + (juce::uint32) successMessageMs });
}

void MenuBar::closeExpiredMessages()
{
    const auto now = juce::Time::getMillisecondCounter();

    // The user may have closed a message already, which deleted it. Closing one runs its
    // result asynchronously, so nothing here changes the list while it is walked.
    for (auto& m : selfClosingMessages)
        if (m.dialog != nullptr && (juce::int32) (now - m.closeAt) >= 0 && m.dialog->isCurrentlyModal (false))
            m.dialog->exitModalState (1);

    selfClosingMessages.erase (std::remove_if (selfClosingMessages.begin(), selfClosingMessages.end(),
                                               [now] (const SelfClosingMessage& m)
                                               { return m.dialog == nullptr || (juce::int32) (now - m.closeAt) >= 0; }),
                               selfClosingMessages.end());
}

void MenuBar::showErrorMessage (const juce::String& title, const juce::String& message)
{
    DialogContent content;
    content.title = title;
    content.message = message;
    content.icon = juce::MessageBoxIconType::WarningIcon;
    content.actionButton = "OK";
    content.hasCancel = false;
    openDialog (content, [] (int, const juce::String&) {});
}

//==============================================================================
juce::Component* MenuBar::findDialogHost()
{
    if (auto* editor = findParentComponentOfClass<juce::AudioProcessorEditor>())
        return editor;

    auto* top = getTopLevelComponent();
    return top != this ? top : nullptr;
}

void MenuBar::fitDialogToEditor (juce::AlertWindow& dialog)
{
    auto* reference = findDialogHost();

    if (reference == nullptr)
    {
        // A bar on its own has nothing to fit into; the dialog stays on the desktop.
        dialog.centreAroundComponent (this, dialog.getWidth(), juce::jmax (dialog.getHeight(), minDialogHeight));
        return;
    }

    const int width = juce::jmin (dialog.getWidth(), reference->getWidth());
    const int height = juce::jmin (juce::jmax (dialog.getHeight(), minDialogHeight), reference->getHeight());
    dialog.setSize (width, height);
    dialog.centreAroundComponent (reference, width, height);
}

juce::AlertWindow* MenuBar::openDialog (const DialogContent& content, DialogResult onResult)
{
    auto dialog = std::make_unique<juce::AlertWindow> (content.title, content.message, content.icon);
    auto* window = dialog.get();
    window->setLookAndFeel (&dialogLookAndFeel);

    if (content.hasNameField)
        window->addTextEditor (presetNameField, content.nameFieldText, "Preset Name:");

    window->addButton (content.actionButton, 1, juce::KeyPress (juce::KeyPress::returnKey));

    if (content.hasCancel)
        window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

    // Inside the editor the dialog can never open behind the host's window, and it goes
    // when the editor goes.
    if (auto* host = findDialogHost())
        host->addAndMakeVisible (window);

    fitDialogToEditor (*window);
    openDialogs.push_back (std::move (dialog));

    // The bar owns the dialog: the modal manager must not delete it as well. Once the bar is
    // gone it has deleted the dialog, and the result is ignored.
    window->enterModalState (true,
                             juce::ModalCallbackFunction::create ([safeThis = juce::Component::SafePointer<MenuBar> (this),
                                                                   window, onResult = std::move (onResult)] (int result)
                             {
                                 if (safeThis == nullptr)
                                     return;

                                 const auto fieldText = window->getTextEditorContents (presetNameField);
                                 safeThis->releaseDialog (window);

                                 if (safeThis->presettableProcessor != nullptr)
                                     onResult (result, fieldText);
                             }),
                             false);
    return window;
}

void MenuBar::releaseDialog (juce::AlertWindow* dialog)
{
    const auto it = std::find_if (openDialogs.begin(), openDialogs.end(),
                                  [dialog] (const auto& d) { return d.get() == dialog; });

    if (it != openDialogs.end())
    {
        // Take it out of the list before deleting it, so the list is consistent if deleting
        // it sends out notifications.
        auto owned = std::move (*it);
        openDialogs.erase (it);
        owned.reset();
    }
}
