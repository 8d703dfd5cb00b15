#include "editor/PanelFixture.h"

namespace
{
    bool lit (juce::Component& c) { return (bool) c.getProperties().getWithDefault ("orvelLit", true); }
}

TEST_F (PanelFixture, ValueLabelsFollowTheParametersWithinOneTick)
{
    TestSupport::setParam (processor, "compThresh", -24.0f);
    TestSupport::setParam (processor, "hpfFreq", 120.0f);
    panel->refresh();

    EXPECT_EQ (panel->getValueLabel (OrvelGUI::thresholdDial).getText(), "-24.0 dB");
    EXPECT_EQ (panel->getValueLabel (OrvelGUI::hpfDial).getText(), "120 Hz");
    EXPECT_EQ (panel->getValueLabel (OrvelGUI::ratioDial).getText(), "3.0 : 1");
    EXPECT_EQ (panel->getNameLabel (OrvelGUI::thresholdDial).getText(), "Threshold");
}

TEST_F (PanelFixture, MainBypassDimsEverything)
{
    TestSupport::setParam (processor, "mainBypass", 1.0f);
    panel->refresh();

    for (int g = OrvelGUI::toneGroup; g < OrvelGUI::numGroups; ++g)
        EXPECT_FALSE (panel->getPowerButton (g).isLampLit()) << "group " << g;
    EXPECT_FALSE (panel->getPowerButton (OrvelGUI::mainGroup).isLampLit());

    for (int d = 0; d < OrvelGUI::numDials; ++d)
    {
        EXPECT_FALSE (lit (panel->getDial (d))) << "dial " << d;
        EXPECT_FALSE (panel->getValueLabel (d).isVisible()) << "dial " << d;
    }
    EXPECT_FALSE (panel->getInputMeter().isActive());
    EXPECT_FALSE (panel->getOutputMeter().isActive());

    // Switching a section while the whole plug-in is off changes nothing on screen.
    const auto before = render();
    TestSupport::setParam (processor, "toneBypass", 1.0f);
    panel->refresh();
    const auto after = render();
    EXPECT_EQ (countDifferentPixels (before, after), 0);

    // Back on: every lamp but Tone's is green again, and only Tone's dials stay dark.
    TestSupport::setParam (processor, "mainBypass", 0.0f);
    panel->refresh();
    EXPECT_TRUE (panel->getPowerButton (OrvelGUI::mainGroup).isLampLit());
    EXPECT_FALSE (panel->getPowerButton (OrvelGUI::toneGroup).isLampLit());
    EXPECT_TRUE (panel->getPowerButton (OrvelGUI::spaceGroup).isLampLit());
    EXPECT_TRUE (panel->getInputMeter().isActive());
}

TEST_F (PanelFixture, OneSectionOffChangesOnlyItsOwnControls)
{
    TestSupport::setParam (processor, "compBypass", 1.0f);
    panel->refresh();

    for (int d = 0; d < OrvelGUI::numDials; ++d)
    {
        const bool inCompression = OrvelGUI::groupOf (d) == OrvelGUI::compressionGroup;
        EXPECT_EQ (lit (panel->getDial (d)), ! inCompression) << "dial " << d;
        EXPECT_EQ (panel->getValueLabel (d).isVisible(), ! inCompression) << "dial " << d;
    }

    for (int g = 0; g < OrvelGUI::numGroups; ++g)
        EXPECT_EQ (panel->getPowerButton (g).isLampLit(), g != OrvelGUI::compressionGroup) << "group " << g;

    // The lamp's toggle state is the bypass parameter itself.
    EXPECT_TRUE (panel->getPowerButton (OrvelGUI::compressionGroup).getToggleState());
    EXPECT_TRUE (panel->getInputMeter().isActive());
}
