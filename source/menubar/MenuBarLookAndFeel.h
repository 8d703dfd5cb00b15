#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look of the menu bar's pop-up menus: a dark panel with a double outline, fonts and item
    heights that follow the bar's height, bold type for the chosen item and a check box for the
    "Make Default" switch. */
class MenuBarLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Text of the one item that is drawn with a check box. */
    static constexpr const char* checkBoxItemText = "Make Default";

    /** Derives the font heights and the item height from the bar height in pixels. */
    void setMetricsFromBarHeight (float barHeight);

    /** Height of item text, in pixels. */
    float getPopupFontHeight() const noexcept { return popupFontHeight; }
    /** Height of section header text, in pixels. */
    float getSectionHeaderFontHeight() const noexcept { return sectionHeaderFontHeight; }
    /** Height of an item row, in pixels. */
    int getPopupItemHeight() const noexcept { return popupItemHeight; }

    void drawPopupMenuBackground (juce::Graphics& g, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                    int& idealWidth, int& idealHeight) override;
    void drawPopupMenuSectionHeader (juce::Graphics& g, const juce::Rectangle<int>& area, const juce::String& sectionName) override;
    void drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;

private:
    float popupFontHeight = 14.0f;
    float sectionHeaderFontHeight = 13.0f;
    int popupItemHeight = 30;
};
