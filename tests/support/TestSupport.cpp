#include "support/TestSupport.h"

#include <cstdlib>
#include <random>

namespace TestSupport
{
    namespace
    {
        void saveAndSet (const char* name, const juce::String& value, juce::String& previous, bool& hadPrevious)
        {
            if (const char* old = std::getenv (name))
            {
                previous = old;
                hadPrevious = true;
            }

            ::setenv (name, value.toRawUTF8(), 1);
        }

        void restore (const char* name, const juce::String& previous, bool hadPrevious)
        {
            if (hadPrevious)
                ::setenv (name, previous.toRawUTF8(), 1);
            else
                ::unsetenv (name);
        }
    }

    // JUCE's userApplicationDataDirectory on Linux ignores the XDG_CONFIG_HOME variable: it
    // reads ~/.config/user-dirs.dirs and otherwise falls back to ~/.config. So HOME itself is
    // pointed at a temporary folder, and `folder` is that home's ".config".
    ScopedConfigHome::ScopedConfigHome()
    {
        home = juce::File::createTempFile ("orvel-home");
        folder = home.getChildFile (".config");
        folder.createDirectory();

        saveAndSet ("HOME", home.getFullPathName(), previousHome, hadPreviousHome);
        saveAndSet ("XDG_CONFIG_HOME", folder.getFullPathName(), previous, hadPrevious);
        jassert (juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory) == folder);
    }

    ScopedConfigHome::~ScopedConfigHome()
    {
        restore ("XDG_CONFIG_HOME", previous, hadPrevious);
        restore ("HOME", previousHome, hadPreviousHome);
        home.deleteRecursively();
    }

    void setParam (OrvelAudioProcessor& p, const char* id, float value)
    {
        p.setParameterValue (id, value);
    }

    void prepare (OrvelAudioProcessor& p, double sampleRate, int blockSize, int numChannels)
    {
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        p.setBusesLayout (layout);
        p.setRateAndBufferSizeDetails (sampleRate, blockSize);
        p.prepareToPlay (sampleRate, blockSize);
    }

    std::unique_ptr<OrvelAudioProcessor> makePrepared (double sampleRate, int blockSize, int numChannels)
    {
        auto p = std::make_unique<OrvelAudioProcessor>();
        prepare (*p, sampleRate, blockSize, numChannels);
        return p;
    }

    juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, unsigned seed, float amplitude)
    {
        std::mt19937 rng (seed);
        std::uniform_real_distribution<float> dist (-amplitude, amplitude);
        juce::AudioBuffer<float> b (numChannels, numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
                b.setSample (ch, i, dist (rng));

        return b;
    }

    void process (OrvelAudioProcessor& p, juce::AudioBuffer<float>& buffer)
    {
        juce::MidiBuffer midi;
        p.processBlock (buffer, midi);
    }

    void settle (OrvelAudioProcessor& p, int numChannels, int blockSize, int blocks)
    {
        juce::AudioBuffer<float> silence (numChannels, blockSize);

        for (int i = 0; i < blocks; ++i)
        {
            silence.clear();
            process (p, silence);
        }
    }

    juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double frequency, double sampleRate,
                                       float amplitude, bool sameOnAllChannels)
    {
        juce::AudioBuffer<float> b (numChannels, numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
                b.setSample (ch, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / sampleRate
                                                                  + (sameOnAllChannels ? 0.0 : (double) ch)));
        return b;
    }

    float maxDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        float m = 0.0f;

        for (int ch = 0; ch < juce::jmin (a.getNumChannels(), b.getNumChannels()); ++ch)
            for (int i = 0; i < juce::jmin (a.getNumSamples(), b.getNumSamples()); ++i)
                m = juce::jmax (m, std::abs (a.getSample (ch, i) - b.getSample (ch, i)));

        return m;
    }
}
