#pragma once

#include "editor/BrandLogoSimple.h"
#include "editor/DialLookAndFeel.h"
#include "editor/MeterComponent.h"
#include "editor/SectionPowerButton.h"
#include "processor/OrvelAudioProcessor.h"

#include <array>

/** The main panel below the menu bar: the Input, Tone, Compression, Character, Space and
    Output sections with their 21 dials, name and editable value labels, the main and four
    section power lamps, the input and output meters and the maker's logo. Every control is
    tied to a parameter; dial drags, typed values and lamp clicks are undo steps. */
class OrvelGUI : public juce::Component,
                 private juce::Timer
{
public:
    using MeterComponent = ::MeterComponent;
    using SectionPowerButton = ::SectionPowerButton;

    /** The dials, in the order they are created. */
    enum Dial
    {
        inputDial, hpfDial, lowDial, midDial, highDial, airDial, lpfDial,
        thresholdDial, ratioDial, attackDial, releaseDial, makeupDial,
        freqDial, amountDial, driveDial, saturationMixDial,
        widthDial, sizeDial, dampDial, reverbMixDial,
        outputDial,
        numDials
    };

    /** The named panel areas, in painting order. */
    enum Area { inputArea, toneArea, compressionArea, characterArea, spaceArea, outputArea, levelsArea, numAreas };

    /** The switchable parts whose state decides which dials are lit. */
    enum Group { mainGroup, toneGroup, compressionGroup, characterGroup, spaceGroup, numGroups };

    /** How often the panel follows the parameters and meters, in milliseconds. */
    static constexpr int refreshIntervalMs = 22;

    explicit OrvelGUI (OrvelAudioProcessor& processorToShow);
    ~OrvelGUI() override;

    /** The value text of a dial, chosen by the dial's name (its component name). */
    static juce::String formatDialValue (const juce::Slider& dial);

    /** The value text for a dial name and value: "+3.5 dB", "3.0 : 1", "10 ms", "6000 Hz", "100 %". */
    static juce::String formatValue (const juce::String& dialName, double value);

    /** Follows the parameters and levels now, as each timer tick does. */
    void refresh();

    /** With caching on (the default), the static artwork is drawn once per size and state and
        a tick repaints only what changed; off, every tick repaints everything. Both draw the
        same pixels; the switch exists to measure the difference. */
    void setPaintCachingEnabled (bool shouldCache);

    //==============================================================================
    /** Controls, for the editor's tools and tests. */
    juce::Slider& getDial (int index) { return dials[(size_t) index]; }
    juce::Label& getNameLabel (int index) { return nameLabels[(size_t) index]; }
    juce::Label& getValueLabel (int index) { return valueLabels[(size_t) index]; }
    SectionPowerButton& getPowerButton (int group) { return *powerButtons()[(size_t) group]; }
    MeterComponent& getInputMeter() noexcept { return inputMeter; }
    MeterComponent& getOutputMeter() noexcept { return outputMeter; }
    BrandLogoSimple& getLogo() noexcept { return logo; }

    /** The header strip and an area's bounds, as last laid out. */
    juce::Rectangle<float> getHeaderArea() const noexcept { return headerArea; }
    juce::Rectangle<int> getAreaBounds (int area) const { return sectionAreas[(size_t) area].bounds; }

    /** The drawing metrics this panel's dials use, set from its own size. */
    const DialDrawingMetrics& getDrawingMetrics() const noexcept { return dialLookAndFeel.getMetrics(); }

    /** Which group a dial belongs to. */
    static Group groupOf (int dial);

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    struct SectionArea
    {
        juce::String name;
        juce::Rectangle<int> bounds;
    };

    /** Where the header's texts and lines go, worked out with the layout. */
    struct HeaderLayout
    {
        juce::Rectangle<float> brand;
        juce::Rectangle<int> makerName, title, subtitle;
        float statusLineY = 0, statusLeftX = 0, statusRightX = 0, statusLineLength = 0;
    };

    /** The on/off state of each group, as last shown. */
    using GroupStates = std::array<bool, numGroups>;

    void timerCallback() override;
    void updateValueTexts();
    void updateSectionStates();
    void applyLabelText (juce::Label& label, juce::Slider& dial, const juce::String& textWhenOpened);
    GroupStates readGroupStates() const;
    bool isBypassed (ParameterIds::Index index) const;

    void beginGesture (const juce::String& name);
    void endGesture();

    std::array<SectionPowerButton*, numGroups> powerButtons() noexcept;
    void layOutDials();

    void paintArtwork (juce::Graphics& g, const GroupStates& states);
    const juce::Image& getArtwork();
    void installMeterBackgrounds();
    void drawSectionPanel (juce::Graphics& g, const SectionArea& area, bool active) const;
    void drawGroupFrame (juce::Graphics& g, const juce::String& title, juce::Rectangle<float> area,
                         float fontHeight, float corner, float thickness) const;

    //==============================================================================
    OrvelAudioProcessor& processor;

    // Each panel has its own look, so two panels at different sizes draw with their own strokes.
    DialLookAndFeel dialLookAndFeel;

    BrandLogoSimple logo;
    juce::Rectangle<float> headerArea;
    MeterComponent inputMeter, outputMeter;
    SectionPowerButton mainPowerButton { "Main Power" }, tonePowerButton { "Tone Power" },
                       compressionPowerButton { "Compression Power" }, characterPowerButton { "Character Power" },
                       spacePowerButton { "Space Power" };

    std::array<juce::Slider, numDials> dials;
    std::array<juce::Label, numDials> nameLabels;
    std::array<juce::Label, numDials> valueLabels;
    std::array<std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>, numDials> sliderAttachments;
    std::array<std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>, numGroups> buttonAttachments;

    std::array<SectionArea, numAreas> sectionAreas;

    HeaderLayout header;
    std::array<juce::String, numDials> textWhenEditingBegan;
    bool transactionOpen = false;

    GroupStates shownStates {};
    bool statesShown = false;

    bool paintCaching = true;
    juce::Image artworkCache;
    GroupStates cachedStates {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelGUI)
};
