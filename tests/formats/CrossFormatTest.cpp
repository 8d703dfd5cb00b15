// Orvel.lv2 and Orvel.vst3 are the same plug-in: the same audio and parameter values give the
// same output, and a state block saved by either restores in the other. The VST3 runs in the
// bare VST3 host of tests/host/vst3, the LV2 in the lilv host beside this file, both in this
// process, each module with its own copy of JUCE.

#include "Command.h"
#include "FloatWav.h"
#include "JuceBase64.h"
#include "Lv2TestHost.h"
#include "ParameterTable.h"
#include "../host/vst3/MiniHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

using namespace Steinberg;
using orvel::formats::parameterTable;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;
    const std::string pluginUri = "https://corvaneaudio.com/plugins/orvel";
    const std::string stateKey = pluginUri + ":StateString";

    using Values = std::vector<std::pair<std::string, float>>;
    using Bytes = std::vector<unsigned char>;

    int indexOf (const std::string& id)
    {
        for (std::size_t i = 0; i < parameterTable.size(); ++i)
            if (id == parameterTable[i].id)
                return (int) i;

        ADD_FAILURE() << "unknown parameter " << id;
        return 0;
    }

    /** A stereo take: a sung vowel with vibrato and breath, sibilant bursts and a pause, a
        little different on each side. */
    std::vector<std::vector<float>> voice (int numSamples)
    {
        std::vector<std::vector<float>> channels (2, std::vector<float> ((std::size_t) numSamples));
        std::uint32_t noise = 12345;
        double phase = 0.0;

        for (int i = 0; i < numSamples; ++i)
        {
            const double t = i / sampleRate;
            phase += (180.0 + 6.0 * std::sin (2.0 * M_PI * 5.5 * t)) / sampleRate;
            double sung = 0.0;

            for (int h = 1; h <= 12; ++h)
                sung += std::sin (2.0 * M_PI * h * phase) / (h * (1.0 + 0.3 * std::abs (h - 3)));

            noise = noise * 1664525u + 1013904223u;
            const double white = (double) (noise >> 8) / (double) (1u << 24) * 2.0 - 1.0;
            const double envelope = std::fmod (t, 1.2) < 0.9 ? 0.5 + 0.5 * std::sin (2.0 * M_PI * 0.8 * t) : 0.0;
            const double sibilance = std::fmod (t, 0.7) < 0.08 ? 0.3 * white : 0.0;

            channels[0][(std::size_t) i] = (float) (0.35 * envelope * sung + 0.02 * white + sibilance);
            channels[1][(std::size_t) i] = (float) (0.3 * envelope * sung - 0.015 * white + 0.8 * sibilance);
        }

        return channels;
    }

    //==============================================================================
    /** The VST3 with stereo buses, parameters set in their own units through the controller's
        text conversion, as a host's generic editor does. */
    class Vst3Side
    {
    public:
        Vst3Side()
        {
            plugin.start (sampleRate, blockSize);
            ids = plugin.parameterIds();
        }

        void set (const Values& values, bool hostBypass)
        {
            std::vector<std::pair<Vst::ParamID, double>> changes;

            for (const auto& [id, value] : values)
                changes.emplace_back (ids[(std::size_t) indexOf (id)], normalised (id, value));

            changes.emplace_back (ids.back(), hostBypass ? 1.0 : 0.0);
            plugin.setParameters (changes);
        }

        void run (std::vector<std::vector<float>>& io, int start, int numSamples)
        {
            float* in[2] = { io[0].data() + start, io[1].data() + start };
            std::vector<float> out[2] { std::vector<float> ((std::size_t) numSamples), std::vector<float> ((std::size_t) numSamples) };
            float* outPtrs[2] = { out[0].data(), out[1].data() };

            Vst::AudioBusBuffers input {}, output {};
            input.numChannels = output.numChannels = 2;
            input.channelBuffers32 = in;
            output.channelBuffers32 = outPtrs;
            ASSERT_EQ (plugin.process (numSamples, &input, 1, &output, 1), kResultOk);

            for (int ch = 0; ch < 2; ++ch)
                std::copy (out[ch].begin(), out[ch].end(), io[(std::size_t) ch].begin() + start);
        }

        orvel::vst3host::Plugin plugin;
        std::vector<Vst::ParamID> ids;

    private:
        double normalised (const std::string& id, float value)
        {
            if (parameterTable[(std::size_t) indexOf (id)].isBool)
                return value >= 0.5f ? 1.0 : 0.0;

            char text[32];
            std::snprintf (text, sizeof (text), "%.2f", (double) value);
            Vst::String128 text16 {};
            std::copy (text, text + std::char_traits<char>::length (text), text16);
            Vst::ParamValue result = -1.0;
            EXPECT_EQ (plugin.controller().getParamValueByString (ids[(std::size_t) indexOf (id)], text16, result), kResultOk);
            return result;
        }
    };

    /** The LV2 with the same interface. */
    class Lv2Side
    {
    public:
        Lv2Side() : world (ORVEL_LV2_BUNDLE), instance (world, pluginUri, sampleRate, blockSize) {}

        void set (const Values& values, bool hostBypass)
        {
            for (const auto& [id, value] : values)
                instance.setParameter (id, value);

            instance.setEnabled (! hostBypass);
        }

        void run (std::vector<std::vector<float>>& io, int start, int numSamples)
        {
            const float* in[2] = { io[0].data() + start, io[1].data() + start };
            std::vector<float> out[2] { std::vector<float> ((std::size_t) numSamples), std::vector<float> ((std::size_t) numSamples) };
            float* outPtrs[2] = { out[0].data(), out[1].data() };
            instance.run (in, outPtrs, numSamples);

            for (int ch = 0; ch < 2; ++ch)
                std::copy (out[ch].begin(), out[ch].end(), io[(std::size_t) ch].begin() + start);
        }

        orvel::lv2host::World world;
        orvel::lv2host::Instance instance;
    };

    /** Renders the take in blocks of blockSize, the first values before the first block and the
        second set from the block at one second on. */
    template <typename Side>
    std::vector<std::vector<float>> render (Side& side, const std::vector<std::vector<float>>& input,
                                            const Values& first, bool firstBypass, const Values& second, bool secondBypass)
    {
        auto io = input;
        const auto total = (int) io[0].size();
        side.set (first, firstBypass);

        for (int start = 0; start < total; start += blockSize)
        {
            if (start == 94 * blockSize) // 1.003 s
                side.set (second, secondBypass);

            side.run (io, start, std::min (blockSize, total - start));
        }

        return io;
    }

    float largestDifference (const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b)
    {
        float largest = 0.0f;

        for (std::size_t ch = 0; ch < a.size(); ++ch)
            for (std::size_t i = 0; i < a[ch].size(); ++i)
                largest = std::max (largest, std::abs (a[ch][i] - b[ch][i]));

        return largest;
    }

    float peak (const std::vector<std::vector<float>>& a)
    {
        float largest = 0.0f;

        for (const auto& channel : a)
            for (auto s : channel)
                largest = std::max (largest, std::abs (s));

        return largest;
    }

    //==============================================================================
    /** Orvel's own block at the start of a VST3 component state: "VC2!", the XML length L, the
        XML and a zero byte; JUCE's private section follows it. */
    Bytes orvelPart (const Bytes& state)
    {
        if (state.size() < 9 || std::string (state.begin(), state.begin() + 4) != "VC2!")
            return {};

        const auto length = (std::size_t) state[4] | ((std::size_t) state[5] << 8) | ((std::size_t) state[6] << 16)
                          | ((std::size_t) state[7] << 24);
        return length + 9 <= state.size() ? Bytes (state.begin(), state.begin() + (long) (length + 9)) : Bytes {};
    }

    /** An Orvel block with one attribute's text replaced, its length field updated. */
    Bytes withAttribute (const Bytes& block, const std::string& from, const std::string& to)
    {
        std::string xml (block.begin() + 8, block.end() - 1);
        const auto at = xml.find (from);

        if (at == std::string::npos)
            return {};

        xml.replace (at, from.size(), to);
        Bytes result { 'V', 'C', '2', '!' };

        for (int shift = 0; shift < 32; shift += 8)
            result.push_back ((unsigned char) (xml.size() >> shift));

        result.insert (result.end(), xml.begin(), xml.end());
        result.push_back (0);
        return result;
    }

    Bytes lv2Block (orvel::lv2host::Instance& instance)
    {
        const auto saved = instance.saveState();
        EXPECT_EQ (saved.size(), 1u) << "one state property";
        const auto found = saved.find (stateKey);

        if (found == saved.end())
        {
            ADD_FAILURE() << "no " << stateKey << " in the saved state";
            return {};
        }

        const auto bytes = orvel::juceformat::fromBase64 (found->second);
        EXPECT_TRUE (bytes.has_value()) << found->second;
        return bytes.value_or (Bytes {});
    }

    const Values everySection {
        { "inputGain", 6.0f }, { "hpfFreq", 120.0f }, { "lpfFreq", 12000.0f }, { "lowGain", -3.0f },
        { "midGain", 4.0f }, { "highGain", 2.5f }, { "airGain", 3.0f }, { "compThresh", -30.0f },
        { "compRatio", 6.0f }, { "compAttack", 3.0f }, { "compRelease", 120.0f }, { "compMakeup", 6.0f },
        { "deEssFreq", 7000.0f }, { "deEssAmount", 60.0f }, { "satDrive", 12.0f }, { "satMix", 40.0f },
        { "width", 150.0f }, { "reverbSize", 60.0f }, { "reverbDamping", 50.0f }, { "reverbMix", 25.0f },
        { "outputGain", -4.0f }
    };
}

//==============================================================================
struct RenderCase
{
    const char* name;
    Values first;
    bool firstBypass;
    Values second;
    bool secondBypass;
};

void PrintTo (const RenderCase& c, std::ostream* os) { *os << c.name; }

class Lv2AndVst3Render : public ::testing::TestWithParam<RenderCase> {};

TEST_P (Lv2AndVst3Render, GiveTheSameOutput)
{
    const auto& c = GetParam();
    const auto input = voice ((int) (2.5 * sampleRate));

    Vst3Side vst3;
    Lv2Side lv2;
    const auto fromVst3 = render (vst3, input, c.first, c.firstBypass, c.second, c.secondBypass);
    const auto fromLv2 = render (lv2, input, c.first, c.firstBypass, c.second, c.secondBypass);

    // The plug-in must have done something audible, or equality would prove little.
    ASSERT_GT (largestDifference (fromVst3, input), 0.01f) << c.name;
    ASSERT_GT (peak (fromVst3), 0.05f);

    const auto difference = largestDifference (fromVst3, fromLv2);
    std::printf ("[ %s ] largest LV2 - VST3 difference %.3g (output peak %.3f)\n", c.name, (double) difference,
                 (double) peak (fromVst3));
    EXPECT_EQ (difference, 0.0f) << c.name;
}

INSTANTIATE_TEST_SUITE_P (
    Cases, Lv2AndVst3Render,
    ::testing::Values (
        // Defaults, then every section at work, changed in the middle of the take.
        RenderCase { "defaults-then-every-section", {}, false, everySection, false },
        // Every section at work, then Tone and Space switched off and the input raised.
        RenderCase { "sections-switched-off", everySection, false, { { "toneBypass", 1.0f }, { "spaceBypass", 1.0f }, { "inputGain", 12.0f } }, false },
        // Every section, then the main bypass: the fade to the input and the reverb's tail.
        RenderCase { "main-bypass", everySection, false, { { "mainBypass", 1.0f } }, false },
        // Every section, then the host's own bypass (VST3 "Bypass", LV2 lv2:enabled off).
        RenderCase { "host-bypass", everySection, false, {}, true }),
    [] (const auto& instance) { std::string n = instance.param.name; std::replace (n.begin(), n.end(), '-', '_'); return n; });

//==============================================================================
TEST (Lv2apply, RendersAFileAsTheVst3Does)
{
   #if defined(__has_feature)
    #if __has_feature(address_sanitizer)
    // The sanitizer build's plug-in leaves the sanitizer runtime to the program that loads
    // it, which Debian's lv2apply does not carry; Lv2BareHost runs the same paths in-process.
    GTEST_SKIP() << "lv2apply cannot load a plug-in built with the sanitizers";
    #endif
   #endif

    // Debian's lv2apply (lilv-utils) gives the plug-in no features, leaves its atom ports
    // unconnected and sets parameters through their control ports by symbol.
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/orvel-lv2apply-XXXXXX";
    ASSERT_NE (mkdtemp (pattern), nullptr);
    const fs::path folder (pattern);
    fs::create_directory_symlink (ORVEL_LV2_BUNDLE, folder / "Orvel.lv2");

    const auto input = voice ((int) (1.5 * sampleRate));
    ASSERT_TRUE (orvel::formats::writeFloatWav ((folder / "in.wav").string(), input, (int) sampleRate));

    using orvel::formats::quoted;
    std::string command = "LV2_PATH=" + quoted (folder.string()) + " " ORVEL_LV2APPLY
                          " -i " + quoted ((folder / "in.wav").string()) + " -o " + quoted ((folder / "out.wav").string());

    for (const auto& [id, value] : everySection)
        command += " -c " + id + " " + std::to_string (value);

    const auto result = orvel::formats::runCommand (command + " " + pluginUri);
    const auto fromLv2 = orvel::formats::readFloatWav ((folder / "out.wav").string());
    fs::remove_all (folder);
    ASSERT_EQ (result.status, 0) << result.output;
    ASSERT_TRUE (fromLv2.has_value()) << "lv2apply wrote no float WAV";

    // The VST3 with the same values, in blocks of 512.
    Vst3Side vst3;
    const auto fromVst3 = render (vst3, input, everySection, false, {}, false);

    ASSERT_EQ (fromLv2->size(), 2u);
    ASSERT_EQ ((*fromLv2)[0].size(), input[0].size());
    ASSERT_GT (largestDifference (fromVst3, input), 0.01f);

    const auto difference = largestDifference (fromVst3, *fromLv2);
    std::printf ("largest lv2apply - VST3 difference %.3g (output peak %.3f)\n", (double) difference, (double) peak (fromVst3));
    EXPECT_EQ (difference, 0.0f);
}

TEST (Lv2BareHost, RunsWithoutFeaturesAndSplitsLongRuns)
{
    // No URID map, no options, no bounded block length and no atom ports: the plug-in keeps
    // URIDs of its own, prepares for its default length and splits runs longer than that.
    // Its output must equal the fully featured host's, run for run.
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    const int longRun = 10000;
    orvel::lv2host::Instance bare (world, pluginUri, sampleRate, longRun, orvel::lv2host::Instance::Host::bare);
    orvel::lv2host::Instance full (world, pluginUri, sampleRate, longRun);

    for (const auto& [id, value] : everySection)
    {
        bare.setParameter (id, value);
        full.setParameter (id, value);
    }

    const auto input = voice (5 * longRun + 123);
    auto fromBare = input, fromFull = input;

    for (int start = 0; start < (int) input[0].size(); start += longRun)
    {
        const auto n = std::min (longRun, (int) input[0].size() - start);
        const float* in[2] = { input[0].data() + start, input[1].data() + start };
        float* outBare[2] = { fromBare[0].data() + start, fromBare[1].data() + start };
        float* outFull[2] = { fromFull[0].data() + start, fromFull[1].data() + start };
        bare.run (in, outBare, n);
        full.run (in, outFull, n);
    }

    ASSERT_GT (largestDifference (fromFull, input), 0.01f);
    EXPECT_EQ (largestDifference (fromBare, fromFull), 0.0f);

    // Its latency (none) reaches the host without an atom output too.
    EXPECT_EQ (bare.reportedLatency(), 0.0f);
    EXPECT_EQ (full.reportedLatency(), 0.0f);
}

TEST (Lv2ControlPorts, ApplyChangesOnlySoARestoredStateStands)
{
    // A host restores a state and leaves the parameters' ports at their defaults: the state
    // stands. A port the host then moves is applied; a value that is not a number is ignored
    // and one beyond the range is limited to it.
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    orvel::lv2host::Instance source (world, pluginUri, sampleRate, blockSize);
    source.setParameter ("inputGain", -12.0f);
    source.setParameter ("reverbMix", 40.0f);
    const auto input = voice (blockSize);
    auto scratch = input;
    const float* in[2] = { input[0].data(), input[1].data() };
    float* out[2] = { scratch[0].data(), scratch[1].data() };
    source.run (in, out, blockSize);
    const auto state = source.saveState();

    orvel::lv2host::Instance restored (world, pluginUri, sampleRate, blockSize);
    ASSERT_TRUE (restored.restoreState (state));
    restored.run (in, out, blockSize);
    EXPECT_EQ (restored.saveState(), state) << "ports left at their defaults overrode the state";

    const auto valueInState = [&] (const std::string& id)
    {
        const auto xml = orvel::juceformat::fromBase64 (restored.saveState().at (stateKey)).value_or (Bytes {});
        const std::string text (xml.begin(), xml.end());
        const auto at = text.find ("id=\"" + id + "\" value=\"");

        if (at == std::string::npos)
            return std::string ("(missing)");

        const auto start = at + id.size() + 13;
        return text.substr (start, text.find ('"', start) - start);
    };

    ASSERT_EQ (valueInState ("inputGain"), "-12.0");

    restored.setParameter ("inputGain", 3.0f);
    restored.run (in, out, blockSize);
    EXPECT_EQ (valueInState ("inputGain"), "3.0");

    restored.setParameter ("inputGain", std::nanf (""));
    restored.run (in, out, blockSize);
    EXPECT_EQ (valueInState ("inputGain"), "3.0");

    restored.setParameter ("inputGain", 1000.0f);
    restored.run (in, out, blockSize);
    EXPECT_EQ (valueInState ("inputGain"), "48.0");
    EXPECT_EQ (valueInState ("reverbMix"), "40.0");
}

//==============================================================================
TEST (CrossFormatState, AVst3StateRestoresInTheLv2ByteForByte)
{
    // A VST3 instance with changed parameters, a preset name and a saved editor size.
    Vst3Side vst3;
    vst3.set (everySection, false);
    auto block = orvelPart (vst3.plugin.getState());
    ASSERT_FALSE (block.empty());
    block = withAttribute (block, "uiCurrentPresetName=\"Presets\"", "uiCurrentPresetName=\"Podcast\"");
    block = withAttribute (block, "uiSavedWindowWidth=\"1200.0\"", "uiSavedWindowWidth=\"900.0\"");
    block = withAttribute (block, "uiSavedWindowSizeSet=\"0\"", "uiSavedWindowSizeSet=\"1\"");
    ASSERT_FALSE (block.empty());

    auto state = vst3.plugin.getState();
    const auto privateSection = Bytes (state.begin() + (long) orvelPart (state).size(), state.end());
    Bytes withPrivate = block;
    withPrivate.insert (withPrivate.end(), privateSection.begin(), privateSection.end());
    ASSERT_EQ (vst3.plugin.setState (withPrivate), kResultOk);
    const auto saved = orvelPart (vst3.plugin.getState());
    ASSERT_EQ (saved, block) << "the VST3 keeps what it was given";

    // The same bytes into a fresh LV2, as its host would restore them, and out again.
    Lv2Side lv2;
    ASSERT_TRUE (lv2.instance.restoreState ({ { stateKey, orvel::juceformat::toBase64 (saved) } }));
    const auto fromLv2 = lv2Block (lv2.instance);
    EXPECT_EQ (fromLv2, saved);
    EXPECT_NE (std::string (fromLv2.begin(), fromLv2.end()).find ("uiCurrentPresetName=\"Podcast\""), std::string::npos);

    // And both now sound the same.
    const auto input = voice ((int) sampleRate);
    const auto fromVst3 = render (vst3, input, {}, false, {}, false);
    const auto restored = render (lv2, input, {}, false, {}, false);
    EXPECT_GT (largestDifference (fromVst3, input), 0.01f);
    EXPECT_EQ (largestDifference (fromVst3, restored), 0.0f);
}

TEST (CrossFormatState, AnLv2StateRestoresInTheVst3ByteForByte)
{
    Lv2Side lv2;
    lv2.set ({ { "compThresh", -42.5f }, { "reverbMix", 33.0f }, { "characterBypass", 1.0f }, { "hpfFreq", 200.0f } }, false);
    auto silence = std::vector<std::vector<float>> (2, std::vector<float> (blockSize));
    lv2.run (silence, 0, blockSize); // the parameters arrive with a run, as in any LV2 host

    const auto block = lv2Block (lv2.instance);
    ASSERT_FALSE (orvelPart (block).empty());
    ASSERT_EQ (orvelPart (block), block) << "the LV2 stores Orvel's block and nothing else";
    const std::string xml (block.begin(), block.end());
    ASSERT_NE (xml.find ("id=\"compThresh\" value=\"-42.5\""), std::string::npos) << xml;

    // A VST3 project holds the block followed by JUCE's private section.
    Vst3Side vst3;
    const auto fresh = vst3.plugin.getState();
    Bytes project = block;
    project.insert (project.end(), fresh.begin() + (long) orvelPart (fresh).size(), fresh.end());
    ASSERT_EQ (vst3.plugin.setState (project), kResultOk);
    EXPECT_EQ (vst3.plugin.getState(), project);

    // Without a private section too, as a block handed over between formats arrives.
    Vst3Side bare;
    ASSERT_EQ (bare.plugin.setState (block), kResultOk);
    EXPECT_EQ (orvelPart (bare.plugin.getState()), block);
}
