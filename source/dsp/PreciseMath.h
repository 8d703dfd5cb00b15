#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

/** Double-precision expm1 and tanh made only of arithmetic, comparisons and bit moves,
    so that the compiler can vectorise loops that call them (the C library's functions are
    opaque calls and keep such loops scalar).

    Their relative error is below 1e-13, far below the 6e-8 of a float's last bit, so the
    float tanh is the correctly rounded one. glibc's tanhf is within two units in the last
    place of it. Inputs are the finite values the callers pass; no special cases for
    infinities or NaNs. */
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
