#include "dsp/FilterPair.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// The inlined biquads must give exactly the samples of JUCE's own IIR filter, whichever way
// they are driven: per sample, per block, or both channels side by side.

TEST (FilterPair, SamplesAreBitIdenticalToJuceIirFilter)
{
    using Maker = juce::dsp::IIR::ArrayCoefficients<float>;
    const double fs = 48000.0;
    const FilterPair::Array designs[] {
        Maker::makeHighPass (fs, 80.0f), Maker::makeLowPass (fs, 16500.0f),
        Maker::makeLowShelf (fs, 120.0f, 0.707f, 1.9f), Maker::makePeakFilter (fs, 2500.0f, 0.9f, 0.4f),
        Maker::makeHighShelf (fs, 12000.0f, 0.707f, 7.9f),
    };

    for (const auto& design : designs)
    {
        juce::dsp::IIR::Filter<float> reference[2];
        for (auto& r : reference)
        {
            r.coefficients = new juce::dsp::IIR::Coefficients<float> (design);
            r.reset();
        }

        FilterPair perSample, perBlock, stereo;
        for (auto* f : { &perSample, &perBlock, &stereo })
        {
            f->prepare();
            f->setCoefficients (design);
        }

        for (int block = 0; block < 8; ++block)
        {
            const auto input = TestSupport::makeNoise (2, 333, 100u + (unsigned) block);
            auto blockwise = input, sideBySide = input;

            for (int ch = 0; ch < 2; ++ch)
                perBlock.process (ch, blockwise.getWritePointer (ch), input.getNumSamples());

            stereo.processStereo (sideBySide.getWritePointer (0), sideBySide.getWritePointer (1), input.getNumSamples());

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < input.getNumSamples(); ++i)
                {
                    const float expected = reference[ch].processSample (input.getSample (ch, i));
                    ASSERT_EQ (perSample.processSample (ch, input.getSample (ch, i)), expected);
                    ASSERT_EQ (blockwise.getSample (ch, i), expected);
                    ASSERT_EQ (sideBySide.getSample (ch, i), expected);
                }
        }
    }
}
