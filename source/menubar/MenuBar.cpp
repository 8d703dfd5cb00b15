#include "menubar/MenuBar.h"
#include "menubar/MenuBarTheme.h"

namespace
{
    // Layout proportions of the bar, as fractions of its width W or height H.
    constexpr float padFraction = 0.12f, minPad = 6.0f;
    constexpr float buttonFraction = 0.9f, minButtonSize = 18.0f;
    constexpr float undoLeftFraction = 0.01f;
    constexpr float redoGapFraction = 0.2f, minRedoGap = 1.0f;
    constexpr float presetWidthFraction = 0.24f, presetLeftShift = 0.8f;
    constexpr float saveGapFraction = 0.01f, saveWidthFraction = 1.8f;
    constexpr float settingsLeftFraction = 0.9f, settingsSideFraction = 0.8f;
    constexpr float arrowIconFraction = 0.8f * 0.56f, gearIconFraction = 0.8f * 0.5f;

    // The gear of the Settings button in a 24 x 24 view box: six teeth centred at 30, 90, 150,
    // 210, 270 and 330 degrees, each 30 degrees wide at the body (radius 7.2) and 24 degrees
    // at the tip (radius 9.8), and a hole of radius 3.6, all around (12, 12).
    constexpr const char* gearPath =
        "M18.95 13.86 L21.32 15.03 L19.28 18.56 L17.09 17.09 A7.2 7.2 0 0 1 13.86 18.95 "
        "L14.04 21.59 L9.96 21.59 L10.14 18.95 A7.2 7.2 0 0 1 6.91 17.09 "
        "L4.72 18.56 L2.68 15.03 L5.05 13.86 A7.2 7.2 0 0 1 5.05 10.14 "
        "L2.68 8.97 L4.72 5.44 L6.91 6.91 A7.2 7.2 0 0 1 10.14 5.05 "
        "L9.96 2.41 L14.04 2.41 L13.86 5.05 A7.2 7.2 0 0 1 17.09 6.91 "
        "L19.28 5.44 L21.32 8.97 L18.95 10.14 A7.2 7.2 0 0 1 18.95 13.86 Z "
        "M15.6 12 A3.6 3.6 0 1 0 8.4 12 A3.6 3.6 0 1 0 15.6 12 Z";

    std::unique_ptr<juce::Drawable> makeGearDrawable()
    {
        if (const auto xml = juce::XmlDocument::parse (MenuBar::makeGearSvg()))
            return juce::Drawable::createFromSVG (*xml);

        return {};
    }

    juce::String downTriangle()
    {
        return juce::String::charToString ((juce::juce_wchar) 0x25BE);
    }
}

juce::String MenuBar::makeGearSvg()
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 24 24\" width=\"24\" height=\"24\">"
           "<path fill=\"#" + MenuBarTheme::Icon::gearDrawable.toDisplayString (false) + "\" fill-rule=\"evenodd\" d=\""
           + juce::String (gearPath) + "\"/></svg>";
}

MenuBar::MenuBar()
    : backgroundColour (MenuBarTheme::Bar::background)
{
    undoButton.setIconType (IconButton::undoIcon);
    undoButton.setShowHoverPlate (false);
    redoButton.setIconType (IconButton::redoIcon);
    redoButton.setShowHoverPlate (false);
    presetButton.setLabelText ("Presets  " + downTriangle());
    saveButton.setLabelText ("Save");

    if (auto gear = makeGearDrawable())
        settingsButton.setIcon (std::move (gear));
    else
        settingsButton.setIconType (IconButton::gearIcon);

    for (auto* button : { &undoButton, &redoButton, &presetButton, &saveButton, &settingsButton })
        addAndMakeVisible (button);

    settingsButton.setVisible (false);

    undoButton.onClick = [this]
    {
        if (presettableProcessor != nullptr)
            presettableProcessor->undo();
    };

    redoButton.onClick = [this]
    {
        if (presettableProcessor != nullptr)
            presettableProcessor->redo();
    };

    presetButton.onClick = [this] { showPresetsMenu(); };
    saveButton.onClick = [this] { showSaveDialog(); };
    settingsButton.onClick = [this] { showSettingsMenu(); };

    refreshPresetLabel();
    refreshUndoRedoButtons();
    startTimer (refreshIntervalMs);
}

MenuBar::~MenuBar()
{
    stopTimer();

    // A menu only checks that its target still exists when the mouse moves over it, so it
    // could stay on screen long after the editor closed: close it now. Its result arrives
    // later and finds the bar gone.
    for (auto& menu : openMenus)
        if (menu != nullptr)
            menu->exitModalState (0);

    // Dialogs live in the editor, not in the bar; take them down before the look they are
    // drawn with, so none stays on screen with nothing behind its buttons.
    openDialogs.clear();
}

void MenuBar::showMenu (juce::PopupMenu menu, const juce::PopupMenu::Options& options, std::function<void (int)> onResult)
{
    // The deletion check makes a menu whose bar has gone report no choice; the callback
    // holds a share of the menu look because the window may still draw after the bar is gone.
    menu.showMenuAsync (options.withDeletionCheck (*this),
                        [safeThis = juce::Component::SafePointer<MenuBar> (this), look = menuLookAndFeel,
                         onResult = std::move (onResult)] (int result)
                        {
                            if (safeThis != nullptr)
                                onResult (result);
                        });

    // The menu's window is now the front-most modal component.
    openMenus.erase (std::remove_if (openMenus.begin(), openMenus.end(), [] (const auto& m) { return m.getComponent() == nullptr; }),
                     openMenus.end());

    if (auto* window = juce::Component::getCurrentlyModalComponent (0))
        if (&window->getLookAndFeel() == menuLookAndFeel.get())
            openMenus.emplace_back (window);
}

//==============================================================================
void MenuBar::setPresettableProcessor (PresettableProcessor* processor)
{
    presettableProcessor = processor;
    refreshPresetLabel();
    refreshUndoRedoButtons();
}

void MenuBar::initialiseSettings (const ProductInfo& info)
{
    productInfo = info;
    settings.initialise (productInfo);
    currentGuiScalePreset = readDefaultGuiScalePreset();
    updateSettingsButtonVisibility();
}

MenuBar::GuiScalePreset MenuBar::readDefaultGuiScalePreset()
{
    const auto text = settings.getDefaultGuiScalePreset ("100").trim().toLowerCase();

    for (auto preset : { scale50, scale75, scale125, scale150 })
        if (text == settingsTextFor (preset))
            return preset;

    return scale100;
}

void MenuBar::setGuiScalePreset (GuiScalePreset preset)
{
    currentGuiScalePreset = preset;
}

void MenuBar::enableDisplaySizeMenu()
{
    displaySizeMenuEnabled = true;
    updateSettingsButtonVisibility();
    resized();
    repaint();
}

void MenuBar::setOnGuiScalePresetChanged (std::function<void (GuiScalePreset)> callback)
{
    onGuiScalePresetChanged = std::move (callback);
    updateSettingsButtonVisibility();
}

void MenuBar::setOnResolutionModeChanged (std::function<void (ResolutionMode)> callback)
{
    onResolutionModeChanged = std::move (callback);
    updateSettingsButtonVisibility();
}

void MenuBar::updateSettingsButtonVisibility()
{
    settingsButton.setVisible (displaySizeMenuEnabled || onGuiScalePresetChanged != nullptr);
}

//==============================================================================
void MenuBar::refreshPresetLabel()
{
    auto text = presettableProcessor != nullptr ? presettableProcessor->getPresetDisplayName().trim()
                                                : juce::String ("Presets");

    if (text.isEmpty() || text == "Preset")
        text = "Presets";

    // Repaints only when the text changed: this runs eight times a second.
    presetButton.setLabelText (text + "  " + downTriangle());
}

void MenuBar::refreshUndoRedoButtons()
{
    undoButton.setEnabled (presettableProcessor != nullptr && presettableProcessor->canUndo());
    redoButton.setEnabled (presettableProcessor != nullptr && presettableProcessor->canRedo());
}

void MenuBar::timerCallback()
{
    refreshPresetLabel();
    refreshUndoRedoButtons();
    closeExpiredMessages();
}

//==============================================================================
void MenuBar::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
}

void MenuBar::updateMenuMetrics()
{
    menuLookAndFeel->setMetricsFromBarHeight ((float) getHeight());
}

void MenuBar::resized()
{
    const auto W = (float) getWidth(), H = (float) getHeight();
    updateMenuMetrics();

    const float pad = juce::jmax (H * padFraction, minPad);
    const float size = juce::jmax (minButtonSize, H * buttonFraction - 2.0f * pad);
    const int s = (int) std::round (size);
    const int y = (int) std::round ((H - (float) s) * 0.5f);
    const int p = (int) std::round (pad);

    undoButton.setBounds ((int) std::round (W * undoLeftFraction + pad), y, s, s);

    // Redo is measured from the left margin, not from Undo's right edge: the two bounds
    // overlap a little while the icons drawn inside them stay apart.
    redoButton.setBounds (p + s + (int) juce::jmax (minRedoGap, size * redoGapFraction), y, s, s);

    const int presetWidth = (int) std::round (W * presetWidthFraction);
    const float presetLeft = W * 0.5f - (float) presetWidth * presetLeftShift;
    presetButton.setBounds ((int) std::round (presetLeft), p, presetWidth, s);

    const int saveWidth = (int) std::round (H * saveWidthFraction);
    saveButton.setBounds ((int) std::round (presetLeft + (float) presetWidth + W * saveGapFraction), p, saveWidth, s);

    const int side = (int) (H * settingsSideFraction);
    settingsButton.setBounds ((int) std::round (W * settingsLeftFraction), (int) ((H - H * settingsSideFraction) * 0.5f), side, side);

    undoButton.setCustomIconSize (H * arrowIconFraction, H * arrowIconFraction);
    redoButton.setCustomIconSize (H * arrowIconFraction, H * arrowIconFraction);
    settingsButton.setCustomIconSize (H * gearIconFraction, H * gearIconFraction);
}

//==============================================================================
juce::String MenuBar::settingsTextFor (GuiScalePreset preset)
{
    switch (preset)
    {
        case scale50:    return "50";
        case scale75:    return "75";
        case scale100:   return "100";
        case scale125:   return "125";
        case scale150:   return "150";
        case fullscreen: return "fullscreen";
        default:         return "100";
    }
}

juce::String MenuBar::menuTextFor (GuiScalePreset preset)
{
    if (preset >= scale50 && preset <= scale150)
        return settingsTextFor (preset) + "%";

    return {};
}
