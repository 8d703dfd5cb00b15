#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

/** expm1, tanh and pow made only of arithmetic, comparisons and bit moves, so that the
    compiler can vectorise loops that call them (the C library's functions are opaque
    calls and keep such loops scalar).

    expm1 and tanh work in double precision: their relative error is below 1e-13, far
    below the 6e-8 of a float's last bit, so the float tanh is the correctly rounded one
    (glibc's tanhf is within two units in the last place of it). pow works in float with a
    relative error below 1.6e-7 (about two units in the last place). Inputs are the finite
    values the callers pass; no special cases for infinities or NaNs. */
namespace PreciseMath
{
    /** Reinterprets the bits of a value as another type of the same size. */
    template <typename To, typename From>
    inline To bitCast (From from) noexcept
    {
        static_assert (sizeof (To) == sizeof (From));
        To to;
        std::memcpy (&to, &from, sizeof (To));
        return to;
    }

    /** c ? a : b as a bit mask, without a branch. A plain conditional lets the compiler move
        the work of one side into a branch, and the loop around it is then not vectorised. */
    inline double choose (bool c, double a, double b) noexcept
    {
        const auto mask = (std::uint64_t) -(std::int64_t) c;
        return bitCast<double> ((bitCast<std::uint64_t> (a) & mask) | (bitCast<std::uint64_t> (b) & ~mask));
    }

    /** c ? a : b as a bit mask, for floats. */
    inline float choose (bool c, float a, float b) noexcept
    {
        const auto mask = (std::uint32_t) -(std::int32_t) c;
        return bitCast<float> ((bitCast<std::uint32_t> (a) & mask) | (bitCast<std::uint32_t> (b) & ~mask));
    }

    /** x to the power y for a normal x between 2^-20 and 2^40 and y between -1 and 0, in
        float, within a relative 1.6e-7 of the exact value (powf: 6e-8). */
    inline float pow (float x, float y) noexcept
    {
        // log2 x = k + log2 m with m in [sqrt(1/2), sqrt(2)): subtracting the bits of sqrt(1/2)
        // moves the exponent boundary there, in integer arithmetic.
        constexpr std::int32_t sqrtHalfBits = 0x3f3504f3;
        const std::int32_t ix = bitCast<std::int32_t> (x) - sqrtHalfBits;
        const float k = (float) (ix >> 23);
        const float m = bitCast<float> ((ix & 0x007fffff) + sqrtHalfBits);

        // log2 m = 2 atanh (s) / ln 2 with s = (m - 1) / (m + 1), |s| <= 0.1716: odd series
        // to the 9th power, truncation below 1e-9.
        const float s = (m - 1.0f) / (m + 1.0f);
        const float s2 = s * s;
        const float log2m = s * (2.8853900817779268f + s2 * (0.9617966939259756f + s2 * (0.5770780163555854f
                                 + s2 * (0.41219858311113244f + s2 * 0.3205988979753252f))));

        // y log2 x = n + r with n an integer and |r| <= 0.5. y * k is not exact in float, and
        // its rounding would cost up to a relative 7e-7 for large x, so y is split into a
        // 12-bit head (whose product with k is exact) and the rest.
        constexpr float shifter = 12582912.0f;   // 1.5 * 2^23: adding it rounds to an integer
        const float yHead = bitCast<float> (bitCast<std::int32_t> (y) & (std::int32_t) 0xfffff000);
        const float headK = yHead * k;
        const float nHead = (headK + shifter) - shifter;
        const float t = ((headK - nHead) + (y - yHead) * k) + y * log2m;
        const float shifted = t + shifter;
        const float nTail = shifted - shifter;

        // 2^r: Taylor series of e^(r ln 2) to the 7th power, truncation below 6e-9.
        const float f = (t - nTail) * 0.6931471805599453f;
        const float p = 1.0f + f * (1.0f + f * (0.5f + f * (1.0f / 6.0f + f * (1.0f / 24.0f + f * (1.0f / 120.0f
                                  + f * (1.0f / 720.0f + f * (1.0f / 5040.0f)))))));

        const auto n = (std::int32_t) nHead + (bitCast<std::int32_t> (shifted) - bitCast<std::int32_t> (shifter));
        return p * bitCast<float> ((n + 127) << 23);
    }

    /** e^u - 1 for |u| below 700, accurate also near 0 where e^u - 1 cancels. */
    inline double expm1 (double u) noexcept
    {
        // u = k ln 2 + r with |r| <= 0.347; e^u - 1 = 2^k (e^r - 1) + (2^k - 1), where
        // e^r - 1 comes from its series without the leading 1, so nothing cancels.
        constexpr double shifter = 6755399441055744.0;
        const double shifted = u * 1.4426950408889634 + shifter;
        const double k = shifted - shifter;
        const double r = u - k * 0.6931471805599453;   // ln 2 rounded: r is off by at most |k| * 2e-17

        // The series to the 10th power: the next term is below 3e-13 of the sum.
        double q = 1.0 / 3628800.0;
        q = q * r + 1.0 / 362880.0;
        q = q * r + 1.0 / 40320.0;
        q = q * r + 1.0 / 5040.0;
        q = q * r + 1.0 / 720.0;
        q = q * r + 1.0 / 120.0;
        q = q * r + 1.0 / 24.0;
        q = q * r + 1.0 / 6.0;
        q = q * r + 0.5;
        q = q * r + 1.0;
        q = q * r;

        const auto kBits = bitCast<std::int64_t> (shifted) - bitCast<std::int64_t> (shifter);
        const auto scale = bitCast<double> ((kBits + 1023) << 52);
        return scale * q + (scale - 1.0);
    }

    /** tanh of a float, rounded to float. */
    inline float tanh (float x) noexcept
    {
        // tanh a = E / (E + 2) with E = e^(2a) - 1; from a = 20 on, tanh is 1 in double.
        const double a = std::fabs ((double) x);
        const double limited = choose (a < 20.0, a, 20.0);
        const double bigE = expm1 (2.0 * limited);
        return (float) std::copysign (bigE / (bigE + 2.0), (double) x);
    }
}
