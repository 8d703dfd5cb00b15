#pragma once

#include <juce_core/juce_core.h>

/** Identity of the product and the editor's geometry, copied by value wherever it is needed. */
struct ProductInfo
{
    juce::String productName { "Orvel" };       ///< Shown to hosts and used as a folder and file name.
    juce::String version { "2.0.0" };           ///< Release version; also names the per-version folder.
    juce::String companyName { "Corvane Audio" };
    juce::String companyFolder { "CorvaneAudio" }; ///< Top folder under the user's application data.

    float initialHeightFraction = 0.7f; ///< Editor height as a share of the display's usable height.
    float aspectRatio = 1.85f;          ///< Editor width divided by height.
    float menuBarFraction = 0.09f;      ///< Share of the editor height taken by the menu bar.
    float minimumWidth = 500.0f;        ///< Smallest editor width in pixels.
    float maximumWidth = 1600.0f;       ///< Largest editor width in pixels.

    /** The company, product and version levels, as a relative path. */
    juce::String getVersionFolderName() const { return companyFolder + "/" + productName + "/version_" + version; }

    /** The per-user folder of this version, under the user's application data folder: it
        holds the presets folder and the settings file. */
    juce::File getUserVersionFolder() const
    {
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile (getVersionFolderName());
    }
};
