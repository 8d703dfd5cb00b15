#include "editor/PanelFixture.h"

TEST_F (PanelFixture, UnlitDialsShowNoGreenArc)
{
    TestSupport::setParam (processor, "compThresh", 0.0f);  // the arc would cover the whole track
    panel->refresh();
    const auto knob = panel->getDial (OrvelGUI::thresholdDial).getBounds();
    EXPECT_GT (countPixels (render(), knob, isGreen), 200);

    TestSupport::setParam (processor, "compBypass", 1.0f);
    panel->refresh();
    EXPECT_EQ (countPixels (render(), knob, isGreen), 0);
}

TEST_F (PanelFixture, LampsAreGreenOnlyWhileAllowedAndRunning)
{
    auto lampCentre = [this] (OrvelGUI::Group g)
    {
        const auto image = render();
        const auto b = panel->getPowerButton (g).getBounds();
        // The power symbol's stem, just above the centre.
        return image.getPixelAt (b.getCentreX(), b.getY() + (int) (0.35f * (float) b.getHeight()));
    };

    EXPECT_TRUE (isGreen (lampCentre (OrvelGUI::toneGroup))) << lampCentre (OrvelGUI::toneGroup).toDisplayString (true);
    EXPECT_TRUE (isGreen (lampCentre (OrvelGUI::mainGroup)));

    TestSupport::setParam (processor, "mainBypass", 1.0f);
    panel->refresh();
    const auto grey = lampCentre (OrvelGUI::toneGroup);
    EXPECT_FALSE (isGreen (grey)) << grey.toDisplayString (true);
    EXPECT_NEAR (grey.getRed(), grey.getBlue(), 40);
    EXPECT_FALSE (isGreen (lampCentre (OrvelGUI::mainGroup)));
}

TEST_F (PanelFixture, TitleTextReallyRenders)
{
    // Without a usable font JUCE draws no text and says nothing: look for bright title pixels.
    const auto header = panel->getHeaderArea().toNearestInt();
    const juce::Rectangle<int> titleArea (header.getX() + header.getWidth() / 4, header.getY(), header.getWidth() / 2,
                                          header.getHeight() * 2 / 3);
    const int bright = countPixels (render(), titleArea, [] (juce::Colour c) { return c.getBrightness() > 0.8f; });
    EXPECT_GT (bright, 100);
}

TEST_F (PanelFixture, CachedPaintingDrawsTheSamePixels)
{
    // Levels on both meters, and one section off.
    TestSupport::prepare (processor, 48000.0, 512);
    for (int block = 0; block < 40; ++block)
    {
        auto tone = TestSupport::makeSine (2, 512, 440.0, 48000.0, 0.3f);
        TestSupport::process (processor, tone);
    }
    ASSERT_GT (processor.getOutputLevel (0), 0.01f);
    TestSupport::setParam (processor, "compBypass", 1.0f);

    for (const auto size : { juce::Point<int> (1347, 662), juce::Point<int> (674, 331) })
    {
        panel->setSize (size.x, size.y);
        panel->refresh();

        panel->setPaintCachingEnabled (false);
        const auto direct = render();
        panel->setPaintCachingEnabled (true);
        const auto first = render();   // fills the cache
        const auto cached = render();  // copies from it

        EXPECT_EQ (countDifferentPixels (direct, first), 0) << size.x;
        EXPECT_EQ (countDifferentPixels (direct, cached), 0) << size.x;
    }

    // A state change reaches the cached artwork too: the Compression title lights, and the
    // meters, whose kept images include the panel beneath, go dark with the main bypass.
    for (const auto& [id, value] : { std::pair ("compBypass", 0.0f), std::pair ("mainBypass", 1.0f) })
    {
        TestSupport::setParam (processor, id, value);
        panel->refresh();
        const auto cached = render();
        panel->setPaintCachingEnabled (false);
        EXPECT_EQ (countDifferentPixels (render(), cached), 0) << id;
        panel->setPaintCachingEnabled (true);
    }
}
