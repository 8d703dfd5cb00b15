#include "dsp/PreciseMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST (PreciseMath, PowStaysWithinItsBoundOfTheExactPowerOverTheCompressorsRange)
{
    // The compressor raises env / threshold (from just below 1 up to 180 dB over the
    // threshold) to 1 / ratio - 1, between -1 and 0. Against the power in double precision:
    std::mt19937 random (17);
    std::uniform_real_distribution<float> octaves (-0.01f, 30.0f), exponents (-1.0f, 0.0f);
    double worst = 0.0;

    for (int i = 0; i < 2000000; ++i)
    {
        const float x = std::exp2 (octaves (random)), y = exponents (random);
        const double exact = std::pow ((double) x, (double) y);
        worst = std::max (worst, std::abs (PreciseMath::pow (x, y) - exact) / exact);
    }

    EXPECT_LT (worst, 1.6e-7);
    EXPECT_EQ (PreciseMath::pow (1.0f, -0.5f), 1.0f);
    EXPECT_EQ (PreciseMath::pow (37.0f, 0.0f), 1.0f);
    RecordProperty ("worstRelativeError", std::to_string (worst));
}
