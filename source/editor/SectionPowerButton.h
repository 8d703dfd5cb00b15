#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <functional>

/** The round, lamp-like power button of the header and of each switchable section. Its
    toggle state is the section's bypass: toggled on means switched off. The lamp glows
    green while the section runs and is grey while it is bypassed, or while the panel has
    set "orvelLampAllowed" to false because the whole plug-in is switched off. */
class SectionPowerButton : public juce::Button
{
public:
    /** The property that, when false, keeps the lamp grey whatever the toggle state. */
    static constexpr const char* lampAllowedProperty = "orvelLampAllowed";

    explicit SectionPowerButton (const juce::String& buttonName);

    /** Called as the mouse goes down, before the button handles the press. */
    std::function<void()> onPress;

    /** Called as the mouse goes up, after the button handled the release. */
    std::function<void()> onRelease;

    /** Whether the lamp would glow now: allowed and not toggled. */
    bool isLampLit() const;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paintButton (juce::Graphics& g, bool highlighted, bool down) override;
};
