#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A button of the menu bar, drawn either as a text pill (when it has a label) or as an icon:
    a drawable of its own or one of the built-in icons. A disabled button draws every colour
    at 35 % of its alpha; a drawable icon is always drawn at full opacity. */
class IconButton : public juce::Button
{
public:
    /** Built-in icons, drawn when the button has neither a label nor a drawable. */
    enum IconType
    {
        noIcon = 0,
        gearIcon = 1,
        undoIcon = 4,
        redoIcon = 5
    };

    /** Creates a button with a component name and no label or icon. */
    explicit IconButton (const juce::String& name);

    /** Sets the pill text; an empty text makes the button an icon button. Repaints. */
    void setLabelText (const juce::String& newText);

    /** The pill text (empty for an icon button). */
    const juce::String& getLabelText() const noexcept { return labelText; }

    /** Takes ownership of a drawable icon, replacing the previous one. Repaints. */
    void setIcon (std::unique_ptr<juce::Drawable> newIcon);

    /** The drawable icon, or nullptr. */
    const juce::Drawable* getIcon() const noexcept { return icon.get(); }

    /** Chooses the built-in icon (one of IconType). */
    void setIconType (int type);

    /** The built-in icon (one of IconType). */
    int getIconType() const noexcept { return iconType; }

    /** Draws the icon at this size in pixels instead of the default size. */
    void setCustomIconSize (float width, float height);

    /** Whether the hover plate is a circle (true) or a rounded square. */
    void setCircularHoverPlate (bool circular);

    /** Whether a plate is drawn while the mouse is over the button or it is held down. */
    void setShowHoverPlate (bool show);

    /** Alpha factor of everything this button draws: 1 when enabled, 0.35 when disabled. */
    float getAlphaFactor() const;

    /** The alpha factor of a disabled button. */
    static constexpr float disabledAlpha = 0.35f;

protected:
    void paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    void paintTextPill (juce::Graphics& g, bool highlighted, bool down, float alpha);
    void paintIcon (juce::Graphics& g, bool highlighted, bool down, float alpha);
    void paintGear (juce::Graphics& g, juce::Rectangle<float> area, float alpha) const;
    void paintArrow (juce::Graphics& g, juce::Rectangle<float> area, bool highlighted, bool down, bool mirrored, float alpha) const;

    juce::String labelText;
    std::unique_ptr<juce::Drawable> icon;
    int iconType = noIcon;
    bool hasCustomIconSize = false;
    float customIconWidth = 0.0f, customIconHeight = 0.0f;
    bool circularHoverPlate = true;
    bool showHoverPlate = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (IconButton)
};
