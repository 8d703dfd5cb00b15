#include "Plot.h"

#include <complex>

namespace Plot
{
namespace
{
    const juce::Colour background { 0xff16181d }, panel { 0xff1f232a }, grid { 0xff323842 },
                       text { 0xffc9ced6 }, inputColour { 0xff6fa8dc }, outputColour { 0xfff0a04b };

    /** In-place radix-2 FFT of a power-of-two length. */
    void fft (std::vector<std::complex<double>>& a)
    {
        const size_t n = a.size();

        for (size_t i = 1, j = 0; i < n; ++i)
        {
            size_t bit = n >> 1;
            for (; (j & bit) != 0; bit >>= 1)
                j ^= bit;
            j ^= bit;
            if (i < j)
                std::swap (a[i], a[j]);
        }

        for (size_t len = 2; len <= n; len <<= 1)
        {
            const double angle = -juce::MathConstants<double>::twoPi / (double) len;
            const std::complex<double> step (std::cos (angle), std::sin (angle));

            for (size_t i = 0; i < n; i += len)
            {
                std::complex<double> w (1.0, 0.0);

                for (size_t k = 0; k < len / 2; ++k)
                {
                    const auto u = a[i + k], v = a[i + k + len / 2] * w;
                    a[i + k] = u + v;
                    a[i + k + len / 2] = u - v;
                    w *= step;
                }
            }
        }
    }

    /** Draws the frame, title and horizontal grid of a panel and returns the plotting area. */
    juce::Rectangle<float> drawPanel (juce::Graphics& g, juce::Rectangle<float> area, const juce::String& heading)
    {
        g.setColour (panel);
        g.fillRoundedRectangle (area, 6.0f);
        g.setColour (text);
        g.setFont (juce::Font (17.0f, juce::Font::bold));
        g.drawText (heading, area.removeFromTop (30.0f).reduced (14.0f, 0.0f), juce::Justification::centredLeft);
        return area.withTrimmedLeft (70.0f).withTrimmedRight (20.0f).withTrimmedBottom (34.0f);
    }

    void label (juce::Graphics& g, const juce::String& s, float x, float y, juce::Justification j, float w = 64.0f)
    {
        g.setFont (juce::Font (13.0f));
        g.setColour (text.withAlpha (0.8f));
        const auto box = j.testFlags (juce::Justification::right) ? juce::Rectangle<float> (x - w, y - 8.0f, w, 16.0f)
                                                                   : juce::Rectangle<float> (x - w * 0.5f, y, w, 16.0f);
        g.drawText (s, box, j);
    }

    void legend (juce::Graphics& g, juce::Rectangle<float> plot, const juce::String& a, const juce::String& b)
    {
        auto box = juce::Rectangle<float> (plot.getRight() - 330.0f, plot.getY() - 26.0f, 330.0f, 20.0f);
        g.setFont (juce::Font (14.0f));

        for (auto [colour, name] : { std::pair { inputColour, a }, std::pair { outputColour, b } })
        {
            auto item = box.removeFromLeft (165.0f);
            g.setColour (colour);
            g.fillRect (item.removeFromLeft (18.0f).withSizeKeepingCentre (18.0f, 4.0f));
            g.setColour (text);
            g.drawText (name, item.withTrimmedLeft (6.0f), juce::Justification::centredLeft);
        }
    }

    juce::String seconds (double s) { return juce::String (s, s < 10.0 ? 1 : 0) + " s"; }

    /** Time grid with a label every "nice" number of seconds. */
    void timeAxis (juce::Graphics& g, juce::Rectangle<float> plot, double duration)
    {
        double step = 0.5;
        for (double candidate : { 0.5, 1.0, 2.0, 5.0, 10.0, 30.0, 60.0, 120.0, 300.0, 600.0 })
            if ((step = candidate) * 10.0 >= duration)
                break;

        for (double t = 0.0; t <= duration + 1e-9; t += step)
        {
            const float x = plot.getX() + (float) (t / duration) * plot.getWidth();
            g.setColour (grid);
            g.drawVerticalLine ((int) x, plot.getY(), plot.getBottom());
            label (g, seconds (t), x, plot.getBottom() + 6.0f, juce::Justification::centredTop);
        }
    }

    /** Min and max of all channels in each pixel column, filled between. */
    void envelope (juce::Graphics& g, juce::Rectangle<float> plot, const juce::AudioBuffer<float>& audio,
                   int totalSamples, juce::Colour colour)
    {
        const int columns = (int) plot.getWidth();
        juce::Path shape;
        std::vector<float> lows ((size_t) columns);

        for (int c = 0; c < columns; ++c)
        {
            const int start = (int) ((juce::int64) c * totalSamples / columns);
            const int end = juce::jmin (audio.getNumSamples(), (int) ((juce::int64) (c + 1) * totalSamples / columns));
            float lo = 0.0f, hi = 0.0f;

            for (int ch = 0; ch < audio.getNumChannels() && end > start; ++ch)
            {
                const auto range = audio.findMinMax (ch, start, end - start);
                lo = juce::jmin (lo, range.getStart());
                hi = juce::jmax (hi, range.getEnd());
            }

            const auto y = [&] (float v) { return plot.getCentreY() - juce::jlimit (-1.0f, 1.0f, v) * plot.getHeight() * 0.5f; };
            const float x = plot.getX() + (float) c + 0.5f;
            lows[(size_t) c] = y (lo);

            if (c == 0)
                shape.startNewSubPath (x, y (hi));
            else
                shape.lineTo (x, y (hi));
        }

        for (int c = columns - 1; c >= 0; --c)
            shape.lineTo (plot.getX() + (float) c + 0.5f, lows[(size_t) c]);

        shape.closeSubPath();
        g.setColour (colour.withAlpha (0.55f));
        g.fillPath (shape);
    }

    void curve (juce::Graphics& g, const std::vector<juce::Point<float>>& points, juce::Colour colour, float thickness)
    {
        juce::Path p;
        bool drawing = false;

        for (const auto& pt : points)
        {
            if (! std::isfinite (pt.y))
            {
                drawing = false;
                continue;
            }

            if (drawing)
                p.lineTo (pt);
            else
                p.startNewSubPath (pt);

            drawing = true;
        }

        g.setColour (colour);
        g.strokePath (p, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    juce::String lufs (double v) { return std::isfinite (v) ? juce::String (v, 1) + " LUFS" : juce::String ("silent"); }
}

std::vector<double> averageSpectrumDb (const juce::AudioBuffer<float>& audio, int fftOrder)
{
    const int size = 1 << fftOrder, hop = size / 2;
    std::vector<double> window ((size_t) size), power ((size_t) (size / 2 + 1), 0.0);

    for (int i = 0; i < size; ++i)
        window[(size_t) i] = 0.5 - 0.5 * std::cos (juce::MathConstants<double>::twoPi * i / size);

    int frames = 0;
    std::vector<std::complex<double>> bins ((size_t) size);

    for (int ch = 0; ch < audio.getNumChannels(); ++ch)
    {
        const float* x = audio.getReadPointer (ch);

        for (int start = 0; start == 0 || start + size <= audio.getNumSamples(); start += hop)
        {
            for (int i = 0; i < size; ++i)
                bins[(size_t) i] = start + i < audio.getNumSamples() ? x[start + i] * window[(size_t) i] : 0.0;

            fft (bins);

            for (size_t k = 0; k < power.size(); ++k)
                power[k] += std::norm (bins[k]);

            ++frames;
        }
    }

    // A full-scale sine in the middle of a bin reads 0 dB: the Hann window's coherent gain is a half.
    const double scale = 1.0 / (juce::jmax (1, frames) * (size * 0.25) * (size * 0.25));

    for (auto& p : power)
        p = 10.0 * std::log10 (p * scale + 1e-20);

    return power;
}

juce::Image draw (const Signal& input, const Signal& output, double sampleRate, const juce::String& title)
{
    const int width = 1400, height = 1050;
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);

    auto area = juce::Rectangle<float> (0.0f, 0.0f, (float) width, (float) height).reduced (18.0f);
    g.setColour (text);
    g.setFont (juce::Font (22.0f, juce::Font::bold));
    g.drawText (title, area.removeFromTop (34.0f), juce::Justification::centredLeft);
    g.setFont (juce::Font (15.0f));
    g.drawText ("input " + lufs (input.loudness.integratedLufs) + "   output " + lufs (output.loudness.integratedLufs),
                area.removeFromTop (24.0f), juce::Justification::centredLeft);
    area.removeFromTop (8.0f);

    const float panelHeight = (area.getHeight() - 24.0f) / 3.0f;
    const int total = output.audio.getNumSamples();
    const double duration = total / sampleRate;

    // 1. Waveform envelopes.
    {
        auto plot = drawPanel (g, area.removeFromTop (panelHeight), "Waveform envelope");
        area.removeFromTop (12.0f);
        legend (g, plot, "input", "output");
        timeAxis (g, plot, duration);

        for (float level : { -1.0f, -0.5f, 0.0f, 0.5f, 1.0f })
        {
            const float y = plot.getCentreY() - level * plot.getHeight() * 0.5f;
            g.setColour (grid);
            g.drawHorizontalLine ((int) y, plot.getX(), plot.getRight());
            label (g, juce::String (level, 1), plot.getX() - 8.0f, y, juce::Justification::centredRight);
        }

        envelope (g, plot, output.audio, total, outputColour);
        envelope (g, plot, input.audio, total, inputColour);
    }

    // 2. Average spectra on a logarithmic frequency axis.
    {
        auto plot = drawPanel (g, area.removeFromTop (panelHeight), "Average spectrum");
        area.removeFromTop (12.0f);
        legend (g, plot, "input", "output");

        const int order = 12;
        const auto in = averageSpectrumDb (input.audio, order), out = averageSpectrumDb (output.audio, order);
        const double binHz = sampleRate / (1 << order);
        const double lowHz = 20.0, highHz = juce::jmin (20000.0, sampleRate * 0.5);

        double top = -200.0;
        for (const auto* s : { &in, &out })
            for (double v : *s)
                top = juce::jmax (top, v);
        top = std::ceil (top / 10.0) * 10.0;
        const double bottom = top - 90.0;

        const auto x = [&] (double hz) { return plot.getX() + (float) (std::log (hz / lowHz) / std::log (highHz / lowHz)) * plot.getWidth(); };
        const auto y = [&] (double db) { return plot.getY() + (float) ((top - juce::jlimit (bottom, top, db)) / (top - bottom)) * plot.getHeight(); };

        for (double hz : { 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0 })
        {
            if (hz > highHz)
                break;
            g.setColour (grid);
            g.drawVerticalLine ((int) x (hz), plot.getY(), plot.getBottom());
            label (g, hz >= 1000.0 ? juce::String (hz / 1000.0, 0) + " kHz" : juce::String (hz, 0) + " Hz",
                   x (hz), plot.getBottom() + 6.0f, juce::Justification::centredTop);
        }

        for (double db = top; db >= bottom; db -= 15.0)
        {
            g.setColour (grid);
            g.drawHorizontalLine ((int) y (db), plot.getX(), plot.getRight());
            label (g, juce::String (db, 0) + " dB", plot.getX() - 8.0f, y (db), juce::Justification::centredRight);
        }

        for (auto [spectrum, colour] : { std::pair { &in, inputColour }, std::pair { &out, outputColour } })
        {
            // Smoothed over a twelfth of an octave, so the curve shows the tonal balance
            // rather than every harmonic.
            std::vector<juce::Point<float>> points;
            const int steps = (int) plot.getWidth();

            for (int i = 0; i <= steps; ++i)
            {
                const double hz = lowHz * std::pow (highHz / lowHz, (double) i / steps);
                const auto first = (size_t) juce::jlimit (1, (int) spectrum->size() - 1, (int) std::floor (hz * std::pow (2.0, -1.0 / 24.0) / binHz));
                const auto last = (size_t) juce::jlimit ((int) first, (int) spectrum->size() - 1, (int) std::ceil (hz * std::pow (2.0, 1.0 / 24.0) / binHz));
                double db = 0.0;

                if (last - first < 4)
                {
                    // Narrower than the bins: read between the two nearest ones.
                    const double position = juce::jlimit (1.0, (double) spectrum->size() - 1.0, hz / binHz);
                    const auto below = (size_t) position;
                    const auto above = juce::jmin (below + 1, spectrum->size() - 1);
                    db = juce::jmap (position - (double) below, (*spectrum)[below], (*spectrum)[above]);
                }
                else
                {
                    double power = 0.0;

                    for (size_t k = first; k <= last; ++k)
                        power += std::pow (10.0, (*spectrum)[k] / 10.0);

                    db = 10.0 * std::log10 (power / (double) (last - first + 1));
                }

                points.push_back ({ x (hz), y (db) });
            }

            curve (g, points, colour, 1.6f);
        }
    }

    // 3. Short-term loudness over time, with the integrated values as dashed lines.
    {
        auto plot = drawPanel (g, area, "Short-term loudness (3 s window)");
        legend (g, plot, "input", "output");
        timeAxis (g, plot, duration);

        double top = -100.0;
        for (const auto* l : { &input.loudness, &output.loudness })
            for (double v : l->shortTerm)
                if (std::isfinite (v))
                    top = juce::jmax (top, v);
        top = std::isfinite (top) && top > -100.0 ? std::ceil ((top + 1.0) / 6.0) * 6.0 : 0.0;
        const double bottom = top - 36.0;

        const auto y = [&] (double v) { return plot.getY() + (float) ((top - v) / (top - bottom)) * plot.getHeight(); };

        for (double v = top; v >= bottom; v -= 6.0)
        {
            g.setColour (grid);
            g.drawHorizontalLine ((int) y (v), plot.getX(), plot.getRight());
            label (g, juce::String (v, 0) + " LUFS", plot.getX() - 8.0f, y (v), juce::Justification::centredRight, 70.0f);
        }

        g.saveState();
        g.reduceClipRegion (plot.toNearestInt());

        for (auto [l, colour] : { std::pair { &input.loudness, inputColour }, std::pair { &output.loudness, outputColour } })
        {
            std::vector<juce::Point<float>> points;

            for (size_t i = 0; i < l->shortTerm.size(); ++i)
            {
                const double v = l->shortTerm[i];
                const double t = (double) (i + 1) * Loudness::shortTermStep;
                points.push_back ({ plot.getX() + (float) (t / duration) * plot.getWidth(),
                                    std::isfinite (v) && v > bottom - 20.0 ? y (v) : std::numeric_limits<float>::quiet_NaN() });
            }

            curve (g, points, colour, 2.0f);

            if (std::isfinite (l->integratedLufs))
            {
                const float dashes[] = { 8.0f, 6.0f };
                g.setColour (colour.withAlpha (0.8f));
                const float yi = y (l->integratedLufs);
                g.drawDashedLine ({ plot.getX(), yi, plot.getRight(), yi }, dashes, 2, 1.2f);
            }
        }

        g.restoreState();
    }

    return image;
}

bool writePng (const juce::Image& image, const juce::File& target, juce::String& error)
{
    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream stream (temporary.getFile());
        juce::PNGImageFormat png;

        if (stream.failedToOpen() || ! png.writeImageToStream (image, stream))
        {
            error = "cannot write the plot " + target.getFullPathName();
            return false;
        }
    }

    if (! temporary.overwriteTargetFileWithTemporary())
    {
        error = "cannot move the finished plot to " + target.getFullPathName();
        return false;
    }

    return true;
}
}
