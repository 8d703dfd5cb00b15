#include "editor/OrvelGUI.h"
#include "editor/EditorTheme.h"

namespace
{
    struct DialInfo
    {
        const char* labelText;
        const char* dialName;
        ParameterIds::Index parameter;
        OrvelGUI::Group group;
    };

    using P = ParameterIds::Index;
    using G = OrvelGUI::Group;

    constexpr std::array<DialInfo, OrvelGUI::numDials> dialTable { {
        { "Input", "input", P::inputGain, G::mainGroup },
        { "HPF", "hpf", P::hpfFreq, G::toneGroup },
        { "Low", "low", P::lowGain, G::toneGroup },
        { "Mid", "mid", P::midGain, G::toneGroup },
        { "High", "high", P::highGain, G::toneGroup },
        { "Air", "air", P::airGain, G::toneGroup },
        { "LPF", "lpf", P::lpfFreq, G::toneGroup },
        { "Threshold", "threshold", P::compThresh, G::compressionGroup },
        { "Ratio", "ratio", P::compRatio, G::compressionGroup },
        { "Attack", "attack", P::compAttack, G::compressionGroup },
        { "Release", "release", P::compRelease, G::compressionGroup },
        { "Makeup", "makeup", P::compMakeup, G::compressionGroup },
        { "Freq", "freq", P::deEssFreq, G::characterGroup },
        { "Amount", "amount", P::deEssAmount, G::characterGroup },
        { "Drive", "drive", P::satDrive, G::characterGroup },
        { "Mix", "mix", P::satMix, G::characterGroup },
        { "Width", "width", P::width, G::spaceGroup },
        { "Size", "size", P::reverbSize, G::spaceGroup },
        { "Damp", "damp", P::reverbDamping, G::spaceGroup },
        { "Mix", "mix", P::reverbMix, G::spaceGroup },
        { "Output", "output", P::outputGain, G::mainGroup },
    } };

    struct PowerInfo
    {
        const char* sectionName;
        ParameterIds::Index parameter;
    };

    constexpr std::array<PowerInfo, OrvelGUI::numGroups> powerTable { {
        { "Orvel", P::mainBypass },
        { "Tone", P::toneBypass },
        { "Compression", P::compBypass },
        { "Character", P::characterBypass },
        { "Space", P::spaceBypass },
    } };

    constexpr std::array<const char*, OrvelGUI::numAreas> areaNames { "Input", "Tone", "Compression", "Character",
                                                                      "Space", "Output", "Levels" };

    /** Nearest integer, halves away from zero. */
    juce::String wholeNumber (double v) { return juce::String ((juce::int64) std::round (v)); }

    bool isOneOf (const juce::String& name, std::initializer_list<const char*> names)
    {
        for (auto* n : names)
            if (name == n)
                return true;
        return false;
    }
}

//==============================================================================
OrvelGUI::OrvelGUI (OrvelAudioProcessor& p)
    : processor (p),
      inputMeter ([&p] { return p.getInputLevel (0); }, [&p] { return p.getInputLevel (1); }, "Input", 12.0f),
      outputMeter ([&p] { return p.getOutputLevel (0); }, [&p] { return p.getOutputLevel (1); }, "Output", 12.0f)
{
    for (size_t i = 0; i < sectionAreas.size(); ++i)
        sectionAreas[i].name = areaNames[i];

    addAndMakeVisible (logo);
    logo.setAlpha (0.96f);
    addAndMakeVisible (inputMeter);
    addAndMakeVisible (outputMeter);

    const auto buttons = powerButtons();
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        auto& button = *buttons[i];
        const juce::String sectionName (powerTable[i].sectionName);
        button.setTooltip (sectionName + " section power");
        button.onPress = [this, sectionName] { beginGesture (sectionName + " Power"); };
        button.onRelease = [this] { endGesture(); };
        addAndMakeVisible (button);
    }
    mainPowerButton.setTooltip ("Orvel main power");

    for (size_t i = 0; i < dials.size(); ++i)
    {
        auto& dial = dials[i];
        const juce::String dialName (dialTable[i].dialName);
        dialLookAndFeel.configureDial (dial);
        dial.onDragStart = [this, dialName] { beginGesture ("Adjust " + dialName); };
        dial.onDragEnd = [this] { endGesture(); };

        auto& name = nameLabels[i];
        name.setText (dialTable[i].labelText, juce::dontSendNotification);
        name.setJustificationType (juce::Justification::centred);
        name.setColour (juce::Label::textColourId, EditorTheme::Labels::name);

        addAndMakeVisible (dial);
        addAndMakeVisible (name);
    }

    for (auto& label : valueLabels)
    {
        label.setJustificationType (juce::Justification::centred);
        label.setColour (juce::Label::textColourId, EditorTheme::Labels::value);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
        label.setColour (juce::Label::backgroundWhenEditingColourId, EditorTheme::Labels::valueEditingBackground);
        label.setBorderSize ({ 1, 10, 1, 10 });
        label.setMinimumHorizontalScale (0.7f);
        label.setEditable (true, true, false);
        addAndMakeVisible (label);
    }

    for (size_t i = 0; i < dials.size(); ++i)
        dials[i].setName (dialTable[i].dialName);

    auto& state = processor.getValueTreeState();
    for (size_t i = 0; i < dials.size(); ++i)
        sliderAttachments[i] = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
            state, ParameterIds::ids[(size_t) dialTable[i].parameter], dials[i]);
    for (size_t i = 0; i < buttons.size(); ++i)
        buttonAttachments[i] = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
            state, ParameterIds::ids[(size_t) powerTable[i].parameter], *buttons[i]);

    for (size_t i = 0; i < dials.size(); ++i)
    {
        auto& label = valueLabels[i];
        auto& dial = dials[i];

        label.onEditorShow = [this, &label, &dial, i]
        {
            beginGesture ("Edit " + dial.getName());
            textWhenEditingBegan[i] = label.getText();

            if (auto* editor = label.getCurrentTextEditor())
            {
                editor->setJustification (juce::Justification::centred);
                editor->setColour (juce::TextEditor::textColourId, EditorTheme::Labels::editorText);
                editor->setColour (juce::TextEditor::backgroundColourId, EditorTheme::Labels::editorBackground);
                editor->setColour (juce::TextEditor::highlightColourId, EditorTheme::Labels::editorHighlight);
                editor->setColour (juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
                editor->setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
            }
        };

        label.onEditorHide = [this, &label, &dial, i]
        {
            applyLabelText (label, dial, textWhenEditingBegan[i]);
            endGesture();
        };
    }

    updateValueTexts();
    updateSectionStates();
    installMeterBackgrounds();
    setOpaque (true);
    startTimer (refreshIntervalMs);
}

OrvelGUI::~OrvelGUI()
{
    stopTimer();

    // A label closed with its editor open never reports the editor hidden, and a dial
    // destroyed mid-drag never reports the drag's end: close the step they opened, so it
    // does not swallow the next gesture or preset load.
    if (transactionOpen)
        endGesture();

    for (auto& dial : dials)
        dial.setLookAndFeel (nullptr);
}

std::array<OrvelGUI::SectionPowerButton*, OrvelGUI::numGroups> OrvelGUI::powerButtons() noexcept
{
    return { &mainPowerButton, &tonePowerButton, &compressionPowerButton, &characterPowerButton, &spacePowerButton };
}

OrvelGUI::Group OrvelGUI::groupOf (int dial)
{
    return dialTable[(size_t) juce::jlimit (0, numDials - 1, dial)].group;
}

//==============================================================================
juce::String OrvelGUI::formatDialValue (const juce::Slider& dial)
{
    return formatValue (dial.getName(), dial.getValue());
}

juce::String OrvelGUI::formatValue (const juce::String& name, double v)
{
    if (isOneOf (name, { "input", "output", "threshold", "makeup", "low", "mid", "high", "air", "drive" }))
        return (v > 0.0 ? "+" : "") + juce::String (v, 1) + " dB";
    if (name == "ratio")
        return juce::String (v, 1) + " : 1";
    if (isOneOf (name, { "attack", "release" }))
        return wholeNumber (v) + " ms";
    if (isOneOf (name, { "freq", "hpf", "lpf" }))
        return wholeNumber (v) + " Hz";
    if (isOneOf (name, { "mix", "width", "size", "damp", "amount" }))
        return wholeNumber (v) + " %";

    return juce::String (v, 1);
}

void OrvelGUI::updateValueTexts()
{
    for (size_t i = 0; i < dials.size(); ++i)
        if (! valueLabels[i].isBeingEdited())
            valueLabels[i].setText (formatDialValue (dials[i]), juce::dontSendNotification);
}

bool OrvelGUI::isBypassed (ParameterIds::Index index) const
{
    // A parameter the tree does not know counts as not bypassed.
    const auto* value = processor.getValueTreeState().getRawParameterValue (ParameterIds::ids[(size_t) index]);
    return value != nullptr && value->load() >= 0.5f;
}

OrvelGUI::GroupStates OrvelGUI::readGroupStates() const
{
    GroupStates states {};
    states[mainGroup] = ! isBypassed (P::mainBypass);

    if (states[mainGroup])
        for (size_t g = toneGroup; g < numGroups; ++g)
            states[g] = ! isBypassed (powerTable[g].parameter);

    return states;
}

void OrvelGUI::updateSectionStates()
{
    const auto states = readGroupStates();
    const bool changed = ! statesShown || states != shownStates;

    // Only what changed is repainted; the result on screen is the same as repainting all.
    if (! changed && paintCaching)
        return;

    const auto buttons = powerButtons();
    for (size_t g = toneGroup; g < numGroups; ++g)
    {
        buttons[g]->getProperties().set (SectionPowerButton::lampAllowedProperty, states[mainGroup]);
        buttons[g]->repaint();
    }

    for (size_t i = 0; i < dials.size(); ++i)
    {
        const bool on = states[(size_t) dialTable[i].group];
        dials[i].getProperties().set (DialLookAndFeel::litProperty, on);
        dials[i].repaint();
        valueLabels[i].setVisible (on);
        valueLabels[i].repaint();
    }

    for (auto* meter : { &inputMeter, &outputMeter })
    {
        if (meter->isActive() != states[mainGroup])
        {
            meter->setActive (states[mainGroup]);
            meter->repaint();
        }
    }

    repaint (headerArea.toNearestInt());
    for (const auto& area : sectionAreas)
        repaint (area.bounds);

    shownStates = states;
    statesShown = true;
}

void OrvelGUI::refresh()
{
    updateValueTexts();
    updateSectionStates();

    for (auto* meter : { &inputMeter, &outputMeter })
    {
        if (paintCaching)
            meter->repaintMovedLevels();
        else
            meter->repaint();
    }
}

void OrvelGUI::timerCallback()
{
    refresh();
}

void OrvelGUI::setPaintCachingEnabled (bool shouldCache)
{
    paintCaching = shouldCache;
    artworkCache = {};
    installMeterBackgrounds();
    repaint();
}

//==============================================================================
void OrvelGUI::applyLabelText (juce::Label& label, juce::Slider& dial, const juce::String& textWhenOpened)
{
    const auto text = label.getText().trim();

    // A label opened and closed without a change leaves the value as it is: re-reading the
    // rounded text would move the parameter (86.25 Hz to 86 Hz) and mark the preset modified.
    if (text.isNotEmpty() && text != textWhenOpened.trim())
    {
        double value = text.getDoubleValue();
        if (std::isnan (value))
            value = 0.0;
        value = juce::jlimit (dial.getMinimum(), dial.getMaximum(), value);

        // The slider's attachment sets the parameter without a gesture; hosts that record
        // automation in touch mode need one to see a typed value.
        const auto index = (size_t) std::distance (dials.data(), &dial);
        auto* parameter = processor.getValueTreeState().getParameter (ParameterIds::ids[(size_t) dialTable[index].parameter]);

        if (parameter != nullptr)
            parameter->beginChangeGesture();

        dial.setValue (value, juce::sendNotificationSync);

        if (parameter != nullptr)
            parameter->endChangeGesture();
    }

    label.setText (formatDialValue (dial), juce::dontSendNotification);
}

void OrvelGUI::beginGesture (const juce::String& name)
{
    processor.beginUndoTransaction (name);
    transactionOpen = true;
}

void OrvelGUI::endGesture()
{
    transactionOpen = false;
    processor.commitUndoTransaction();
}
