#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <array>
#include <functional>

/** A level meter with two vertical bars (left and right channel), a printed decibel scale
    and a title. It draws exactly the levels its getters return, which already carry the
    processor's ballistics. While inactive it is dimmed and shows no level. */
class MeterComponent : public juce::Component
{
public:
    /** Returns a channel's current level as a linear amplitude. */
    using LevelGetter = std::function<float()>;

    MeterComponent (LevelGetter leftLevel, LevelGetter rightLevel, const juce::String& titleText, float maximumDecibels);

    /** Sets whether the meter shows levels; inactive meters are dimmed. */
    void setActive (bool shouldBeActive) noexcept
    {
        if (active != shouldBeActive)
            underlay = {};
        active = shouldBeActive;
    }

    /** Whether the meter shows levels. */
    bool isActive() const noexcept { return active; }

    /** Repaints the parts of the bars whose levels moved since they were last drawn, and
        nothing when neither moved. */
    void repaintMovedLevels();

    /** The areas whose pixels change when the bars go from the levels last drawn to the
        levels the getters return now; empty when neither moved. */
    juce::RectangleList<int> getMovedLevelAreas() const;

    /** The level getters' current values. */
    float readLeftLevel() const { return getLeftLevel ? getLeftLevel() : 0.0f; }
    float readRightLevel() const { return getRightLevel ? getRightLevel() : 0.0f; }

    /** Returns an image of the meter's unchanging parts (title, cases, wells and ticks) over
        what lies beneath them, drawn in place by the parent with paintUnderlay(). */
    using UnderlaySource = std::function<juce::Image()>;

    /** With an underlay source, the meter copies its unchanging parts from that image and
        draws only the levels over them. The image holds exactly the pixels those parts give
        in place, so nothing on screen changes. */
    void setUnderlaySource (UnderlaySource source);

    /** Drops the copy taken from the underlay source; call it when the source has changed. */
    void invalidateCache() noexcept { underlay = {}; }

    /** Draws the unchanging parts: the title, the bar cases, wells and ticks. */
    void paintUnderlay (juce::Graphics& g) const;

    /** The decibel value shown for a linear level: -60 for silence, at most the top. */
    static float decibelsForLevel (float level, float maximumDecibels) noexcept;

    /** Where a decibel value sits in the well, from 0 (bottom) to 1 (top). The scale is
        stretched around the levels a voice usually sits at. */
    static float scalePosition (float decibels, float maximumDecibels) noexcept;

    /** The colour of the level line and glow for a decibel value. */
    static juce::Colour levelColour (float decibels) noexcept;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    /** The geometry of one bar's well and scale. */
    struct Bar
    {
        juce::Rectangle<float> bounds;
        float wx = 0, wy = 0, ww = 0, wh = 0, top = 0, bottom = 0;
        float yFor (float decibels, float maximumDecibels) const;
    };

    Bar makeBar (int index) const;
    void drawCase (juce::Graphics& g, const Bar& bar) const;
    void drawLevel (juce::Graphics& g, const Bar& bar, float level) const;
    float fillTop (const Bar& bar, float level) const;

    LevelGetter getLeftLevel, getRightLevel;
    juce::String title;
    float maximumDecibels;
    bool active = true;
    UnderlaySource underlaySource;
    std::array<std::array<juce::GlyphArrangement, 11>, 2> scaleNumbers;  // laid out once per size
    juce::Image underlay;
    float lastLeft = 0.0f, lastRight = 0.0f;
};
