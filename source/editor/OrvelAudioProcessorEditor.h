#pragma once

#include "common/ProductInfo.h"
#include "editor/OrvelGUI.h"
#include "menubar/MenuBar.h"

/** Orvel's window: the menu bar along the top and the main panel below it. The window sizes
    itself from the usable area of the display it is on and the chosen display size, keeps its
    proportions while the user or host resizes it, and remembers its size in the processor so
    that a reopened editor, or a reloaded project, comes back at the same size. */
class OrvelAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit OrvelAudioProcessorEditor (OrvelAudioProcessor& processorToEdit);
    ~OrvelAudioProcessorEditor() override;

    /** The main panel. */
    OrvelGUI& getPanel() noexcept { return panel; }

    /** The menu bar. */
    MenuBar& getMenuBar() noexcept { return menuBar; }

    /** The display size in use. */
    MenuBar::GuiScalePreset getGuiScalePreset() const noexcept { return (MenuBar::GuiScalePreset) guiScalePreset; }

    void resized() override;

private:
    juce::Rectangle<int> getDisplayUserArea() const;
    juce::Rectangle<int> computePreferredSize() const;
    void applyEditorSize();
    void guiScalePresetChanged (MenuBar::GuiScalePreset preset);

    OrvelAudioProcessor& orvelProcessor;
    ProductInfo productInfo;
    OrvelGUI panel;
    MenuBar menuBar;
    int guiScalePreset = MenuBar::scale100;
    bool applyingSize = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelAudioProcessorEditor)
};
