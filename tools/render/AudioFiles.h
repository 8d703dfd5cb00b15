#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** Reading and writing the audio files orvel-render accepts: WAV, AIFF and FLAC. */
namespace AudioFiles
{
    struct Audio
    {
        juce::AudioBuffer<float> samples;
        double sampleRate = 0.0;
        int bitsPerSample = 0;
        juce::String formatName; // "WAV", "AIFF" or "FLAC"
    };

    /** Reads a whole 1- or 2-channel file. False and a message that says what is wrong with
        it (it does not repeat the file name) when the file is missing, empty, truncated,
        of another kind, or has no samples or more than two channels. */
    bool read (const juce::File& file, Audio& audio, juce::String& error);

    /** Writes samples in a format and bit depth. The file appears only when it is complete:
        it is written under a temporary name in the target's folder and renamed. */
    bool write (const juce::File& target, const juce::AudioBuffer<float>& samples, double sampleRate,
                const juce::String& formatName, int bitsPerSample, juce::String& error);

    /** Creates and removes a file in the folder; false when that cannot be done. */
    bool canWriteInto (const juce::File& folder);

    /** Called with the path of the temporary file being written (empty when none), so that
        an interrupted run can remove it. */
    void setTemporaryFileObserver (std::function<void (const juce::File&)> observer);
}
