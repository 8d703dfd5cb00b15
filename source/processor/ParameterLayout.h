#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Builds the 26 parameters in the order the host sees them. */
juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
