#include "editor/BrandLogoSimple.h"

const char* BrandLogoSimple::getSvgText() noexcept
{
    // A disc of radius 45 around (50, 50) with a thin zig-zag band cut out of it across the
    // middle: seven peaks and troughs between y = 23 and y = 79. The even-odd rule makes the
    // band a hole, so the panel shows through the waveform.
    return R"svg(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100" width="100" height="100">
  <path transform="translate(0 0.152567)" fill="#27374D" fill-rule="evenodd"
        d="M50 5 A45 45 0 1 1 50 95 A45 45 0 1 1 50 5 Z
           M10 47.8 L18 47.8 L24 33.8 L31 63.8 L39 22.8 L47 74.8 L55 26.8 L63 69.8 L70 36.8 L77 58.8 L83 47.8 L91 47.8
           L91 52.2 L83 52.2 L77 63.2 L70 41.2 L63 74.2 L55 31.2 L47 79.2 L39 27.2 L31 68.2 L24 38.2 L18 52.2 L10 52.2 Z"/>
</svg>)svg";
}

BrandLogoSimple::BrandLogoSimple()
{
    if (auto xml = juce::XmlDocument::parse (getSvgText()))
        drawable = juce::Drawable::createFromSVG (*xml);
}

void BrandLogoSimple::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::transparentBlack);

    if (drawable != nullptr)
        drawable->drawWithin (g, getLocalBounds().toFloat(),
                              juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
}
