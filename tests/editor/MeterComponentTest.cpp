#include "editor/PanelFixture.h"

TEST (Meter, ScaleLawAndDecibels)
{
    // The scale's corner points, and halfway between two of them.
    const std::pair<float, float> positions[] { { -61.0f, 0.0f }, { -60.0f, 0.0f }, { -42.0f, 0.21f }, { -24.0f, 0.42f },
                                                { -12.0f, 0.62f }, { -6.0f, 0.73f }, { 0.0f, 0.84f }, { 12.0f, 1.0f }, { 20.0f, 1.0f } };
    for (const auto& [db, expected] : positions)
        EXPECT_NEAR (MeterComponent::scalePosition (db, 12.0f), expected, 1.0e-5f) << db << " dB";

    const std::pair<float, float> levels[] { { 0.0f, -60.0f }, { 0.000001f, -60.0f }, { 0.0001f, -60.0f },
                                             { 0.1f, -20.0f }, { 1.0f, 0.0f }, { 4.0f, 12.0f }, { 100.0f, 12.0f } };
    for (const auto& [level, expected] : levels)
        EXPECT_NEAR (MeterComponent::decibelsForLevel (level, 12.0f), expected, 1.0e-3f) << level;
}

TEST (Meter, LevelColourThresholds)
{
    const juce::Colour green (0xff00ff6e), yellow (0xffffe828), orange (0xffff7612), red (0xffff2626);
    const std::pair<float, juce::Colour> cases[] { { -60.0f, green }, { -9.0f, green }, { -8.9f, yellow }, { -3.0f, yellow },
                                                   { -2.9f, orange }, { 0.0f, orange }, { 3.0f, orange }, { 3.1f, red } };
    for (const auto& [db, colour] : cases)
        EXPECT_EQ (MeterComponent::levelColour (db), colour) << db << " dB";
}

namespace
{
    /** A meter 100 x 500 showing a fixed level on both bars. */
    struct FixedMeter
    {
        explicit FixedMeter (float level, bool active = true)
            : meter ([this] { return value; }, [this] { return value; }, "Input", 12.0f), value (level)
        {
            meter.setSize (100, 500);
            meter.setActive (active);
        }

        juce::Image render() { return meter.createComponentSnapshot (meter.getLocalBounds(), true, 1.0f); }

        /** The left bar's well, as the meter lays it out. */
        static juce::Rectangle<float> leftWell()
        {
            const float w = 100.0f, h = 500.0f, bw = 0.29f * w, tw = 2.0f * bw + 0.12f * w;
            const float x = w / 2 - tw / 2, y = 0.085f * h, bh = 0.84f * h, inset = 0.08f * bw;
            return { x + inset, y + inset, bw - 2 * inset, bh - 2 * inset };
        }

        MeterComponent meter;
        float value;
    };

    /** The topmost row in the well's centre column where two renders differ, or -1. */
    int topmostDifference (const juce::Image& a, const juce::Image& b)
    {
        const auto well = FixedMeter::leftWell();
        const int x = (int) well.getCentreX();
        for (int y = (int) well.getY(); y < (int) well.getBottom() + 1; ++y)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return y;
        return -1;
    }
}

TEST (Meter, FillHeightFollowsTheScale)
{
    const auto silent = FixedMeter (0.0f).render();
    const auto well = FixedMeter::leftWell();

    // The level line is centred on the fill's top, so it reaches half its thickness above.
    const float line = juce::jmax (0.01f * well.getHeight(), 2.0f), lineHalf = line / 2.0f;

    // A barely audible level still shows a 2-pixel fill at the bottom (its line kept inside the well).
    const int faint = topmostDifference (silent, FixedMeter (0.00001f).render());
    EXPECT_NEAR (faint, well.getBottom() - juce::jmax (2.0f + lineHalf, line), 1.5f);

    // 0 dB fills 84 % of the well.
    const float expectedTop = well.getBottom() - 0.84f * well.getHeight() - lineHalf;
    EXPECT_NEAR (topmostDifference (silent, FixedMeter (1.0f).render()), expectedTop, 1.5f);

    // +12 dB fills the whole well.
    EXPECT_NEAR (topmostDifference (silent, FixedMeter (4.0f).render()), well.getY(), 1.5f);

    // An inactive meter draws no fill, whatever the level.
    EXPECT_EQ (topmostDifference (FixedMeter (0.0f, false).render(), FixedMeter (1.0f, false).render()), -1);
}

TEST (Meter, FillIsGreenAtTheBottomAndRedOnlyNearTheTop)
{
    const auto well = FixedMeter::leftWell();
    const auto image = FixedMeter (4.0f).render();
    const int x = (int) well.getCentreX() - 3;

    const auto low = image.getPixelAt (x, (int) (well.getBottom() - 0.05f * well.getHeight()));
    const auto high = image.getPixelAt (x, (int) (well.getY() + 0.03f * well.getHeight()));
    EXPECT_TRUE (isGreen (low)) << low.toDisplayString (true);
    EXPECT_GT (high.getRed(), 200) << high.toDisplayString (true);
    EXPECT_LT (high.getGreen(), 140) << high.toDisplayString (true);
}

TEST (Meter, RepaintsCoverEveryPixelAMovedLevelChanges)
{
    // From one level to the next: louder, quieter, across colour thresholds, from and to silence.
    const std::pair<float, float> moves[] { { 0.1f, 0.5f }, { 0.5f, 0.1f }, { 0.3f, 0.8f }, { 1.2f, 0.9f },
                                            { 0.0f, 0.00001f }, { 0.02f, 0.0f }, { 4.0f, 0.001f },
                                            // small moves within one colour
                                            { 0.1f, 0.105f }, { 0.2f, 0.19f }, { 0.02f, 0.021f }, { 0.6f, 0.58f },
                                            { 0.00002f, 0.00001f } };

    for (const auto& [from, to] : moves)
    {
        FixedMeter m (from);
        const auto before = m.render();  // what is on screen, and the levels last drawn
        m.value = to;
        const auto areas = m.meter.getMovedLevelAreas();
        const auto after = m.render();

        int outside = 0;
        for (int y = 0; y < before.getHeight(); ++y)
            for (int x = 0; x < before.getWidth(); ++x)
                if (before.getPixelAt (x, y) != after.getPixelAt (x, y) && ! areas.containsPoint ({ x, y }))
                    ++outside;

        EXPECT_FALSE (areas.isEmpty()) << from << " -> " << to;
        EXPECT_EQ (outside, 0) << from << " -> " << to;
    }

    // A level that did not move repaints nothing.
    FixedMeter still (0.25f);
    still.render();
    EXPECT_TRUE (still.meter.getMovedLevelAreas().isEmpty());
}
