#include "editor/OrvelAudioProcessorEditor.h"

OrvelAudioProcessorEditor::OrvelAudioProcessorEditor (OrvelAudioProcessor& p)
    : juce::AudioProcessorEditor (p), processor (p), panel (p)
{
    addAndMakeVisible (panel);
    setSize (1347, 662);
}

OrvelAudioProcessorEditor::~OrvelAudioProcessorEditor() = default;

void OrvelAudioProcessorEditor::resized()
{
    panel.setBounds (getLocalBounds());
}
