#include "editor/PanelFixture.h"

namespace
{
    /** Records what a host hears about one parameter: gesture starts, values and gesture ends. */
    struct HostListener : juce::AudioProcessorListener
    {
        explicit HostListener (int index) : watched (index) {}

        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override
        {
            if (index == watched) events.add ("value");
        }
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
        {
            if (index == watched) events.add ("begin");
        }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
        {
            if (index == watched) events.add ("end");
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

        int watched;
        juce::StringArray events;
    };

    juce::MouseEvent mouseAt (juce::Component& c, juce::Point<float> position, juce::Point<float> downPosition)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downPosition, now, 1, false };
    }
}

class PanelInteraction : public PanelFixture
{
protected:
    /** Opens a value label's editor, types into it and closes it with a key. */
    void type (OrvelGUI::Dial d, const juce::String& text, int key = juce::KeyPress::returnKey)
    {
        auto& label = panel->getValueLabel (d);
        label.showEditor();
        auto* editor = label.getCurrentTextEditor();
        ASSERT_NE (editor, nullptr);

        if (text.isNotEmpty())
            editor->setText (text, false);

        editor->keyPressed (juce::KeyPress (key));
        runMessages();
        ASSERT_EQ (label.getCurrentTextEditor(), nullptr) << "the editor should have closed";
    }

    /** Drags a dial upwards with real mouse events; optionally stops before the release. */
    void drag (OrvelGUI::Dial d, float pixels, bool release = true)
    {
        auto& k = panel->getDial (d);
        const auto centre = k.getLocalBounds().getCentre().toFloat();
        k.mouseDown (mouseAt (k, centre, centre));
        k.mouseDrag (mouseAt (k, centre.translated (0.0f, -pixels), centre));

        if (release)
            k.mouseUp (mouseAt (k, centre.translated (0.0f, -pixels), centre));
    }

    const UndoHistory& history() { return processor.getUndoHistory(); }
};

TEST_F (PanelInteraction, TypedValuesSetTheParameterAsOneNamedStep)
{
    type (OrvelGUI::thresholdDial, "-6");
    EXPECT_FLOAT_EQ (raw ("compThresh"), -6.0f);
    EXPECT_EQ (panel->getValueLabel (OrvelGUI::thresholdDial).getText(), "-6.0 dB");
    EXPECT_EQ (history().getNumSteps(), 1);
    EXPECT_EQ (history().getUndoDescription(), "Edit threshold");
    EXPECT_FALSE (history().isTransactionOpen());

    // No number reads as 0; a unit or "k" after the number is ignored, then the range clamps.
    struct Case { OrvelGUI::Dial dial; const char* id; const char* text; float expected; };
    const Case cases[] {
        { OrvelGUI::thresholdDial, "compThresh", "abc", 0.0f },
        { OrvelGUI::hpfDial, "hpfFreq", "2k", 20.0f },
        { OrvelGUI::ratioDial, "compRatio", " 4.5 : 1 ", 4.5f },
        { OrvelGUI::widthDial, "width", "1e9", 200.0f },
        { OrvelGUI::inputDial, "inputGain", "-100 dB", -48.0f },
    };
    for (const auto& c : cases)
    {
        type (c.dial, c.text);
        EXPECT_FLOAT_EQ (raw (c.id), c.expected) << c.text;
    }
}

TEST_F (PanelInteraction, ALabelLeftUnchangedChangesNothing)
{
    TestSupport::setParam (processor, "hpfFreq", 86.25f);
    processor.setPresetInfo ({}, false, false);
    panel->refresh();
    ASSERT_EQ (panel->getValueLabel (OrvelGUI::hpfDial).getText(), "86 Hz");

    // Closed with Escape, and closed with Return on the unchanged text.
    type (OrvelGUI::hpfDial, {}, juce::KeyPress::escapeKey);
    type (OrvelGUI::hpfDial, {}, juce::KeyPress::returnKey);

    EXPECT_FLOAT_EQ (raw ("hpfFreq"), 86.25f);
    EXPECT_EQ (history().getNumSteps(), 0);
    EXPECT_FALSE (history().isTransactionOpen());
    EXPECT_FALSE (processor.getPresetDisplayName().endsWith ("*"));
}

TEST_F (PanelInteraction, ATypedValueReachesTheHostAsAGesture)
{
    const int index = ParameterIds::compThresh;
    HostListener host (index);
    processor.addListener (&host);

    type (OrvelGUI::thresholdDial, "-30");
    processor.removeListener (&host);

    EXPECT_EQ (host.events.joinIntoString (","), "begin,value,end");
    EXPECT_FLOAT_EQ (raw ("compThresh"), -30.0f);
}


TEST_F (PanelInteraction, ADialDragIsOneStepNamedAfterTheDial)
{
    const float before = raw ("compThresh");
    drag (OrvelGUI::thresholdDial, 60.0f);

    EXPECT_GT (raw ("compThresh"), before);
    EXPECT_EQ (history().getNumSteps(), 1);
    EXPECT_EQ (history().getUndoDescription(), "Adjust threshold");

    processor.undo();
    EXPECT_FLOAT_EQ (raw ("compThresh"), before);
}

TEST_F (PanelInteraction, BothMixDialsShareTheirStepNames)
{
    drag (OrvelGUI::saturationMixDial, 40.0f);
    EXPECT_EQ (history().getUndoDescription(), "Adjust mix");
    drag (OrvelGUI::reverbMixDial, 40.0f);
    EXPECT_EQ (history().getUndoDescription(), "Adjust mix");
    EXPECT_EQ (history().getNumSteps(), 2);

    type (OrvelGUI::saturationMixDial, "50");
    EXPECT_EQ (history().getUndoDescription(), "Edit mix");
}

TEST_F (PanelInteraction, APowerLampClickIsOneStep)
{
    auto& lamp = panel->getPowerButton (OrvelGUI::compressionGroup);
    const auto centre = lamp.getLocalBounds().getCentre().toFloat();

    // The step opens on the press; the release toggles the lamp and then closes the step.
    lamp.mouseDown (mouseAt (lamp, centre, centre));
    EXPECT_TRUE (history().isTransactionOpen());
    EXPECT_FLOAT_EQ (raw ("compBypass"), 0.0f);
    lamp.mouseUp (mouseAt (lamp, centre, centre));

    EXPECT_FLOAT_EQ (raw ("compBypass"), 1.0f);
    EXPECT_FALSE (history().isTransactionOpen());
    EXPECT_EQ (history().getNumSteps(), 1);
    EXPECT_EQ (history().getUndoDescription(), "Compression Power");

    processor.undo();
    EXPECT_FLOAT_EQ (raw ("compBypass"), 0.0f);
}

TEST_F (PanelInteraction, APanelClosedMidGestureClosesItsStep)
{
    // Mid-drag: the dial never sees its drag end.
    drag (OrvelGUI::thresholdDial, 50.0f, false);
    ASSERT_TRUE (history().isTransactionOpen());
    panel.reset();
    EXPECT_FALSE (history().isTransactionOpen());
    EXPECT_EQ (history().getNumSteps(), 1);
    EXPECT_EQ (history().getUndoDescription(), "Adjust threshold");

    // With a value label's editor open: the label never reports its editor hidden.
    panel = std::make_unique<OrvelGUI> (processor);
    panel->setSize (1347, 662);
    panel->getValueLabel (OrvelGUI::ratioDial).showEditor();
    ASSERT_TRUE (history().isTransactionOpen());
    panel.reset();
    EXPECT_FALSE (history().isTransactionOpen());

    // The next preset load is a step of its own, not merged into a stale one.
    processor.loadFactoryPreset (processor.getFactoryPresetNames()[1]);
    EXPECT_EQ (history().getNumSteps(), 2);
    EXPECT_NE (history().getUndoDescription(), "Adjust threshold");
}
