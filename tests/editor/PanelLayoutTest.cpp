#include "editor/PanelFixture.h"

// Expected rectangles below were worked out by hand from the panel's fractions of a
// 1347 x 662 panel (m = 662), with halves rounded away from zero.

using Rect = juce::Rectangle<int>;

TEST_F (PanelFixture, HeaderAreasAndLampsAtTheDefaultSize)
{
    EXPECT_EQ (panel->getHeaderArea(), juce::Rectangle<float> (34, 17, 1280, 60));

    const std::pair<OrvelGUI::Area, Rect> areas[] {
        { OrvelGUI::inputArea, { 34, 89, 168, 271 } },      { OrvelGUI::toneArea, { 218, 89, 354, 271 } },
        { OrvelGUI::compressionArea, { 589, 89, 574, 271 } }, { OrvelGUI::characterArea, { 34, 374, 539, 271 } },
        { OrvelGUI::spaceArea, { 589, 374, 389, 271 } },    { OrvelGUI::outputArea, { 994, 374, 168, 271 } },
        { OrvelGUI::levelsArea, { 1179, 89, 135, 556 } },
    };
    for (const auto& [area, expected] : areas)
        EXPECT_EQ (panel->getAreaBounds (area), expected) << "area " << area;

    // Section lamps: 28 px squares, 11 px in from the area's right edge and 4 px down.
    const std::pair<OrvelGUI::Group, Rect> lamps[] {
        { OrvelGUI::toneGroup, { 533, 93, 28, 28 } },      { OrvelGUI::compressionGroup, { 1124, 93, 28, 28 } },
        { OrvelGUI::characterGroup, { 534, 378, 28, 28 } }, { OrvelGUI::spaceGroup, { 939, 378, 28, 28 } },
        { OrvelGUI::mainGroup, { 1250, 27, 41, 41 } },
    };
    for (const auto& [group, expected] : lamps)
        EXPECT_EQ (panel->getPowerButton (group).getBounds(), expected) << "group " << group;

    EXPECT_EQ (panel->getLogo().getBounds(), Rect (61, 30, 33, 33));
    EXPECT_EQ (panel->getInputMeter().getBounds(), Rect (1195, 135, 103, 238));
    EXPECT_EQ (panel->getOutputMeter().getBounds(), Rect (1195, 393, 103, 238));
}

TEST_F (PanelFixture, DialCellsAtTheDefaultSize)
{
    struct Cell { OrvelGUI::Dial dial; Rect name, knob, value; };
    const Cell cells[] {
        // Layout A: the Input cell and the Compression row of five.
        { OrvelGUI::inputDial, { 40, 159, 156, 19 }, { 40, 170, 156, 124 }, { 56, 286, 125, 23 } },
        { OrvelGUI::thresholdDial, { 609, 159, 107, 19 }, { 609, 170, 107, 124 }, { 620, 286, 86, 23 } },
        { OrvelGUI::ratioDial, { 716, 159, 107, 19 }, { 716, 170, 107, 124 }, { 726, 286, 86, 23 } },
        { OrvelGUI::attackDial, { 823, 159, 107, 19 }, { 823, 170, 107, 124 }, { 833, 286, 86, 23 } },
        { OrvelGUI::releaseDial, { 929, 159, 107, 19 }, { 929, 170, 107, 124 }, { 940, 286, 86, 23 } },
        { OrvelGUI::makeupDial, { 1036, 159, 107, 19 }, { 1036, 170, 107, 124 }, { 1047, 286, 86, 23 } },
        // Layout B: the Tone section's two filters above its four bands.
        { OrvelGUI::hpfDial, { 307, 125, 76, 18 }, { 307, 143, 76, 71 }, { 297, 203, 95, 27 } },
        { OrvelGUI::lpfDial, { 408, 125, 76, 18 }, { 408, 143, 76, 71 }, { 398, 203, 95, 27 } },
        { OrvelGUI::lowDial, { 237, 239, 69, 17 }, { 237, 256, 69, 70 }, { 229, 316, 87, 26 } },
        { OrvelGUI::midDial, { 319, 239, 69, 17 }, { 319, 256, 69, 70 }, { 311, 316, 87, 26 } },
        { OrvelGUI::highDial, { 401, 239, 69, 17 }, { 401, 256, 69, 70 }, { 393, 316, 87, 26 } },
        { OrvelGUI::airDial, { 483, 239, 69, 17 }, { 483, 256, 69, 70 }, { 475, 316, 87, 26 } },
    };

    for (const auto& c : cells)
    {
        EXPECT_EQ (panel->getNameLabel (c.dial).getBounds(), c.name) << "dial " << c.dial;
        EXPECT_EQ (panel->getDial (c.dial).getBounds(), c.knob) << "dial " << c.dial;
        EXPECT_EQ (panel->getValueLabel (c.dial).getBounds(), c.value) << "dial " << c.dial;
    }
}

TEST_F (PanelFixture, EveryDialSitsInsideItsSectionAtAnySize)
{
    constexpr OrvelGUI::Area areaOfGroup[] { OrvelGUI::inputArea, OrvelGUI::toneArea, OrvelGUI::compressionArea,
                                             OrvelGUI::characterArea, OrvelGUI::spaceArea };

    for (const auto size : { juce::Point<int> (1347, 662), juce::Point<int> (674, 331), juce::Point<int> (2400, 1180),
                             juce::Point<int> (500, 270) })
    {
        panel->setSize (size.x, size.y);

        for (int d = 0; d < OrvelGUI::numDials; ++d)
        {
            const auto group = OrvelGUI::groupOf (d);
            const auto area = d == OrvelGUI::outputDial ? OrvelGUI::outputArea : areaOfGroup[group];
            EXPECT_TRUE (panel->getAreaBounds (area).contains (panel->getDial (d).getBounds()))
                << "dial " << d << " at " << size.x << " x " << size.y;
        }
    }
}

TEST_F (PanelFixture, DrawingMetricsFollowTheirOwnPanel)
{
    // A second instance's panel at half the size, laid out after the first.
    OrvelAudioProcessor otherProcessor;
    OrvelGUI small (otherProcessor);
    small.setSize (674, 331);

    // m is the smaller side: 662 for the big panel, 331 for the small one.
    EXPECT_FLOAT_EQ (panel->getDrawingMetrics().dialTrackThickness, 0.0045f * 662.0f);
    EXPECT_FLOAT_EQ (small.getDrawingMetrics().dialTrackThickness, 0.0045f * 331.0f);
    EXPECT_FLOAT_EQ (panel->getDrawingMetrics().groupTitleFontHeight, 0.0175f * 662.0f);
    EXPECT_FLOAT_EQ (small.getDrawingMetrics().majorTickLength, 0.0075f * 331.0f);

    // And each panel's dials draw with their own panel's look.
    EXPECT_EQ (&panel->getDial (0).getLookAndFeel(), &panel->getDial (20).getLookAndFeel());
    EXPECT_NE (&panel->getDial (0).getLookAndFeel(), &small.getDial (0).getLookAndFeel());
}
