// No allocation inside Orvel.lv2's run(), JUCE's LV2 wrapper included: parameter ports
// moving, the host's bypass port toggling, block lengths changing. The support counter
// replaces this test binary's allocation functions (exported, so that the loaded plug-in binds
// to them) and counts, while a block runs, the calls whose stack passes through the plug-in's
// code. A sanitizer brings its own allocator, so the binary is not built there.

#include "Lv2TestHost.h"
#include "ParameterTable.h"
#include "support/PluginAllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace alloccount = orvel::alloccount;

TEST (Lv2Allocation, RunNeverAllocatesInsideThePlugin)
{
    constexpr int blockSize = 512;
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    orvel::lv2host::Instance instance (world, "https://corvaneaudio.com/plugins/orvel", 48000.0, blockSize);
    ASSERT_TRUE (alloccount::watchModule ("Orvel.lv2/libOrvel.so")) << "the plug-in's code was not found";

    std::vector<float> in[2], out[2];

    for (int ch = 0; ch < 2; ++ch)
    {
        in[ch].assign (blockSize, 0.0f);
        out[ch].assign (blockSize, 0.0f);
    }

    const float* inPtrs[2] = { in[0].data(), in[1].data() };
    float* outPtrs[2] = { out[0].data(), out[1].data() };
    std::uint32_t noise = 1;
    double phase = 0.0;

    const auto run = [&] (int n, bool measure)
    {
        for (int i = 0; i < n; ++i, phase += 220.0 / 48000.0)
            in[0][(std::size_t) i] = in[1][(std::size_t) i] = 0.4f * (float) std::sin (6.283185307179586 * phase);

        if (measure)
        {
            const alloccount::CountingScope scope;
            instance.run (inPtrs, outPtrs, n);
        }
        else
        {
            instance.run (inPtrs, outPtrs, n);
        }
    };

    for (int b = 0; b < 20; ++b)
        run (blockSize, false);

    // A parameter (its full range) on every block, the host's bypass every seventh block.
    for (int b = 0; b < 400; ++b)
    {
        noise = noise * 1664525u + 1013904223u;
        const auto& row = orvel::formats::parameterTable[(noise >> 8) % orvel::formats::parameterTable.size()];
        const auto position = (float) ((noise >> 4) & 0xffff) / 65535.0f;
        instance.setParameter (row.id, row.minimum + position * (row.maximum - row.minimum));

        if (b % 7 == 0)
            instance.setEnabled (b % 14 != 0);

        run (1 + (int) ((noise >> 12) % blockSize), true);
    }

    EXPECT_EQ (alloccount::fromModule(), 0) << "of " << alloccount::all() << " allocations during run()";
}
