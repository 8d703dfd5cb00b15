#include "dsp/BlockReverb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

// The block reverb must give juce::Reverb's samples exactly: stereo and mono, at several rates,
// with parameters moving (ramps) and frozen, in ragged blocks.
TEST (BlockReverb, GivesJuceReverbsSamplesBitForBit)
{
    std::mt19937 random (11);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    const int blockSizes[] = { 1, 3, 64, 255, 256, 257, 1000, 4096 };

    juce::Reverb::Parameters settings[4];
    settings[0].roomSize = 0.3f;  settings[0].damping = 0.7f; settings[0].wetLevel = 0.4f; settings[0].dryLevel = 0.6f; settings[0].width = 1.0f;
    settings[1].roomSize = 0.95f; settings[1].damping = 0.1f; settings[1].wetLevel = 0.9f; settings[1].dryLevel = 0.2f; settings[1].width = 0.4f;
    settings[2] = settings[1];    settings[2].freezeMode = 1.0f;
    settings[3].roomSize = 0.0f;  settings[3].damping = 1.0f; settings[3].wetLevel = 0.1f; settings[3].dryLevel = 1.0f; settings[3].width = 0.0f;

    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        for (bool stereo : { true, false })
        {
            juce::Reverb theirs;
            BlockReverb ours;
            theirs.setSampleRate (rate);
            ours.setSampleRate (rate);
            theirs.setParameters (settings[0]);
            ours.setParameters (settings[0]);

            const int total = (int) rate; // one second
            std::vector<float> l1 ((size_t) total), r1 ((size_t) total);

            for (int i = 0; i < total; ++i)
            {
                const float burst = (i % 9000) < 2000 ? 0.5f * std::sin (0.05f * (float) i) : 0.0f;
                l1[(size_t) i] = burst + 0.05f * noise (random);
                r1[(size_t) i] = 0.8f * burst + 0.05f * noise (random);
            }

            auto l2 = l1, r2 = r1;

            for (int start = 0, block = 0; start < total; ++block)
            {
                const int n = std::min (blockSizes[(size_t) block % std::size (blockSizes)], total - start);
                const auto& s = settings[(size_t) ((start * 4) / total)];
                theirs.setParameters (s);
                ours.setParameters (s);

                if (stereo)
                {
                    theirs.processStereo (l1.data() + start, r1.data() + start, n);
                    ours.processStereo (l2.data() + start, r2.data() + start, n);
                }
                else
                {
                    theirs.processMono (l1.data() + start, n);
                    ours.processMono (l2.data() + start, n);
                }

                start += n;
            }

            for (int i = 0; i < total; ++i)
            {
                ASSERT_EQ (l2[(size_t) i], l1[(size_t) i]) << rate << " Hz, " << (stereo ? "stereo" : "mono") << ", sample " << i;
                ASSERT_EQ (r2[(size_t) i], r1[(size_t) i]) << rate << " Hz, " << (stereo ? "stereo" : "mono") << ", sample " << i;
            }
        }
    }
}
