// Process calls as VST3 hosts make them that JUCE's hosting cannot: parameter flushes (a
// process call with changes and no audio) and inputs flagged silent.

#include "vst3/MiniHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using orvel::vst3host::Plugin;
using namespace Steinberg;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    std::string stateText (Plugin& plugin)
    {
        const auto block = plugin.getState();
        return std::string (block.begin(), block.end());
    }

    /** Stereo input and output of one block, the outputs filled with NaN before every call so
        that any sample the plug-in leaves unwritten shows. */
    struct StereoBuffers
    {
        std::vector<float> in[2], out[2];
        float* inPtrs[2];
        float* outPtrs[2];
        Vst::AudioBusBuffers input, output;

        StereoBuffers()
        {
            for (int ch = 0; ch < 2; ++ch)
            {
                in[ch].assign (blockSize, 0.0f);
                out[ch].assign (blockSize, 0.0f);
                inPtrs[ch] = in[ch].data();
                outPtrs[ch] = out[ch].data();
            }

            input.numChannels = output.numChannels = 2;
            input.channelBuffers32 = inPtrs;
            output.channelBuffers32 = outPtrs;
        }

        tresult process (Plugin& plugin, Vst::IParameterChanges* changes = nullptr)
        {
            for (auto& o : out)
                std::fill (o.begin(), o.end(), std::numeric_limits<float>::quiet_NaN());

            output.silenceFlags = 0;
            return plugin.process (blockSize, &input, 1, &output, 1, changes);
        }
    };
}

TEST (Vst3Process, AParameterFlushWithoutAudioReachesTheProcessor)
{
    Plugin plugin;
    plugin.start (sampleRate, blockSize);
    const auto ids = plugin.parameterIds();
    ASSERT_GE (ids.size(), 26u);

    // Comp Threshold (the twelfth parameter) to 0.25 of -60..0 dB, in a call with no audio and
    // without telling the controller: only the processor can have applied it.
    ASSERT_EQ (stateText (plugin).find ("id=\"compThresh\" value=\"-45.0\""), std::string::npos);
    orvel::vst3host::ParameterChanges changes ({ { ids[11], 0.25 } });
    ASSERT_EQ (plugin.process (0, nullptr, 0, nullptr, 0, &changes), kResultOk);
    EXPECT_NE (stateText (plugin).find ("id=\"compThresh\" value=\"-45.0\""), std::string::npos);

    // Once more with empty buses rather than none, as some hosts send them.
    StereoBuffers b;
    b.input.numChannels = b.output.numChannels = 0;
    orvel::vst3host::ParameterChanges more ({ { ids[11], 0.5 } });
    ASSERT_EQ (plugin.process (0, &b.input, 1, &b.output, 1, &more), kResultOk);
    EXPECT_NE (stateText (plugin).find ("id=\"compThresh\" value=\"-30.0\""), std::string::npos);
    plugin.stop();
}

TEST (Vst3Process, InputsFlaggedSilentKeepTheTailAndOutputFlagsTellTheTruth)
{
    Plugin plugin;
    plugin.start (sampleRate, blockSize);
    const auto ids = plugin.parameterIds();
    ASSERT_GE (ids.size(), 26u);
    plugin.setParameters ({ { ids[25], 0.6 } }); // Reverb Mix 60 %: a tail that outlasts the input

    StereoBuffers b;

    for (int block = 0; block < 40; ++block)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < blockSize; ++i)
                b.in[ch][(size_t) i] = 0.4f * (float) std::sin (0.07 * (block * blockSize + i) + ch);

        b.input.silenceFlags = 0;
        ASSERT_EQ (b.process (plugin), kResultOk);
    }

    for (int block = 0; block < 400; ++block)
    {
        for (auto& in : b.in)
            std::fill (in.begin(), in.end(), 0.0f);

        b.input.silenceFlags = 0b11;
        ASSERT_EQ (b.process (plugin), kResultOk) << "silent block " << block;
        float peak = 0.0f;

        for (int ch = 0; ch < 2; ++ch)
        {
            for (const float v : b.out[ch])
            {
                ASSERT_TRUE (std::isfinite (v)) << "silent block " << block << " channel " << ch;
                peak = std::max (peak, std::abs (v));
            }

            if ((b.output.silenceFlags & (1ull << ch)) != 0)
                for (const float v : b.out[ch])
                    ASSERT_EQ (v, 0.0f) << "channel " << ch << " is flagged silent but is not, block " << block;
        }

        if (block == 0)
            EXPECT_GT (peak, 1.0e-3f) << "the reverb tail was cut when the input fell silent";
    }

    plugin.stop();
}
