#pragma once

#include "editor/OrvelGUI.h"

/** Orvel's window: the main panel. */
class OrvelAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit OrvelAudioProcessorEditor (OrvelAudioProcessor& processorToEdit);
    ~OrvelAudioProcessorEditor() override;

    /** The main panel. */
    OrvelGUI& getPanel() noexcept { return panel; }

    void resized() override;

private:
    OrvelAudioProcessor& processor;
    OrvelGUI panel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelAudioProcessorEditor)
};
