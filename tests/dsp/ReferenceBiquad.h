#pragma once

#include <array>
#include <cmath>
#include <complex>

/** Textbook second-order sections (R. Bristow-Johnson's audio EQ cookbook), designed and run
    in double precision. The DSP tests compare Orvel's single-precision filters against these. */
namespace ReferenceBiquad
{
    /** b0, b1, b2, a0, a1, a2, not normalised. */
    using Coeffs = std::array<double, 6>;

    constexpr double pi = 3.14159265358979323846;
    constexpr double butterworthQ = 0.70710678118654752440;

    enum class Kind { lowPass, highPass, lowShelf, highShelf, peak };

    inline Coeffs design (Kind kind, double sampleRate, double f0, double q, double gainDb = 0.0)
    {
        const double A = std::pow (10.0, gainDb / 40.0);
        const double w0 = 2.0 * pi * f0 / sampleRate;
        const double c = std::cos (w0);
        const double alpha = std::sin (w0) / (2.0 * q);
        const double shelfTerm = 2.0 * std::sqrt (A) * alpha;

        switch (kind)
        {
            case Kind::lowPass:
                return { (1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha };
            case Kind::highPass:
                return { (1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha };
            case Kind::peak:
                return { 1.0 + alpha * A, -2.0 * c, 1.0 - alpha * A, 1.0 + alpha / A, -2.0 * c, 1.0 - alpha / A };
            case Kind::lowShelf:
                return { A * ((A + 1.0) - (A - 1.0) * c + shelfTerm),
                         2.0 * A * ((A - 1.0) - (A + 1.0) * c),
                         A * ((A + 1.0) - (A - 1.0) * c - shelfTerm),
                         (A + 1.0) + (A - 1.0) * c + shelfTerm,
                         -2.0 * ((A - 1.0) + (A + 1.0) * c),
                         (A + 1.0) + (A - 1.0) * c - shelfTerm };
            case Kind::highShelf:
                return { A * ((A + 1.0) + (A - 1.0) * c + shelfTerm),
                         -2.0 * A * ((A - 1.0) + (A + 1.0) * c),
                         A * ((A + 1.0) + (A - 1.0) * c - shelfTerm),
                         (A + 1.0) - (A - 1.0) * c + shelfTerm,
                         2.0 * ((A - 1.0) - (A + 1.0) * c),
                         (A + 1.0) - (A - 1.0) * c - shelfTerm };
        }

        return { 1.0, 0.0, 0.0, 1.0, 0.0, 0.0 };
    }

    /** The five values b0, b1, b2, a1, a2 divided by a0. */
    inline std::array<double, 5> normalised (const Coeffs& k)
    {
        return { k[0] / k[3], k[1] / k[3], k[2] / k[3], k[4] / k[3], k[5] / k[3] };
    }

    /** |H(e^jw)| at a frequency. */
    inline double magnitude (const Coeffs& k, double frequency, double sampleRate)
    {
        const auto z1 = std::polar (1.0, -2.0 * pi * frequency / sampleRate);
        const auto z2 = z1 * z1;
        return std::abs ((k[0] + k[1] * z1 + k[2] * z2) / (k[3] + k[4] * z1 + k[5] * z2));
    }

    /** Transposed direct form II, the topology whose memory carries over a coefficient change
        the same way as juce::dsp::IIR::Filter's. */
    class Filter
    {
    public:
        void setCoefficients (const Coeffs& k) { c = normalised (k); }

        double process (double x)
        {
            const double y = c[0] * x + s1;
            s1 = c[1] * x - c[3] * y + s2;
            s2 = c[2] * x - c[4] * y;
            return y;
        }

    private:
        std::array<double, 5> c { 1.0, 0.0, 0.0, 0.0, 0.0 };
        double s1 = 0.0, s2 = 0.0;
    };
}
