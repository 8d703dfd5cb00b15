#include "editor/EditorSizing.h"

namespace
{
    /** Nearest integer, halves away from zero. */
    int near (float x) { return (int) std::round (x); }

    /** Nearest integer, halves to even (juce::roundToInt). */
    int nearEven (float x) { return juce::roundToInt (x); }

    float aspect (const ProductInfo& info) { return juce::jmax (0.1f, info.aspectRatio); }

    /** Widest and narrowest base widths on a display of width uw. */
    std::pair<int, int> widthRange (int uw, const ProductInfo& info)
    {
        const int hi = juce::jmax (1, juce::jmin (uw, (int) info.maximumWidth));
        const int lo = juce::jmax (1, juce::jmin (hi, (int) info.minimumWidth));
        return { lo, hi };
    }
}

float EditorSizing::scaleFactor (int preset) noexcept
{
    switch (preset)
    {
        case 0: return 0.5f;
        case 1: return 0.75f;
        case 3: return 1.25f;
        case 4: return 1.5f;
        default: return 1.0f;
    }
}

juce::Rectangle<int> EditorSizing::preferredSize (juce::Rectangle<int> userArea, int preset, const ProductInfo& info)
{
    const int uw = userArea.getWidth(), uh = userArea.getHeight();
    const float a = aspect (info), f = scaleFactor (preset);
    const auto [lo, hi] = widthRange (uw, info);

    const int e = nearEven ((float) uh * info.initialHeightFraction * a);
    const int w0 = e < lo ? lo : juce::jmin (hi, e);
    const int h0 = juce::jmax (1, near ((float) w0 / a));

    const int ws = juce::jmax (1, near ((float) w0 * f)), hs = juce::jmax (1, near ((float) h0 * f));
    if (ws <= uw && hs <= uh)
        return { ws, hs };

    // Too big for the display: shrink to fit, keeping the proportions.
    const float k = juce::jmin ((float) uh / (float) hs, (float) uw / (float) ws, 1.0f);
    const int shrunk = juce::jmax (1, near ((float) ws * k));
    int w = shrunk < lo ? lo : juce::jmin (hi, shrunk);
    int h = juce::jmax (1, near ((float) w / a));

    if (h > uh)
    {
        h = uh;
        w = juce::jmax (1, juce::jmin (hi, near ((float) uh * a)));
    }

    return { w, h };
}

EditorSizing::Limits EditorSizing::Limits::including (juce::Rectangle<int> size) const noexcept
{
    auto l = *this;
    l.maxWidth = juce::jmax (l.maxWidth, size.getWidth());
    l.maxHeight = juce::jmax (l.maxHeight, size.getHeight());
    l.minWidth = juce::jmin (l.minWidth, size.getWidth());
    l.minHeight = juce::jmin (l.minHeight, size.getHeight());
    return l;
}

EditorSizing::Limits EditorSizing::limitsFor (juce::Rectangle<int> userArea, const ProductInfo& info)
{
    const float a = aspect (info);
    const auto [minW, maxW] = widthRange (userArea.getWidth(), info);
    const int minH = juce::jmax (1, near ((float) minW / a));
    const int maxH = juce::jmax (minH, near ((float) maxW / a));
    return { minW, minH, maxW, maxH };
}

juce::Rectangle<int> EditorSizing::clampSavedSize (float savedWidth, float savedHeight, juce::Rectangle<int> userArea,
                                                   const ProductInfo& info)
{
    const auto limits = limitsFor (userArea, info);
    const int maxW = juce::jmax (limits.minWidth, userArea.getWidth());
    const int maxH = juce::jmax (limits.minHeight, userArea.getHeight());

    // A stored number that is not finite (a damaged state) counts as the smallest size.
    auto whole = [] (float v) { return std::isfinite (v) ? nearEven (juce::jlimit (-1.0e6f, 1.0e6f, v)) : 0; };
    return { juce::jlimit (limits.minWidth, maxW, whole (savedWidth)), juce::jlimit (limits.minHeight, maxH, whole (savedHeight)) };
}

int EditorSizing::menuBarHeight (int editorHeight, const ProductInfo& info) noexcept
{
    return near ((float) editorHeight * info.menuBarFraction);
}

bool EditorSizing::isStorable (int width, int height, const ProductInfo& info) noexcept
{
    return width >= (int) info.minimumWidth && height >= juce::jmax (1, near (info.minimumWidth / aspect (info)));
}
