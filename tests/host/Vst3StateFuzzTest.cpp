// Damaged project files: mutated copies of real state blocks go through IComponent::setState of
// the built Orvel.vst3, as a DAW restoring a damaged project would hand them over.

#include "vst3/MiniHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

using orvel::vst3host::Bytes;
using orvel::vst3host::Plugin;
using namespace Steinberg;

namespace
{
    // JUCE's VST3 wrapper appends its own section to the plug-in's state block:
    // [int64 0][private data][int64 size of the private data]["JUCEPrivateData"].
    constexpr std::size_t identifierLength = 15;
    constexpr std::size_t sizeFieldFromEnd = identifierLength + 8;

    std::uint64_t readSizeField (const Bytes& block)
    {
        std::uint64_t size = 0;
        std::memcpy (&size, block.data() + block.size() - sizeFieldFromEnd, sizeof (size));
        return size;
    }

    void writeSizeField (Bytes& block, std::uint64_t size)
    {
        std::memcpy (block.data() + block.size() - sizeFieldFromEnd, &size, sizeof (size));
    }

    constexpr int blockSize = 32;

    /** One block of a sine through the stereo buses; false when any output sample is not finite. */
    bool processedAudioIsFinite (Plugin& plugin)
    {
        float in[2][blockSize], out[2][blockSize];

        for (int i = 0; i < blockSize; ++i)
            in[0][i] = in[1][i] = 0.5f * (float) std::sin (0.3 * i);

        float* inChannels[] = { in[0], in[1] };
        float* outChannels[] = { out[0], out[1] };
        Vst::AudioBusBuffers inBus, outBus;
        inBus.numChannels = outBus.numChannels = 2;
        inBus.channelBuffers32 = inChannels;
        outBus.channelBuffers32 = outChannels;
        plugin.process (blockSize, &inBus, 1, &outBus, 1);

        for (const auto* channel : outChannels)
            for (int i = 0; i < blockSize; ++i)
                if (! std::isfinite (channel[i]))
                    return false;

        return true;
    }

    /** A second real state: every float parameter moved off its default, every switch and the
        host's bypass on, set through the audio processor as host automation would. */
    Bytes movedState (Plugin& plugin)
    {
        std::vector<std::pair<Vst::ParamID, double>> changes;
        auto& controller = plugin.controller();

        for (int32 i = 0; i < controller.getParameterCount(); ++i)
        {
            Vst::ParameterInfo info {};
            controller.getParameterInfo (i, info);
            changes.emplace_back (info.id, info.stepCount == 1 ? 1.0 : std::fmod (0.137 * (i + 1), 0.9) + 0.05);
        }

        plugin.setParameters (changes);
        return plugin.getState();
    }

    /** Names the damaged block being restored, so that a crash of the test process says which. */
    char crashNote[256] = "";

    void reportCrash (int signal)
    {
        const char prefix[] = "\nCrashed while the host restored: ";
        [[maybe_unused]] auto written = write (STDERR_FILENO, prefix, sizeof (prefix) - 1);
        written = write (STDERR_FILENO, crashNote, strnlen (crashNote, sizeof (crashNote)));
        written = write (STDERR_FILENO, "\n", 1);
        std::signal (signal, SIG_DFL);
        std::raise (signal);
    }

    struct CrashReport
    {
        static constexpr int signals[] = { SIGSEGV, SIGBUS, SIGABRT, SIGFPE };
        CrashReport() { for (auto s : signals) std::signal (s, reportCrash); }
        ~CrashReport() { for (auto s : signals) std::signal (s, SIG_DFL); }
    };

    using Random = std::mt19937_64;

    std::size_t pick (Random& random, std::size_t lowest, std::size_t highest)
    {
        return std::uniform_int_distribution<std::size_t> (lowest, highest) (random);
    }

    void flipBits (Bytes& block, Random& random, std::size_t from, int flips)
    {
        for (int i = 0; i < flips; ++i)
            block[pick (random, from, block.size() - 1)] ^= (unsigned char) (1u << pick (random, 0, 7));
    }

    struct Mutation
    {
        const char* name;
        void (*apply) (Bytes&, Random&);
    };

    // Kinds of damage a project file suffers. The private section is small, so it gets its own
    // kinds: otherwise almost every mutation would land in the XML before it.
    const Mutation mutations[] = {
        { "bit flips anywhere", [] (Bytes& b, Random& r) { flipBits (b, r, 0, (int) pick (r, 1, 8)); } },
        { "bit flips in the private section",
          [] (Bytes& b, Random& r) { flipBits (b, r, b.size() - std::min<std::size_t> (b.size(), 64), (int) pick (r, 1, 2)); } },
        { "truncation", [] (Bytes& b, Random& r) { b.resize (pick (r, 0, b.size() - 1)); } },
        { "inserted bytes",
          [] (Bytes& b, Random& r)
          {
              Bytes extra (pick (r, 1, 16));

              for (auto& byte : extra)
                  byte = (unsigned char) pick (r, 0, 255);

              b.insert (b.begin() + (std::ptrdiff_t) pick (r, 0, b.size()), extra.begin(), extra.end());
          } },
        { "removed bytes",
          [] (Bytes& b, Random& r)
          {
              const auto at = pick (r, 0, b.size() - 1);
              b.erase (b.begin() + (std::ptrdiff_t) at, b.begin() + (std::ptrdiff_t) std::min (b.size(), at + pick (r, 1, 16)));
          } },
        { "private-data size",
          [] (Bytes& b, Random& r)
          {
              if (b.size() < sizeFieldFromEnd)
                  return;

              const auto original = readSizeField (b);

              switch (pick (r, 0, 3))
              {
                  case 0:  writeSizeField (b, r()); break;
                  case 1:  writeSizeField (b, original + pick (r, 1, 64) * (pick (r, 0, 1) ? 1 : (std::uint64_t) -1)); break;
                  case 2:  writeSizeField (b, b.size() - 48 + pick (r, 0, 96)); break;
                  default: writeSizeField (b, std::uint64_t { 1 } << pick (r, 0, 63)); break;
              }
          } },
    };

    constexpr int iterations = 100000;
}

TEST (Vst3StateFuzz, DamagedStateBlocksNeverCrashOrLeaveAParameterOrSampleOutOfRange)
{
    Plugin plugin;
    plugin.start (48000.0, blockSize);

    const auto defaults = plugin.getState();
    const auto moved = movedState (plugin);
    ASSERT_TRUE (moved != defaults);
    const Bytes* const originals[] = { &defaults, &moved };

    const CrashReport crashReport;
    Random random (20240611);
    const auto started = std::chrono::steady_clock::now();

    for (int i = 0; i < iterations; ++i)
    {
        const auto& mutation = mutations[pick (random, 0, std::size (mutations) - 1)];
        const auto source = pick (random, 0, 1);
        auto block = *originals[source];
        mutation.apply (block, random);

        // A few blocks take two kinds of damage at once.
        if (pick (random, 0, 9) == 0 && ! block.empty())
            mutations[pick (random, 0, std::size (mutations) - 1)].apply (block, random);

        std::snprintf (crashNote, sizeof (crashNote), "block %d (%s of the %s state, seed 20240611)", i, mutation.name,
                       source == 0 ? "default" : "moved");

        plugin.setState (block);

        for (const auto value : plugin.parameterValues())
            ASSERT_TRUE (std::isfinite (value) && value >= 0.0 && value <= 1.0) << value << " after " << crashNote;

        ASSERT_TRUE (processedAudioIsFinite (plugin)) << "after " << crashNote;
    }

    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf ("%d damaged state blocks restored in %.1f s\n", iterations, took.count());

    // The instance still works afterwards: a real block restores and saves back exactly.
    plugin.setState (moved);
    EXPECT_TRUE (plugin.getState() == moved);
}

TEST (Vst3StateFuzz, ADamagedPrivateSectionRefusesTheWholeBlock)
{
    Plugin plugin;
    plugin.start (48000.0, blockSize);

    const auto defaults = plugin.getState();
    const auto defaultValues = plugin.parameterValues();
    const auto moved = movedState (plugin);
    ASSERT_NE (plugin.parameterValues(), defaultValues);

    // The section as JUCE 7 writes it: a binary ValueTree "JUCEPrivateData" holding one bool
    // property "Bypass" (type and name each end in a zero byte, counts are JUCE's compressed
    // ints, true is marker 2) and no children, framed by a zero and its size.
    const std::string tree = std::string ("JUCEPrivateData") + '\0' + "\x01\x01" + "Bypass" + '\0' + "\x01\x01\x02" + '\0';
    Bytes section (8, 0);
    section.insert (section.end(), tree.begin(), tree.end());
    const std::uint64_t treeSize = tree.size();
    section.insert (section.end(), (const unsigned char*) &treeSize, (const unsigned char*) &treeSize + 8);
    section.insert (section.end(), { 'J', 'U', 'C', 'E', 'P', 'r', 'i', 'v', 'a', 't', 'e', 'D', 'a', 't', 'a' });
    ASSERT_GT (moved.size(), section.size());
    ASSERT_TRUE (std::equal (section.begin(), section.end(), moved.end() - (std::ptrdiff_t) section.size()));

    const auto treeStart = moved.size() - sizeFieldFromEnd - tree.size();
    const auto at = [&] (const char* text) { return treeStart + tree.find (text); };

    struct Damage
    {
        const char* what;
        std::size_t offset;          // byte to flip, or
        std::uint64_t sizeField = 0; // the size to write when offset is npos
    };

    constexpr auto none = std::string::npos;
    const Damage cases[] = {
        { "size 0", none, 0 },
        { "size one short", none, treeSize - 1 },
        { "size one over", none, treeSize + 1 },
        { "size of the whole block", none, moved.size() },
        { "size just past the block", none, moved.size() - 30 },
        { "size 2^31", none, std::uint64_t { 1 } << 31 },
        { "size 2^63", none, std::uint64_t { 1 } << 63 },
        { "size all ones", none, ~std::uint64_t { 0 } },
        { "leading zero damaged", treeStart - 3 },
        { "tree type damaged", at ("Private") },
        { "property name damaged", at ("Bypass") },
        { "bypass value damaged", treeStart + tree.size() - 2 },
    };

    for (const auto& damage : cases)
    {
        ASSERT_EQ (plugin.setState (defaults), kResultOk);
        ASSERT_EQ (plugin.parameterValues(), defaultValues);

        auto block = moved;

        if (damage.offset == none)
            writeSizeField (block, damage.sizeField);
        else
            block[damage.offset] ^= 0x04;

        std::snprintf (crashNote, sizeof (crashNote), "%s", damage.what);
        const CrashReport crashReport;
        plugin.setState (block);

        EXPECT_EQ (plugin.parameterValues(), defaultValues) << damage.what;
        EXPECT_TRUE (plugin.getState() == defaults) << damage.what;
    }

    // The undamaged block is taken, so the refusals above come from the damage alone.
    plugin.setState (moved);
    EXPECT_TRUE (plugin.getState() == moved);
}
