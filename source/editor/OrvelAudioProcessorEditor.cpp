#include "editor/OrvelAudioProcessorEditor.h"
#include "editor/EditorSizing.h"

OrvelAudioProcessorEditor::OrvelAudioProcessorEditor (OrvelAudioProcessor& p)
    : juce::AudioProcessorEditor (p), orvelProcessor (p), panel (p)
{
    setResizable (true, true);

    menuBar.setPresettableProcessor (&orvelProcessor);
    menuBar.initialiseSettings (productInfo);
    menuBar.enableDisplaySizeMenu();

    guiScalePreset = menuBar.readDefaultGuiScalePreset();
    menuBar.setGuiScalePreset ((MenuBar::GuiScalePreset) guiScalePreset);

    menuBar.setOnResolutionModeChanged ([] (MenuBar::ResolutionMode) {});
    menuBar.setOnGuiScalePresetChanged ([this] (MenuBar::GuiScalePreset preset) { guiScalePresetChanged (preset); });

    addAndMakeVisible (panel);
    addAndMakeVisible (menuBar);

    applyEditorSize();
}

OrvelAudioProcessorEditor::~OrvelAudioProcessorEditor() = default;

juce::Rectangle<int> OrvelAudioProcessorEditor::getDisplayUserArea() const
{
    const auto& displays = juce::Desktop::getInstance().getDisplays();
    const auto position = getScreenPosition();

    for (const auto& display : displays.displays)
        if (display.totalArea.contains (position) && ! display.userArea.isEmpty())
            return display.userArea;

    if (const auto* primary = displays.getPrimaryDisplay())
        if (! primary->userArea.isEmpty())
            return primary->userArea;

    // No display at all: a headless host or a validator. Size as on a common screen.
    return EditorSizing::fallbackUserArea;
}

juce::Rectangle<int> OrvelAudioProcessorEditor::computePreferredSize() const
{
    return EditorSizing::preferredSize (getDisplayUserArea(), guiScalePreset, productInfo);
}

void OrvelAudioProcessorEditor::applyEditorSize()
{
    const juce::ScopedValueSetter<bool> applying (applyingSize, true);
    const auto userArea = getDisplayUserArea();
    juce::Rectangle<int> size;

    if (orvelProcessor.savedWindowSizeSet.load())
    {
        size = EditorSizing::clampSavedSize (orvelProcessor.savedWindowWidth.load(), orvelProcessor.savedWindowHeight.load(),
                                             userArea, productInfo);
    }
    else
    {
        size = computePreferredSize();
        orvelProcessor.savedWindowWidth = (float) size.getWidth();
        orvelProcessor.savedWindowHeight = (float) size.getHeight();
        orvelProcessor.savedWindowSizeSet = true;
    }

    // The limits always include the size applied: a display size above the usual largest
    // width (125 % and 150 % on a large screen) would otherwise snap back at the first drag
    // of the resize corner, or when a host checks the size.
    const auto limits = EditorSizing::limitsFor (userArea, productInfo).including (size);
    setResizable (true, true);
    setResizeLimits (limits.minWidth, limits.minHeight, limits.maxWidth, limits.maxHeight);

    if (auto* limitsKeeper = getConstrainer())
        limitsKeeper->setFixedAspectRatio (juce::jmax (0.1f, productInfo.aspectRatio));

    setBounds (getX(), getY(), size.getWidth(), size.getHeight());
}

void OrvelAudioProcessorEditor::resized()
{
    const int barHeight = EditorSizing::menuBarHeight (getHeight(), productInfo);
    menuBar.setBounds (0, 0, getWidth(), barHeight);
    panel.setBounds (0, barHeight, getWidth(), getHeight() - barHeight);

    // A size below the minimum (one a host imposes) is shown but not remembered.
    if (! applyingSize && EditorSizing::isStorable (getWidth(), getHeight(), productInfo))
    {
        orvelProcessor.savedWindowWidth = (float) getWidth();
        orvelProcessor.savedWindowHeight = (float) getHeight();
        orvelProcessor.savedWindowSizeSet = true;
    }
}

void OrvelAudioProcessorEditor::guiScalePresetChanged (MenuBar::GuiScalePreset preset)
{
    guiScalePreset = preset;
    menuBar.setGuiScalePreset (preset);

    // A new display size replaces the size remembered from dragging.
    orvelProcessor.savedWindowSizeSet = false;
    applyEditorSize();
    resized();
    repaint();
}
