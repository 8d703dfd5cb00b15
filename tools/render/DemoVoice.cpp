#include "DemoVoice.h"

#include <cmath>
#include <random>

namespace DemoVoice
{
namespace
{
    constexpr double twoPi = juce::MathConstants<double>::twoPi;

    /** The first three formants of a vowel, in Hz. */
    struct Vowel { double f1, f2, f3; };

    constexpr Vowel vowelA { 730, 1090, 2440 }, vowelE { 530, 1840, 2480 }, vowelI { 270, 2290, 3010 },
                    vowelO { 570, 840, 2410 }, vowelU { 300, 870, 2240 };

    enum class Kind { breath, voiced, sibilant, pause };

    /** One event of the script: what sounds, for how long, and for a syllable the vowel it
        glides from and to and its pitch relative to the phrase. */
    struct Event
    {
        Kind kind;
        double seconds;
        Vowel from {}, to {};
        double pitch = 1.0;
    };

    /** Resonance of a formant of the given bandwidth at a frequency: 1 at the centre. */
    double resonance (double f, double centre, double bandwidth)
    {
        const double x = (f - centre) / (0.5 * bandwidth);
        return 1.0 / (1.0 + x * x);
    }

    /** Vocal tract response at a frequency for a vowel, with the usual fall of the higher formants. */
    double tract (double f, const Vowel& v)
    {
        return 0.06 + resonance (f, v.f1, 90.0) + 0.7 * resonance (f, v.f2, 120.0) + 0.35 * resonance (f, v.f3, 170.0);
    }

    /** A two-pole band-pass (RBJ, constant peak gain) for the noise sounds. */
    struct BandPass
    {
        double b0 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;

        BandPass (double centre, double q, double sampleRate)
        {
            const double w = twoPi * centre / sampleRate, alpha = std::sin (w) / (2.0 * q), a0 = 1.0 + alpha;
            b0 = alpha / a0; b2 = -alpha / a0; a1 = -2.0 * std::cos (w) / a0; a2 = (1.0 - alpha) / a0;
        }

        double process (double x)
        {
            const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1; x1 = x; y2 = y1; y1 = y;
            return y;
        }
    };

    /** Rises over `attack` seconds and falls over `release` seconds at the ends of an event. */
    double envelope (double t, double length, double attack, double release)
    {
        const double rise = juce::jlimit (0.0, 1.0, t / attack);
        const double fall = juce::jlimit (0.0, 1.0, (length - t) / release);
        return std::sin (0.5 * juce::MathConstants<double>::pi * juce::jmin (rise, fall));
    }
}

juce::AudioBuffer<float> synthesise (double sampleRate)
{
    // Two phrases, roughly "see you all soon, oh yes" and "she is here today".
    const std::vector<Event> script {
        { Kind::pause, 0.25 }, { Kind::breath, 0.40 }, { Kind::pause, 0.08 },
        { Kind::sibilant, 0.14 }, { Kind::voiced, 0.32, vowelI, vowelI, 1.15 },
        { Kind::voiced, 0.30, vowelI, vowelU, 1.05 }, { Kind::voiced, 0.42, vowelO, vowelA, 1.20 },
        { Kind::sibilant, 0.12 }, { Kind::voiced, 0.45, vowelU, vowelU, 0.95 }, { Kind::pause, 0.12 },
        { Kind::voiced, 0.30, vowelO, vowelO, 1.10 }, { Kind::voiced, 0.28, vowelI, vowelE, 1.0 },
        { Kind::sibilant, 0.16 }, { Kind::pause, 0.45 },
        { Kind::breath, 0.35 }, { Kind::pause, 0.06 },
        { Kind::sibilant, 0.13 }, { Kind::voiced, 0.30, vowelI, vowelI, 1.25 },
        { Kind::voiced, 0.26, vowelI, vowelI, 1.1 }, { Kind::sibilant, 0.09 },
        { Kind::voiced, 0.40, vowelI, vowelA, 1.05 }, { Kind::voiced, 0.30, vowelE, vowelE, 0.98 },
        { Kind::voiced, 0.50, vowelA, vowelE, 0.85 }, { Kind::pause, 0.40 },
    };

    double totalSeconds = 0.0;
    for (const auto& e : script)
        totalSeconds += e.seconds;

    juce::AudioBuffer<float> out (1, (int) std::ceil (totalSeconds * sampleRate));
    out.clear();
    float* samples = out.getWritePointer (0);

    std::minstd_rand random (20240611u);
    std::normal_distribution<double> noise (0.0, 1.0);
    BandPass breathFilter (1500.0, 0.6, sampleRate), breathLow (600.0, 0.8, sampleRate);
    BandPass hiss (6800.0, 1.4, sampleRate), hissLow (4300.0, 1.0, sampleRate);

    const double nyquistLimit = juce::jmin (9000.0, 0.45 * sampleRate);
    double phase = 0.0;      // fundamental phase, kept across syllables so voicing is continuous
    double position = 0.0;   // seconds from the start

    int index = 0;

    for (const auto& event : script)
    {
        const int length = (int) std::lround (event.seconds * sampleRate);

        for (int i = 0; i < length && index < out.getNumSamples(); ++i, ++index)
        {
            const double t = i / sampleRate, progress = t / event.seconds;
            const double now = position + t;
            double value = 0.0;

            switch (event.kind)
            {
                case Kind::voiced:
                {
                    // A falling phrase line, the syllable's own accent, 5.5 Hz vibrato that
                    // grows over the syllable, and a little slow drift.
                    const double declination = 150.0 - 6.0 * std::fmod (now, 3.5);
                    const double vibrato = 1.0 + 0.012 * juce::jmin (1.0, t / 0.15) * std::sin (twoPi * 5.5 * now);
                    const double f0 = declination * event.pitch * vibrato * (1.0 + 0.004 * std::sin (twoPi * 0.7 * now));
                    phase += twoPi * f0 / sampleRate;

                    const Vowel v { event.from.f1 + (event.to.f1 - event.from.f1) * progress,
                                    event.from.f2 + (event.to.f2 - event.from.f2) * progress,
                                    event.from.f3 + (event.to.f3 - event.from.f3) * progress };

                    // Harmonics fall at 12 dB per octave at the glottis and rise 6 dB at the lips.
                    for (int k = 1; k * f0 < nyquistLimit; ++k)
                        value += tract (k * f0, v) / k * std::sin (k * phase);

                    value *= 0.22 * envelope (t, event.seconds, 0.035, 0.07);
                    value += 0.004 * noise (random) * envelope (t, event.seconds, 0.035, 0.07); // aspiration
                    break;
                }

                case Kind::breath:
                    value = 0.05 * breathFilter.process (breathLow.process (noise (random)) + 0.3 * noise (random))
                          * envelope (t, event.seconds, 0.15, 0.2);
                    break;

                case Kind::sibilant:
                    value = 0.16 * hiss.process (hissLow.process (noise (random)) + 0.6 * noise (random))
                          * envelope (t, event.seconds, 0.03, 0.04);
                    break;

                case Kind::pause:
                    break;
            }

            samples[index] = (float) value;
        }

        position += length / sampleRate;
    }

    // A peak near -6 dBFS leaves room for the processing, as a recorded take would.
    const float peak = out.getMagnitude (0, out.getNumSamples());

    if (peak > 0.0f)
        out.applyGain (0.5f / peak);

    return out;
}
}
