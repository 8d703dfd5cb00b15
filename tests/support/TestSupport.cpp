#include "support/TestSupport.h"

#include <cstdlib>

namespace TestSupport
{
    ScopedConfigHome::ScopedConfigHome()
    {
        folder = juce::File::createTempFile ("orvel-config");
        folder.createDirectory();

        if (const char* old = std::getenv ("XDG_CONFIG_HOME"))
        {
            previous = old;
            hadPrevious = true;
        }

        ::setenv ("XDG_CONFIG_HOME", folder.getFullPathName().toRawUTF8(), 1);
    }

    ScopedConfigHome::~ScopedConfigHome()
    {
        if (hadPrevious)
            ::setenv ("XDG_CONFIG_HOME", previous.toRawUTF8(), 1);
        else
            ::unsetenv ("XDG_CONFIG_HOME");

        folder.deleteRecursively();
    }

    void setParam (OrvelAudioProcessor& p, const char* id, float value)
    {
        p.setParameterValue (id, value);
    }

    std::unique_ptr<OrvelAudioProcessor> makePrepared (double sampleRate, int blockSize, int numChannels)
    {
        auto p = std::make_unique<OrvelAudioProcessor>();
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        p->setBusesLayout (layout);
        p->setRateAndBufferSizeDetails (sampleRate, blockSize);
        p->prepareToPlay (sampleRate, blockSize);
        return p;
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
