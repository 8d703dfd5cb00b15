#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>

namespace
{
    /** Loads the built bundle as a DAW would and keeps the instance for one test. */
    class HostedOrvel : public ::testing::Test
    {
    protected:
        static juce::PluginDescription describe()
        {
            juce::VST3PluginFormat format;
            juce::OwnedArray<juce::PluginDescription> types;
            format.findAllTypesForFile (types, ORVEL_VST3_BUNDLE);
            return types.size() == 1 ? *types[0] : juce::PluginDescription {};
        }

        static std::unique_ptr<juce::AudioPluginInstance> load (double sampleRate = 48000.0, int blockSize = 512)
        {
            juce::VST3PluginFormat format;
            juce::String error;
            auto instance = format.createInstanceFromDescription (describe(), sampleRate, blockSize, error);
            EXPECT_NE (instance, nullptr) << error;
            return instance;
        }

        static bool layoutSupported (juce::AudioPluginInstance& p, juce::AudioChannelSet in, juce::AudioChannelSet out)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (in);
            layout.outputBuses.add (out);
            return p.checkBusesLayoutSupported (layout);
        }

        static bool allFinite (const juce::AudioBuffer<float>& b)
        {
            for (int ch = 0; ch < b.getNumChannels(); ++ch)
                for (int i = 0; i < b.getNumSamples(); ++i)
                    if (! std::isfinite (b.getSample (ch, i)))
                        return false;
            return true;
        }
    };
}

TEST_F (HostedOrvel, DescribesItselfAsOrvelByCorvaneAudio)
{
    const auto d = describe();
    EXPECT_EQ (d.name, "Orvel");
    EXPECT_EQ (d.manufacturerName, "Corvane Audio");
    EXPECT_EQ (d.version, "2.0.0");
    EXPECT_EQ (d.pluginFormatName, "VST3");
    EXPECT_TRUE (d.category.contains ("Fx")) << d.category;
    EXPECT_FALSE (d.isInstrument);
    EXPECT_EQ (d.numInputChannels, 2);
    EXPECT_EQ (d.numOutputChannels, 2);
}

TEST_F (HostedOrvel, ShowsTheParametersInOrderFollowedByTheHostBypass)
{
    auto p = load();
    ASSERT_NE (p, nullptr);

    const juce::StringArray expected { "Main Bypass", "Input Gain", "Output Gain", "Tone Bypass", "HPF", "LPF", "Low", "Mid",
                                       "High", "Air", "Compression Bypass", "Comp Threshold", "Comp Ratio", "Comp Attack",
                                       "Comp Release", "Comp Makeup", "Character Bypass", "De-Esser Freq", "De-Esser Amount",
                                       "Saturation Drive", "Saturation Mix", "Space Bypass", "Width", "Reverb Size",
                                       "Reverb Damping", "Reverb Mix" };
    const auto& params = p->getParameters();
    ASSERT_EQ (params.size(), expected.size() + 1);

    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ (params[i]->getName (100), expected[i]) << "index " << i;

    auto* bypass = p->getBypassParameter();
    ASSERT_NE (bypass, nullptr);
    EXPECT_EQ (bypass, params.getLast());

    // Defaults as the host sees them: the threshold's text and the low-pass fully open.
    EXPECT_EQ (params[11]->getText (params[11]->getValue(), 100), "-18.00");
    EXPECT_FLOAT_EQ (params[5]->getValue(), 1.0f);
}

TEST_F (HostedOrvel, AcceptsMonoAndStereoWithEqualInputAndOutputOnly)
{
    auto p = load();
    ASSERT_NE (p, nullptr);
    using Set = juce::AudioChannelSet;

    EXPECT_TRUE (layoutSupported (*p, Set::stereo(), Set::stereo()));
    EXPECT_TRUE (layoutSupported (*p, Set::mono(), Set::mono()));
    EXPECT_FALSE (layoutSupported (*p, Set::mono(), Set::stereo()));
    EXPECT_FALSE (layoutSupported (*p, Set::stereo(), Set::mono()));
    EXPECT_FALSE (layoutSupported (*p, Set::create5point1(), Set::create5point1()));
}

TEST_F (HostedOrvel, ReportsNoLatencyAndAFixedTail)
{
    auto p = load();
    ASSERT_NE (p, nullptr);
    EXPECT_EQ (p->getLatencySamples(), 0);
    EXPECT_DOUBLE_EQ (p->getTailLengthSeconds(), 1.5);
    EXPECT_FALSE (p->acceptsMidi());
    EXPECT_FALSE (p->producesMidi());
}

TEST_F (HostedOrvel, ProcessesStereoBlocksOfAnySizeWithFiniteOutput)
{
    auto p = load();
    ASSERT_NE (p, nullptr);
    p->setPlayConfigDetails (2, 2, 48000.0, 512);
    p->prepareToPlay (48000.0, 512);

    juce::MidiBuffer midi;
    double phase = 0.0;
    float lastPeak = 0.0f;

    // Variable block sizes, including the 0- and 1-sample blocks hosts send when flushing.
    for (const int n : { 512, 0, 1, 64, 511, 512, 512, 512, 512, 512, 512, 512 })
    {
        juce::AudioBuffer<float> buffer (2, n);

        for (int i = 0; i < n; ++i, phase += 440.0 / 48000.0)
            for (int ch = 0; ch < 2; ++ch)
                buffer.setSample (ch, i, 0.3f * (float) std::sin (juce::MathConstants<double>::twoPi * phase));

        p->processBlock (buffer, midi);
        ASSERT_TRUE (allFinite (buffer)) << "block of " << n;

        if (n > 0)
            lastPeak = buffer.getMagnitude (0, n);
    }

    // The default chain passes a 440 Hz tone at a level near its input.
    EXPECT_GT (lastPeak, 0.1f);
    EXPECT_LT (lastPeak, 0.6f);

    p->releaseResources();
}

TEST_F (HostedOrvel, StateSavedByTheHostRestoresEveryParameterInANewInstance)
{
    auto first = load();
    auto second = load();
    auto fresh = load();
    ASSERT_NE (first, nullptr);
    ASSERT_NE (second, nullptr);
    ASSERT_NE (fresh, nullptr);

    const auto text = [] (juce::AudioPluginInstance& p, int i) { return p.getParameters()[i]->getCurrentValueAsText(); };
    auto& params = first->getParameters();

    // Every bool switched on and every float moved away from its default.
    for (int i = 0; i < 26; ++i)
        params[i]->setValueNotifyingHost (params[i]->getName (100).endsWith ("Bypass") ? 1.0f
                                                                                     : std::fmod (0.137f * (float) (i + 1), 0.9f) + 0.05f);

    juce::MemoryBlock state;
    first->getStateInformation (state);
    ASSERT_GT (state.getSize(), 0u);
    second->setStateInformation (state.getData(), (int) state.getSize());

    // A restored instance saves exactly the bytes it was given.
    juce::MemoryBlock resaved;
    second->getStateInformation (resaved);
    EXPECT_EQ (resaved, state);

    // The host's own normalised copy is unsnapped, so compare what the plug-in reports.
    for (int i = 0; i < 26; ++i)
    {
        EXPECT_NE (text (*first, i), text (*fresh, i)) << params[i]->getName (100);
        EXPECT_EQ (text (*second, i), text (*first, i)) << params[i]->getName (100);
    }
}

TEST_F (HostedOrvel, SurvivesSuspendResumeAndASwitchToMono)
{
    auto p = load (44100.0, 256);
    ASSERT_NE (p, nullptr);
    juce::MidiBuffer midi;

    const auto run = [&] (int channels, int blockSize, double rate)
    {
        p->prepareToPlay (rate, blockSize);

        for (int b = 0; b < 40; ++b)
        {
            juce::AudioBuffer<float> buffer (channels, blockSize);

            for (int ch = 0; ch < channels; ++ch)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (ch, i, 0.25f * (float) std::sin (0.03 * (b * blockSize + i)));

            p->processBlock (buffer, midi);
            ASSERT_TRUE (allFinite (buffer));

            if (b == 39)
                EXPECT_GT (buffer.getMagnitude (0, blockSize), 0.05f) << channels << " channels at " << rate;
        }

        p->releaseResources();
    };

    run (2, 256, 44100.0);

    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (juce::AudioChannelSet::mono());
    mono.outputBuses.add (juce::AudioChannelSet::mono());
    ASSERT_TRUE (p->setBusesLayout (mono));
    run (1, 128, 96000.0);

    juce::AudioProcessor::BusesLayout stereo;
    stereo.inputBuses.add (juce::AudioChannelSet::stereo());
    stereo.outputBuses.add (juce::AudioChannelSet::stereo());
    ASSERT_TRUE (p->setBusesLayout (stereo));
    run (2, 512, 48000.0);
}
