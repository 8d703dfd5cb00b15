#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look of the preset dialogs: a dark box with a light outline, pill-shaped buttons in
    the style of the menu bar's text buttons, and no icon. */
class DialogLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Sets the dialog colours of the alert window, its text editor and its buttons. */
    DialogLookAndFeel();

    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton& button, int buttonHeight) override;
    juce::Font getAlertWindowTitleFont() override;
    juce::Font getAlertWindowMessageFont() override;

    /** Places the buttons, paints the box and its text. Buttons are placed here because the
        alert window lays them out itself and offers no other hook to override that. */
    void drawAlertBox (juce::Graphics& g, juce::AlertWindow& window, const juce::Rectangle<int>& textArea,
                       juce::TextLayout& textLayout) override;

    /** Where a dialog's buttons go for a window of the given size and number of buttons. */
    static juce::Array<juce::Rectangle<int>> buttonBounds (int windowWidth, int windowHeight, int numButtons);
};
