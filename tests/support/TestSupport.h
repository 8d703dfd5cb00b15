#pragma once

#include "processor/OrvelAudioProcessor.h"
#include <juce_audio_basics/juce_audio_basics.h>

namespace TestSupport
{
    /** Points the user's home folder, and with it the application data folder, at a fresh
        temporary folder for the lifetime of the object, so that no test touches the real
        user's files. */
    class ScopedConfigHome
    {
    public:
        ScopedConfigHome();
        ~ScopedConfigHome();

        /** The application data folder (the temporary home's ".config"). */
        const juce::File& getFolder() const noexcept { return folder; }

        /** The temporary home folder. */
        const juce::File& getHomeFolder() const noexcept { return home; }

    private:
        juce::File home, folder;
        juce::String previous, previousHome;
        bool hadPrevious = false, hadPreviousHome = false;
    };

    /** Sets a parameter from its real value through the processor. */
    void setParam (OrvelAudioProcessor& p, const char* id, float value);

    /** Gives a processor a mono or stereo layout (1 or 2 channels) and prepares it. */
    void prepare (OrvelAudioProcessor& p, double sampleRate, int blockSize, int numChannels = 2);

    /** A prepared processor with a given channel count (1 or 2). */
    std::unique_ptr<OrvelAudioProcessor> makePrepared (double sampleRate, int blockSize, int numChannels = 2);

    /** Uniform white noise in [-amplitude, amplitude], reproducible from the seed. */
    juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, unsigned seed, float amplitude = 0.5f);

    /** Processes one block in place. */
    void process (OrvelAudioProcessor& p, juce::AudioBuffer<float>& buffer);

    /** Runs silent blocks until every ramp of the processor (gain stages, fades) has settled. */
    void settle (OrvelAudioProcessor& p, int numChannels, int blockSize = 512, int blocks = 20);

    /** A buffer filled with a sine of the given frequency and amplitude on every channel
        (channel c is phase-shifted by c radians so channels differ). */
    juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double frequency, double sampleRate,
                                       float amplitude = 0.5f, bool sameOnAllChannels = false);

    /** Largest absolute difference between two buffers over their common channels and samples. */
    float maxDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b);
}
