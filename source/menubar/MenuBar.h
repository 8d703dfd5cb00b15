#pragma once

#include "common/ProductInfo.h"
#include "menubar/DialogLookAndFeel.h"
#include "menubar/IconButton.h"
#include "menubar/MenuBarLookAndFeel.h"
#include "presets/GuiSettings.h"
#include "presets/PresettableProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The strip above the main panel: Undo, Redo, the presets button showing the current
    preset, Save, and the display-size (Settings) button. It reaches presets and undo only
    through PresettableProcessor, keeps the per-user settings store, and reports display-size
    choices to the editor through a callback.

    Menus and dialogs never outlive the bar: menus are dismissed when it goes, the dialogs it
    opens are its own and are deleted with it, and every result that arrives after it has gone,
    or while no processor is set, is ignored. */
class MenuBar : public juce::Component,
                public juce::Timer
{
public:
    /** Display sizes of the editor, in menu order. */
    enum GuiScalePreset
    {
        scale50 = 0,
        scale75 = 1,
        scale100 = 2,
        scale125 = 3,
        scale150 = 4,
        fullscreen = 5
    };

    /** A second choice the editor may react to; this version offers no menu item for it and
        never reports one. */
    enum ResolutionMode
    {
        standardResolution = 0
    };

    /** Menu item identifiers of the presets menu: base + index into the list shown. */
    static constexpr int factoryPresetBaseId = 1000, loadUserPresetBaseId = 2000,
                         renameUserPresetBaseId = 5000, deleteUserPresetBaseId = 8000;

    /** At most this many user presets are listed, so that the identifier ranges above never
        run into one another. */
    static constexpr int maxUserPresetsInMenu = 3000;

    /** Menu item identifiers of the settings menu. */
    static constexpr int firstScaleItemId = 920001, makeDefaultItemId = 920007;

    /** Interval of the refresh of the preset label and the Undo and Redo buttons. */
    static constexpr int refreshIntervalMs = 125;

    /** How long a success message stays up unless the user closes it first. */
    static constexpr int successMessageMs = 3000;

    /** Name of the text field in the save and rename dialogs. */
    static constexpr const char* presetNameField = "presetName";

    MenuBar();
    ~MenuBar() override;

    //==============================================================================
    /** Connects the bar to a processor (or disconnects it with nullptr) and refreshes the
        preset label and the Undo and Redo buttons at once. */
    void setPresettableProcessor (PresettableProcessor* processor);

    /** Keeps a copy of the product record, opens the settings store with it and takes the
        stored display size as the current one. */
    void initialiseSettings (const ProductInfo& info);

    /** The display size stored in the settings file; 100 % when none is stored. */
    GuiScalePreset readDefaultGuiScalePreset();

    /** Sets the display size the settings menu shows as chosen, without calling back. */
    void setGuiScalePreset (GuiScalePreset preset);

    /** The display size the settings menu shows as chosen. */
    GuiScalePreset getGuiScalePreset() const noexcept { return currentGuiScalePreset; }

    /** Shows the Settings button for good. */
    void enableDisplaySizeMenu();

    /** Called with the display size the user picks in the settings menu. */
    void setOnGuiScalePresetChanged (std::function<void (GuiScalePreset)> callback);

    /** Called with a resolution mode; kept for the editor, never called by this version. */
    void setOnResolutionModeChanged (std::function<void (ResolutionMode)> callback);

    //==============================================================================
    /** Reads the current preset's display name into the presets button. */
    void refreshPresetLabel();

    /** Enables Undo and Redo as the processor allows. */
    void refreshUndoRedoButtons();

    /** Opens the presets menu under the presets button. */
    void showPresetsMenu();

    /** The presets menu for the given lists: factory items, then one sub-menu per user
        preset (at most maxUserPresetsInMenu) with Load, Rename and Delete. */
    juce::PopupMenu buildPresetsMenu (const juce::StringArray& factoryNames, const juce::StringArray& userNames);

    /** Acts on a presets menu result, looking names up in the lists the menu was built from,
        so that the preset acted on is the one the user saw even if the folder changed
        meanwhile. Unknown identifiers and indexes beyond the lists do nothing. */
    void handlePresetsMenuResult (int result, const juce::StringArray& factoryNames, const juce::StringArray& userNames);

    /** Opens the dialog that saves the current state as a user preset. */
    void showSaveDialog();

    /** Saves under a name, asking first if the file the name maps to exists. */
    void savePreset (const juce::String& name);

    /** Asks whether to delete a user preset and deletes it on confirmation. */
    void confirmDelete (const juce::String& name);

    /** Opens the dialog that gives a user preset a new name. */
    void showRenameDialog (const juce::String& oldName);

    /** Gives a preset a new name, asking first when that replaces another preset. */
    void renamePreset (const juce::String& oldName, const juce::String& newName);

    /** Replaces the preset called newName by the one called oldName without ever deleting
        the replaced preset before the new one is in place. */
    void replaceByRename (const juce::String& oldName, const juce::String& newName);

    /** The name the save dialog suggests. */
    juce::String suggestPresetName() const;

    /** base if no user preset takes it, else base followed by the first free number from 1
        to 9999, else base followed by "_New". A preset called excludedName does not count. */
    juce::String makeUniquePresetName (const juce::String& base, const juce::String& excludedName) const;

    /** Whether saving under this name would replace an existing preset file. */
    bool userPresetExists (const juce::String& name) const;

    /** Shows a message with one "OK" button that closes itself after successMessageMs. */
    void showSuccessMessage (const juce::String& title, const juce::String& message);

    /** Fits a dialog into the editor that holds the bar and centres it there. */
    void fitDialogToEditor (juce::AlertWindow& dialog);

    //==============================================================================
    /** Opens the display-size menu under the Settings button (only when a display-size
        callback is set). */
    void showSettingsMenu();

    /** The display-size menu as it would be shown now. */
    juce::PopupMenu buildSettingsMenu();

    /** Acts on a display-size menu result. */
    void handleSettingsMenuResult (int result);

    /** The settings text of a display size: "50" to "150", "fullscreen", "100" otherwise. */
    static juce::String settingsTextFor (GuiScalePreset preset);

    /** The menu text of a display size: "50%" to "150%"; empty for fullscreen. */
    static juce::String menuTextFor (GuiScalePreset preset);

    //==============================================================================
    /** The buttons, for the editor's tests and tooltips. */
    IconButton& getUndoButton() noexcept { return undoButton; }
    IconButton& getRedoButton() noexcept { return redoButton; }
    IconButton& getPresetButton() noexcept { return presetButton; }
    IconButton& getSaveButton() noexcept { return saveButton; }
    IconButton& getSettingsButton() noexcept { return settingsButton; }

    /** The look of the pop-up menus. */
    MenuBarLookAndFeel& getMenuLookAndFeel() noexcept { return *menuLookAndFeel; }

    /** The look of the dialogs. */
    DialogLookAndFeel& getDialogLookAndFeel() noexcept { return dialogLookAndFeel; }

    /** The settings store. */
    GuiSettings& getSettings() noexcept { return settings; }

    /** The SVG text of the Settings button's gear. */
    static juce::String makeGearSvg();

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

private:
    using DialogResult = std::function<void (int result, const juce::String& fieldText)>;

    struct DialogContent
    {
        juce::String title, message;
        juce::MessageBoxIconType icon = juce::MessageBoxIconType::NoIcon;
        juce::String actionButton;
        bool hasCancel = true;
        bool hasNameField = false;
        juce::String nameFieldText;
    };

    void showMenu (juce::PopupMenu menu, const juce::PopupMenu::Options& options, std::function<void (int)> onResult);
    juce::AlertWindow* openDialog (const DialogContent& content, DialogResult onResult);
    void releaseDialog (juce::AlertWindow* dialog);
    juce::Component* findDialogHost();
    void confirmOverwrite (const juce::String& existingName, std::function<void()> onOverwrite);
    void showErrorMessage (const juce::String& title, const juce::String& message);
    void updateSettingsButtonVisibility();
    void updateMenuMetrics();
    bool isNameTaken (const juce::String& name) const;

    PresettableProcessor* presettableProcessor = nullptr;
    GuiSettings settings;
    ProductInfo productInfo;

    IconButton undoButton { "Undo" };
    IconButton redoButton { "Redo" };
    IconButton presetButton { "Preset" };
    IconButton saveButton { "Save" };
    IconButton settingsButton { "Settings" };

    GuiScalePreset currentGuiScalePreset = scale100;
    bool displaySizeMenuEnabled = false;
    std::function<void (ResolutionMode)> onResolutionModeChanged;
    std::function<void (GuiScalePreset)> onGuiScalePresetChanged;

    // A pop-up menu is dismissed some time after the bar is deleted, not at once; its window
    // keeps drawing with this look until then, so each open menu holds a share of it.
    std::shared_ptr<MenuBarLookAndFeel> menuLookAndFeel = std::make_shared<MenuBarLookAndFeel>();
    DialogLookAndFeel dialogLookAndFeel;
    juce::Colour backgroundColour;

    // Declared after the dialog look so that open dialogs go before the look they use.
    std::vector<std::unique_ptr<juce::AlertWindow>> openDialogs;

    // Windows of the menus this bar opened; JUCE owns them, the bar only closes them.
    std::vector<juce::Component::SafePointer<juce::Component>> openMenus;

    // Success messages still up, each with the millisecond counter value at which it closes.
    // The bar's own refresh timer closes them: a one-shot timer of JUCE's would stay pending
    // after the editor closed, and be leaked when the plug-in is unloaded before it fires.
    struct SelfClosingMessage
    {
        juce::Component::SafePointer<juce::AlertWindow> dialog;
        juce::uint32 closeAt = 0;
    };

    std::vector<SelfClosingMessage> selfClosingMessages;
    void closeExpiredMessages();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuBar)
};
