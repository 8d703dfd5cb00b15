#include "HostLoad.h"

#include <gtest/gtest.h>
#include <cstring>

// The DAW's own bypass button reaches the plug-in through the bypass parameter that JUCE's
// wrapper adds. It must fade like "mainBypass": no click on the way in or out, and the dry
// input bit for bit once settled.

namespace
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 512;
    constexpr double toneHz = 997.0;
    constexpr float amplitude = 0.5f;

    struct Run
    {
        float largestJump = 0.0f; // largest sample-to-sample step of the output, channel 0
        bool settledIsDry = false;
    };

    /** Plays a sine through a fresh instance whose output gain is -24 dB (so that processed
        and dry differ by far more than one sample's step of the sine), toggling the given
        bypass parameter after runs of blocks, fast and slow, then leaves it on and checks the
        settled output against the input. */
    Run toggleOnASine (bool useHostBypass)
    {
        Run run;
        auto p = HostLoad::load (rate, blockSize);

        if (p == nullptr)
            return run;

        p->setPlayConfigDetails (2, 2, rate, blockSize);
        p->prepareToPlay (rate, blockSize);
        p->getParameters()[2]->setValueNotifyingHost (0.25f); // Output Gain: -24 dB of -48..48

        auto* bypass = useHostBypass ? p->getBypassParameter() : p->getParameters()[0];
        EXPECT_NE (bypass, nullptr);

        if (bypass == nullptr)
            return run;

        juce::AudioBuffer<float> buffer (2, blockSize), input (2, blockSize);
        juce::MidiBuffer midi;
        double phase = 0.0;
        float previous = 0.0f;
        bool on = false;

        const auto block = [&] (bool measure)
        {
            HostLoad::fillSine (buffer, phase, toneHz, rate, amplitude);
            input.makeCopyOf (buffer);
            p->processBlock (buffer, midi);

            for (int i = 0; i < blockSize; ++i)
            {
                const float y = buffer.getSample (0, i);

                if (measure)
                    run.largestJump = juce::jmax (run.largestJump, std::abs (y - previous));

                previous = y;
            }
        };

        for (int b = 0; b < 40; ++b) // gain ramps settle
            block (false);

        // Runs of 1, 2, 3 and 5 blocks reverse the fade before it ends; 40 blocks let it settle.
        for (const int runLength : { 40, 1, 1, 2, 3, 5, 1, 40, 3, 1, 2, 40, 5, 40 })
        {
            on = ! on;
            bypass->setValueNotifyingHost (on ? 1.0f : 0.0f);

            for (int b = 0; b < runLength; ++b)
                block (true);
        }

        if (! on)
        {
            bypass->setValueNotifyingHost (1.0f);

            for (int b = 0; b < 40; ++b)
                block (true);
        }

        block (true);
        run.settledIsDry = true;

        for (int ch = 0; ch < 2; ++ch)
            run.settledIsDry = run.settledIsDry
                            && std::memcmp (buffer.getReadPointer (ch), input.getReadPointer (ch), sizeof (float) * blockSize) == 0;

        p->releaseResources();
        return run;
    }
}

TEST (HostBypass, FadesLikeTheMainBypassAndSettlesOnTheExactInput)
{
    const auto main = toggleOnASine (false);
    const auto host = toggleOnASine (true);

    // The fade itself: one sample's step of the sine plus 15 ms of the processed-to-dry
    // difference spread over 720 samples.
    const float sineStep = amplitude * (float) (juce::MathConstants<double>::twoPi * toneHz / rate);
    EXPECT_LT (main.largestJump, sineStep * 1.1f);

    EXPECT_LE (host.largestJump, main.largestJump * 1.02f)
        << "host bypass steps by " << host.largestJump << ", main bypass by " << main.largestJump;
    EXPECT_TRUE (main.settledIsDry);
    EXPECT_TRUE (host.settledIsDry);
}
