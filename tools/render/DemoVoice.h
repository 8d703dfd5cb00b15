#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A few seconds of a synthetic voice for the demo: voiced syllables (a glottal-like source of
    harmonics with vibrato and a falling phrase melody, shaped by moving vowel formants),
    breaths before each phrase and sibilant bursts. Mono, the same samples on every call. */
namespace DemoVoice
{
    juce::AudioBuffer<float> synthesise (double sampleRate);
}
