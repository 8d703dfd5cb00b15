#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
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
    void setActive (bool shouldBeActive) noexcept { active = shouldBeActive; }

    /** Whether the meter shows levels. */
    bool isActive() const noexcept { return active; }

    /** The levels last drawn (left, right), so a caller can tell whether a repaint is due. */
    float getLastLeftLevel() const noexcept { return lastLeft; }
    float getLastRightLevel() const noexcept { return lastRight; }

    /** The level getters' current values. */
    float readLeftLevel() const { return getLeftLevel ? getLeftLevel() : 0.0f; }
    float readRightLevel() const { return getRightLevel ? getRightLevel() : 0.0f; }

    /** The decibel value shown for a linear level: -60 for silence, at most the top. */
    static float decibelsForLevel (float level, float maximumDecibels) noexcept;

    /** Where a decibel value sits in the well, from 0 (bottom) to 1 (top). The scale is
        stretched around the levels a voice usually sits at. */
    static float scalePosition (float decibels, float maximumDecibels) noexcept;

    /** The colour of the level line and glow for a decibel value. */
    static juce::Colour levelColour (float decibels) noexcept;

    void paint (juce::Graphics& g) override;

private:
    void drawBar (juce::Graphics& g, juce::Rectangle<float> bar, float level) const;

    LevelGetter getLeftLevel, getRightLevel;
    juce::String title;
    float maximumDecibels;
    bool active = true;
    float lastLeft = 0.0f, lastRight = 0.0f;
};
