// Bus channel counts a host may hand the built Orvel.vst3 in process(), against the layout it
// negotiated with setBusArrangements.

#include "vst3/MiniHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using orvel::vst3host::Plugin;
using namespace Steinberg;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    /** A -18 dBFS 1 kHz sine, the test signal of Ardour's own check, block by block. */
    std::vector<float> sineBlock (int index)
    {
        std::vector<float> block (blockSize);
        const auto amplitude = std::pow (10.0, -18.0 / 20.0);

        for (int i = 0; i < blockSize; ++i)
            block[(size_t) i] = (float) (amplitude * std::sin (2.0 * M_PI * 1000.0 * (index * blockSize + i) / sampleRate));

        return block;
    }

    /** A new instance that accepted a mono layout on both sides, ready to process. */
    struct MonoInstance
    {
        explicit MonoInstance (int* channelsBefore = nullptr)
        {
            if (channelsBefore != nullptr)
                *channelsBefore = plugin.busChannelCount (Vst::kInput);

            accepted = plugin.setLayout (Vst::SpeakerArr::kMono, Vst::SpeakerArr::kMono) == kResultTrue
                    && plugin.getLayout (Vst::kInput) == Vst::SpeakerArr::kMono
                    && plugin.getLayout (Vst::kOutput) == Vst::SpeakerArr::kMono;
            plugin.start (sampleRate, blockSize);
        }

        Plugin plugin;
        bool accepted = false;
    };

    Vst::AudioBusBuffers bus (int numChannels, float** channels)
    {
        Vst::AudioBusBuffers b;
        b.numChannels = numChannels;
        b.channelBuffers32 = channels;
        return b;
    }
}

// Ardour 7.0 to 7.3 on a strict-I/O mono track: read the bus info (stereo, Orvel's default), ask
// for mono, then pass buses with the channel count read first in every process call.
TEST (HostBuses, AMonoLayoutHandedTwoChannelBusesSoundsAsWithOneChannel)
{
    int channelsBefore = 0;
    MonoInstance ardour (&channelsBefore);
    MonoInstance reference;
    ASSERT_TRUE (ardour.accepted);
    ASSERT_TRUE (reference.accepted);
    ASSERT_EQ (channelsBefore, 2);

    constexpr float untouched = 0.25f;
    double referenceEnergy = 0.0;

    for (int b = 0; b < 40; ++b)
    {
        auto in = sineBlock (b);
        std::vector<float> secondIn (blockSize, -0.5f), out (blockSize), secondOut (blockSize, untouched);
        float* inChannels[] = { in.data(), secondIn.data() };
        float* outChannels[] = { out.data(), secondOut.data() };
        auto inBus = bus (channelsBefore, inChannels);
        auto outBus = bus (channelsBefore, outChannels);
        ASSERT_EQ (ardour.plugin.process (blockSize, &inBus, 1, &outBus, 1), kResultTrue);

        auto refIn = sineBlock (b);
        std::vector<float> refOut (blockSize);
        float* refInChannels[] = { refIn.data() };
        float* refOutChannels[] = { refOut.data() };
        auto refInBus = bus (1, refInChannels);
        auto refOutBus = bus (1, refOutChannels);
        ASSERT_EQ (reference.plugin.process (blockSize, &refInBus, 1, &refOutBus, 1), kResultTrue);

        // The first channel carries exactly what a one-channel bus gets; the extra channels
        // are neither read nor written.
        ASSERT_TRUE (out == refOut) << "block " << b;
        ASSERT_TRUE (secondOut == std::vector<float> (blockSize, untouched)) << "block " << b;

        for (const auto s : refOut)
            referenceEnergy += (double) s * s;
    }

    // Not two silences compared: the processed sine is there (rms well above -60 dBFS).
    EXPECT_GT (std::sqrt (referenceEnergy / (40.0 * blockSize)), 0.001);
}

// Buses that cannot carry the negotiated layout are still refused: the host gets silence.
TEST (HostBuses, TooFewOrNullChannelsAreStillAnsweredWithSilence)
{
    struct Case
    {
        const char* what;
        int inChannels;
        bool nullFirstChannel, nullSecondChannel, nullChannelArray;
    };

    const Case cases[] = {
        { "no input channel", 0, false, false, false },
        { "a null channel pointer", 1, true, false, false },
        { "a null extra channel pointer", 2, false, true, false },
        { "no channel array", 1, false, false, true },
    };

    for (const auto& c : cases)
    {
        MonoInstance mono;
        ASSERT_TRUE (mono.accepted);

        for (int b = 0; b < 4; ++b)
        {
            auto in = sineBlock (b);
            std::vector<float> secondIn (in), out (blockSize, 0.25f);
            float* inChannels[] = { c.nullFirstChannel ? nullptr : in.data(), c.nullSecondChannel ? nullptr : secondIn.data() };
            float* outChannels[] = { out.data() };
            auto inBus = bus (c.inChannels, c.nullChannelArray ? nullptr : inChannels);
            auto outBus = bus (1, outChannels);
            mono.plugin.process (blockSize, &inBus, 1, &outBus, 1);

            ASSERT_TRUE (out == std::vector<float> (blockSize, 0.0f)) << c.what << ", block " << b;
        }
    }
}
