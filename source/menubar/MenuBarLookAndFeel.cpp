#include "menubar/MenuBarLookAndFeel.h"
#include "menubar/MenuBarFonts.h"
#include "menubar/MenuBarTheme.h"

namespace
{
    constexpr float fontFraction = 0.28f, headerFontFraction = 0.32f, itemHeightFraction = 0.33f;
    constexpr int separatorHeight = 6;
    constexpr int separatorInset = 8;
    constexpr int headerInset = 10;
    constexpr int itemInsetX = 4, itemInsetY = 1, textInset = 12;

    constexpr float checkBoxMaxSide = 18.0f, checkBoxFraction = 0.52f, checkBoxCorner = 4.0f, checkBoxOutline = 1.1f;
    constexpr float checkMarkThickness = 1.8f, checkBoxTextShift = 0.9f;

    constexpr float chevronThickness = 1.4f;
}

void MenuBarLookAndFeel::setMetricsFromBarHeight (float barHeight)
{
    popupFontHeight = barHeight * fontFraction;
    sectionHeaderFontHeight = barHeight * headerFontFraction;
    popupItemHeight = (int) std::round (barHeight * itemHeightFraction);
}

void MenuBarLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    using namespace MenuBarTheme;
    const juce::Rectangle<float> panel (1.0f, 1.0f, (float) width - 2.0f, (float) height - 2.0f);

    g.setGradientFill (juce::ColourGradient::vertical (Menu::backgroundTop, panel.getY(), Menu::backgroundBottom, panel.getBottom()));
    g.fillRect (panel);
    g.setColour (Menu::outline);
    g.drawRect (panel, 1.0f);
    g.setColour (Menu::innerOutline);
    g.drawRect (juce::Rectangle<float> (3.0f, 3.0f, (float) width - 6.0f, (float) height - 6.0f), 1.0f);
}

juce::Font MenuBarLookAndFeel::getPopupMenuFont()
{
    return MenuBarFonts::make (popupFontHeight);
}

void MenuBarLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                                    int& idealWidth, int& idealHeight)
{
    juce::LookAndFeel_V4::getIdealPopupMenuItemSize (text, isSeparator, standardMenuItemHeight, idealWidth, idealHeight);
    idealHeight = isSeparator ? separatorHeight : popupItemHeight;
}

void MenuBarLookAndFeel::drawPopupMenuSectionHeader (juce::Graphics& g, const juce::Rectangle<int>& area, const juce::String& sectionName)
{
    const int width = area.getWidth() < 2 * headerInset + 1 ? 0 : area.getWidth() - 2 * headerInset;

    g.setColour (MenuBarTheme::Menu::sectionHeader);
    g.setFont (MenuBarFonts::make (sectionHeaderFontHeight, true));
    g.drawText (sectionName.toUpperCase(), area.getX() + headerInset, area.getY(), width, area.getHeight(),
                juce::Justification::centredLeft, true);
}

void MenuBarLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                            bool isSeparator, bool /*isActive*/, bool isHighlighted, bool isTicked, bool hasSubMenu,
                                            const juce::String& text, const juce::String& /*shortcutKeyText*/,
                                            const juce::Drawable* /*icon*/, const juce::Colour* /*textColour*/)
{
    using namespace MenuBarTheme;

    if (isSeparator)
    {
        const int left = area.getX() + separatorInset, right = area.getRight() - separatorInset;

        if (right > left)
        {
            g.setColour (Menu::separator);
            g.fillRect (left, area.getY() + area.getHeight() / 2, right - left, 1);
        }

        return;
    }

    const juce::Rectangle<int> r (area.getX() + itemInsetX, area.getY() + itemInsetY,
                                  juce::jmax (0, area.getWidth() - 2 * itemInsetX), juce::jmax (0, area.getHeight() - 2 * itemInsetY));

    if (isHighlighted)
    {
        g.setColour (Menu::highlight);
        g.fillRect (r);
    }

    const auto textColour = isHighlighted ? Menu::highlightedText : Menu::text;
    auto textBox = juce::Rectangle<int> (r.getX() + textInset, r.getY(),
                                         r.getWidth() < 2 * textInset + 1 ? 0 : r.getWidth() - 2 * textInset, r.getHeight());

    if (text.equalsIgnoreCase (checkBoxItemText))
    {
        const float b = juce::jmin (checkBoxMaxSide, checkBoxFraction * (float) r.getHeight());
        const float x = (float) textBox.getX();
        const float y = (float) r.getY() + ((float) r.getHeight() - b) * 0.5f;
        const juce::Rectangle<float> box (x, y, b, b);

        g.setColour (isTicked ? Menu::checkBoxFillTicked : Menu::checkBoxFill);
        g.fillRoundedRectangle (box, checkBoxCorner);
        g.setColour (isTicked ? Menu::checkBoxOutlineTicked : Menu::checkBoxOutline);
        g.drawRoundedRectangle (box, checkBoxCorner, checkBoxOutline);

        if (isTicked)
        {
            juce::Path tick;
            tick.startNewSubPath (x + 0.22f * b, y + 0.5f * b);
            tick.lineTo (x + 0.43f * b, y + b - 0.22f * b);
            tick.lineTo (x + b - 0.18f * b, y + 0.24f * b);
            g.setColour (Menu::checkMark);
            g.strokePath (tick, juce::PathStrokeType (checkMarkThickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        }

        const int shift = juce::jmin (textBox.getWidth(), juce::roundToInt (checkBoxTextShift * (float) area.getHeight()));
        textBox = textBox.withTrimmedLeft (shift);
    }

    // A ticked item has no tick mark of its own: bold type is its only sign.
    g.setColour (textColour);
    g.setFont (MenuBarFonts::make (popupFontHeight, isTicked));
    g.drawText (text, textBox, juce::Justification::centredLeft, true);

    if (hasSubMenu)
    {
        const float right = (float) r.getRight();
        const float m = (float) (r.getY() + r.getHeight() / 2);
        juce::Path chevron;
        chevron.startNewSubPath (right - 17.0f, m - 4.0f);
        chevron.lineTo (right - 12.5f, m);
        chevron.lineTo (right - 17.0f, m + 4.0f);
        g.strokePath (chevron, juce::PathStrokeType (chevronThickness));
    }
}
