// The optimised processing chain against a frozen copy of the chain it replaced
// (tests/dsp/reference: JUCE's Reverb and Compressor, std::tanh, std::pow, per-sample
// smoothers). Both run side by side on the same ten seconds of a voice-like signal, with
// the same parameter automation, section switching and ragged block sizes; every output
// sample must stay within 1e-6 of the reference.

#include "support/TestSupport.h"
#include "dsp/reference/ReferenceChain.h"
#include "presets/FactoryPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{
    constexpr double twoPi = 6.283185307179586;
    constexpr float tolerance = 1.0e-6f;

    /** Ten seconds of something a singer could produce: a vibrato voice with formant-shaped
        harmonics, syllables with pauses, sibilant noise bursts, and a slightly different
        right channel. Peaks reach about -4 dBFS. */
    juce::AudioBuffer<float> makeVoice (double sampleRate, double seconds)
    {
        const int n = (int) (sampleRate * seconds);
        juce::AudioBuffer<float> voice (2, n);
        std::mt19937 random (20240611);
        std::uniform_real_distribution<double> noise (-1.0, 1.0);
        const double formants[] = { 650.0, 1150.0, 2700.0, 3400.0 };
        double phase = 0.0, previousNoise = 0.0;

        for (int i = 0; i < n; ++i)
        {
            const double t = i / sampleRate;
            const double f0 = (160.0 + 60.0 * std::sin (twoPi * 0.13 * t)) * (1.0 + 0.025 * std::sin (twoPi * 5.5 * t));
            phase += twoPi * f0 / sampleRate;

            double tone = 0.0;
            for (int k = 1; k * f0 < 0.45 * sampleRate && k <= 60; ++k)
            {
                double shape = 0.0;
                for (double f : formants)
                    shape += std::exp (-std::pow ((k * f0 - f) / 180.0, 2.0));
                tone += (0.3 / k + shape) * std::sin (k * phase) / 6.0;
            }

            const double syllable = std::pow (std::max (0.0, std::sin (twoPi * 2.1 * t)), 0.6);
            const double white = noise (random);
            const double hiss = (white - previousNoise) * 0.5;   // a first difference: bright noise
            previousNoise = white;
            const bool sibilant = std::fmod (t, 1.7) > 1.45;
            const double left = syllable * tone + (sibilant ? 0.35 * hiss : 0.003 * white);

            voice.setSample (0, i, (float) left);
            voice.setSample (1, i, (float) (0.92 * left + 0.02 * syllable * std::sin (3.0 * phase + 0.7) + 0.002 * noise (random)));
        }

        return voice;
    }

    /** One change of a parameter at a moment of the run. */
    struct Event { double time; ParameterIds::Index parameter; float value; };

    /** Section and main bypass switching, and jumps that restart the gain ramps. */
    const Event events[] = {
        { 1.0, ParameterIds::inputGain, 6.0f },      { 1.5, ParameterIds::outputGain, -3.0f },
        { 4.6, ParameterIds::characterBypass, 1.0f }, { 4.9, ParameterIds::characterBypass, 0.0f },
        { 5.2, ParameterIds::spaceBypass, 1.0f },     { 5.205, ParameterIds::spaceBypass, 0.0f },   // back within the fade
        { 5.5, ParameterIds::spaceBypass, 1.0f },     { 5.9, ParameterIds::spaceBypass, 0.0f },
        { 6.2, ParameterIds::toneBypass, 1.0f },      { 6.25, ParameterIds::compBypass, 1.0f },
        { 6.6, ParameterIds::toneBypass, 0.0f },      { 6.7, ParameterIds::compBypass, 0.0f },
        { 7.0, ParameterIds::mainBypass, 1.0f },      { 7.4, ParameterIds::mainBypass, 0.0f },
        { 7.6, ParameterIds::deEssAmount, 0.0f },     { 7.9, ParameterIds::deEssAmount, 60.0f },
        { 8.0, ParameterIds::satMix, 0.0f },          { 8.3, ParameterIds::satMix, 100.0f },
        { 8.3, ParameterIds::satDrive, 24.0f },       { 9.0, ParameterIds::compRatio, 20.0f },
        { 9.0, ParameterIds::compAttack, 0.1f },      { 9.2, ParameterIds::reverbSize, 100.0f },
        { 9.2, ParameterIds::reverbDamping, 0.0f },   { 9.2, ParameterIds::reverbMix, 100.0f },
    };

    /** Parameters moved every block between 2 and 4.5 seconds, as a host automates them. */
    void automate (OrvelAudioProcessor& p, const juce::String& preset, double t)
    {
        if (t < 2.0 || t > 4.5)
            return;

        const auto s = (float) std::sin (twoPi * 0.7 * (t - 2.0));
        const auto* values = FactoryPresets::find (preset.toRawUTF8())->values.data();
        const auto presetValue = [&] (ParameterIds::Index id)
        {
            for (size_t i = 0; i < FactoryPresets::parameters.size(); ++i)
                if (FactoryPresets::parameters[i] == id)
                    return values[i];
            return 0.0f;
        };

        TestSupport::setParam (p, "compThresh", presetValue (ParameterIds::compThresh) - 8.0f * (s + 1.0f));
        TestSupport::setParam (p, "satDrive", presetValue (ParameterIds::satDrive) + 6.0f * (s + 1.0f));
        TestSupport::setParam (p, "width", 100.0f + 90.0f * s);
        TestSupport::setParam (p, "reverbMix", 20.0f + 20.0f * s);
        TestSupport::setParam (p, "reverbSize", 40.0f + 30.0f * s);
        TestSupport::setParam (p, "hpfFreq", 120.0f + 60.0f * s);
        TestSupport::setParam (p, "midGain", 4.0f * s);
        TestSupport::setParam (p, "deEssFreq", 6000.0f + 2000.0f * s);
    }

    /** Largest absolute difference over both channels; a non-finite sample counts as infinitely far. */
    float deviation (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        float m = 0.0f;

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < a.getNumSamples(); ++i)
            {
                const float d = std::abs (a.getSample (ch, i) - b.getSample (ch, i));
                m = std::isfinite (d) ? juce::jmax (m, d) : std::numeric_limits<float>::infinity();
            }

        return m;
    }

    Reference::ReferenceChain::Values valuesOf (const OrvelAudioProcessor& p)
    {
        Reference::ReferenceChain::Values v {};
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = p.getParameterValue (ParameterIds::ids[i]);
        return v;
    }

    /** Runs both chains over the whole voice and returns the largest difference seen. */
    float largestDeviation (const juce::String& preset, double sampleRate)
    {
        const auto voice = makeVoice (sampleRate, 10.0);
        auto processor = std::make_unique<OrvelAudioProcessor>();
        processor->loadFactoryPreset (preset);
        TestSupport::prepare (*processor, sampleRate, 512);

        Reference::ReferenceChain reference;
        reference.prepareToPlay (valuesOf (*processor), sampleRate, 512, 2);

        // Ragged block sizes from 1 up to the largest block the processor takes.
        const int blockSizes[] = { 512, 1, 37, 256, 8192, 3, 1024, 480, 64, 2, 777, 4096, 128, 5, 2048, 333 };
        juce::AudioBuffer<float> ours (2, 8192), theirs (2, 8192);
        juce::MidiBuffer midi;
        float largest = 0.0f;
        size_t nextEvent = 0, nextSize = 0;

        for (int pos = 0; pos < voice.getNumSamples();)
        {
            const double t = pos / sampleRate;

            for (; nextEvent < std::size (events) && events[nextEvent].time <= t; ++nextEvent)
                TestSupport::setParam (*processor, ParameterIds::ids[(size_t) events[nextEvent].parameter], events[nextEvent].value);

            automate (*processor, preset, t);

            const int n = juce::jmin (blockSizes[nextSize++ % std::size (blockSizes)], voice.getNumSamples() - pos);
            ours.setSize (2, n, false, false, true);
            theirs.setSize (2, n, false, false, true);

            for (int ch = 0; ch < 2; ++ch)
            {
                ours.copyFrom (ch, 0, voice, ch, pos, n);
                theirs.copyFrom (ch, 0, voice, ch, pos, n);
            }

            processor->processBlock (ours, midi);
            reference.processBlock (theirs, valuesOf (*processor));
            largest = juce::jmax (largest, deviation (ours, theirs));
            pos += n;
        }

        return largest;
    }
}

TEST (ChainEquivalence, StaysWithinOneMillionthOfTheReferenceChain)
{
    float overall = 0.0f;

    for (const char* preset : { "Rock", "Wide", "Airy" })
    {
        for (double rate : { 44100.0, 48000.0, 96000.0 })
        {
            const float deviation = largestDeviation (preset, rate);
            EXPECT_LE (deviation, tolerance) << preset << " at " << rate << " Hz";
            overall = juce::jmax (overall, deviation);
        }
    }

    RecordProperty ("largestDeviation", juce::String (overall, 10).toStdString());
    std::cout << "largest deviation from the reference chain: " << overall << std::endl;
}
