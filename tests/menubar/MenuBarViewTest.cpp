#include "menubar/MenuBarTheme.h"
#include "MenuBarTestSupport.h"

#include <cmath>

// What the bar shows: where its buttons sit, what the presets button says, when Undo and
// Redo are enabled, and what actually reaches the screen.

using namespace MenuBarTest;

namespace
{
    const juce::String triangle = juce::String::charToString ((juce::juce_wchar) 0x25BE);

    /** The expected bounds of the five buttons for a bar of W x H, worked out from the
        proportions of the design in float arithmetic (roundf rounds halves away from zero). */
    struct ExpectedLayout
    {
        juce::Rectangle<int> undo, redo, presets, save, settings;
    };

    ExpectedLayout expectedLayout (float W, float H)
    {
        const float pad = std::max (H * 0.12f, 6.0f);
        const float size = std::max (18.0f, H * 0.9f - 2.0f * pad);
        const int s = (int) std::roundf (size);
        const int y = (int) std::roundf ((H - (float) s) * 0.5f);
        const int p = (int) std::roundf (pad);
        const int w = (int) std::roundf (W * 0.24f);
        const float left = W * 0.5f - (float) w * 0.8f;
        const int t = (int) (H * 0.8f);

        return { { (int) std::roundf (W * 0.01f + pad), y, s, s },
                 { p + s + (int) std::max (1.0f, size * 0.2f), y, s, s },
                 { (int) std::roundf (left), p, w, s },
                 { (int) std::roundf (left + (float) w + W * 0.01f), p, (int) std::roundf (H * 1.8f), s },
                 { (int) std::roundf (W * 0.9f), (int) ((H - H * 0.8f) * 0.5f), t, t } };
    }

    /** Largest alpha of any pixel of an image. */
    int maxAlpha (const juce::Image& image)
    {
        int best = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                best = std::max (best, (int) image.getPixelAt (x, y).getAlpha());

        return best;
    }

    /** Writes an image as PNG when ORVEL_SNAPSHOT_DIR names a folder, so a person can look at it. */
    void keepSnapshot (const juce::Image& image, const juce::String& name)
    {
        const auto folder = juce::SystemStats::getEnvironmentVariable ("ORVEL_SNAPSHOT_DIR", {});

        if (folder.isEmpty())
            return;

        const auto file = juce::File (folder).getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (image, out);
    }
}

TEST (MenuBarLayout, ButtonBoundsFollowTheBarSize)
{
    // The editor's bar at 100 % and 50 % of a 1920 x 1040 display, and a bar so low that the
    // minimum button size and pad take over.
    const std::pair<int, int> sizes[] { { 1347, 66 }, { 674, 33 }, { 500, 24 }, { 1600, 10 } };

    for (const auto& [W, H] : sizes)
    {
        SCOPED_TRACE (juce::String (W) + " x " + juce::String (H));
        MenuBar bar;
        bar.setSize (W, H);
        const auto e = expectedLayout ((float) W, (float) H);

        EXPECT_EQ (bar.getUndoButton().getBounds(), e.undo);
        EXPECT_EQ (bar.getRedoButton().getBounds(), e.redo);
        EXPECT_EQ (bar.getPresetButton().getBounds(), e.presets);
        EXPECT_EQ (bar.getSaveButton().getBounds(), e.save);
        EXPECT_EQ (bar.getSettingsButton().getBounds(), e.settings);
        EXPECT_GE (bar.getUndoButton().getWidth(), 18);

        EXPECT_FLOAT_EQ (bar.getMenuLookAndFeel().getPopupFontHeight(), (float) H * 0.28f);
        EXPECT_FLOAT_EQ (bar.getMenuLookAndFeel().getSectionHeaderFontHeight(), (float) H * 0.32f);
        EXPECT_EQ (bar.getMenuLookAndFeel().getPopupItemHeight(), (int) std::roundf ((float) H * 0.33f));
    }

    // The worked numbers for the editor's default bar, for a reader to check by hand.
    MenuBar bar;
    bar.setSize (1347, 66);
    EXPECT_EQ (bar.getUndoButton().getBounds(), juce::Rectangle<int> (21, 11, 44, 44));
    EXPECT_EQ (bar.getRedoButton().getBounds(), juce::Rectangle<int> (60, 11, 44, 44));
    EXPECT_EQ (bar.getPresetButton().getBounds(), juce::Rectangle<int> (415, 8, 323, 44));
    EXPECT_EQ (bar.getSaveButton().getBounds(), juce::Rectangle<int> (752, 8, 119, 44));
    EXPECT_EQ (bar.getSettingsButton().getBounds(), juce::Rectangle<int> (1212, 6, 52, 52));
}

TEST (MenuBarLayout, SettingsButtonIsShownOnlyWhenTheEditorAsksForIt)
{
    TestSupport::ScopedConfigHome home;

    MenuBar plain;
    plain.initialiseSettings (ProductInfo {});
    plain.setOnResolutionModeChanged ([] (MenuBar::ResolutionMode) {});
    EXPECT_FALSE (plain.getSettingsButton().isVisible());
    EXPECT_TRUE (plain.getPresetButton().isVisible());

    MenuBar enabled;
    enabled.enableDisplaySizeMenu();
    EXPECT_TRUE (enabled.getSettingsButton().isVisible());

    MenuBar withCallback;
    withCallback.setOnGuiScalePresetChanged ([] (MenuBar::GuiScalePreset) {});
    EXPECT_TRUE (withCallback.getSettingsButton().isVisible());
}

TEST (MenuBarLabel, PresetsButtonText)
{
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    MenuBar bar;

    EXPECT_EQ (bar.getPresetButton().getLabelText(), "Presets  " + triangle) << "no processor";

    bar.setPresettableProcessor (&processor);

    struct Case { const char* name; bool modified; juce::String shown; };
    const Case cases[] {
        { "Warm", false, "Warm  " + triangle },
        { "Warm", true, "Warm *  " + triangle },
        { "Preset", false, "Presets  " + triangle },
        { "Preset", true, "Preset *  " + triangle },
        { "", false, "Presets  " + triangle },
        { "  Lead Vox  ", false, "Lead Vox  " + triangle },
        { "Lead Vox (dry)", true, "Lead Vox (dry) *  " + triangle },
    };

    for (const auto& c : cases)
    {
        processor.setPresetInfo (c.name, true, c.modified);
        bar.timerCallback();
        EXPECT_EQ (bar.getPresetButton().getLabelText(), c.shown) << '"' << c.name << "\" modified " << c.modified;
    }

    // A parameter change marks the preset modified; the label follows within one tick.
    processor.loadFactoryPreset ("Dark");
    bar.timerCallback();
    EXPECT_EQ (bar.getPresetButton().getLabelText(), "Dark  " + triangle);
    TestSupport::setParam (processor, "compThresh", -30.0f);
    pump (MenuBar::refreshIntervalMs * 2 + 50);
    EXPECT_EQ (bar.getPresetButton().getLabelText(), "Dark *  " + triangle) << "the bar's own timer refreshes the label";
}

TEST (MenuBarUndoRedo, ButtonsFollowTheProcessorWithinOneTick)
{
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    MenuBar bar;

    EXPECT_FALSE (bar.getUndoButton().isEnabled());
    EXPECT_FALSE (bar.getRedoButton().isEnabled());

    bar.setPresettableProcessor (&processor);
    EXPECT_FALSE (bar.getUndoButton().isEnabled());
    EXPECT_FALSE (bar.getRedoButton().isEnabled());

    processor.beginUndoTransaction ("Adjust threshold");
    TestSupport::setParam (processor, "compThresh", -30.0f);
    processor.commitUndoTransaction();
    ASSERT_TRUE (processor.canUndo());

    bar.timerCallback();
    EXPECT_TRUE (bar.getUndoButton().isEnabled());
    EXPECT_FALSE (bar.getRedoButton().isEnabled());

    // Clicking Undo steps back; the next tick enables Redo and disables Undo.
    bar.getUndoButton().onClick();
    EXPECT_FLOAT_EQ (processor.getParameterValue ("compThresh"), -18.0f);
    bar.timerCallback();
    EXPECT_FALSE (bar.getUndoButton().isEnabled());
    EXPECT_TRUE (bar.getRedoButton().isEnabled());

    // The bar's own timer does the same without being called by hand.
    bar.getRedoButton().onClick();
    EXPECT_FLOAT_EQ (processor.getParameterValue ("compThresh"), -30.0f);
    pump (MenuBar::refreshIntervalMs * 2 + 50);
    EXPECT_TRUE (bar.getUndoButton().isEnabled());
    EXPECT_FALSE (bar.getRedoButton().isEnabled());

    // Without a processor both buttons are off and clicking them does nothing.
    bar.setPresettableProcessor (nullptr);
    EXPECT_FALSE (bar.getUndoButton().isEnabled());
    bar.getUndoButton().onClick();
    EXPECT_FLOAT_EQ (processor.getParameterValue ("compThresh"), -30.0f);
}

TEST (MenuBarPixels, DisabledArrowIsDrawnAtReducedAlphaWhileTheGearDrawableIsNot)
{
    MenuBar bar;
    bar.setSize (1347, 66);
    bar.enableDisplaySizeMenu();

    auto& undo = bar.getUndoButton();
    undo.setEnabled (true);
    const int enabledAlpha = maxAlpha (undo.createComponentSnapshot (undo.getLocalBounds()));
    undo.setEnabled (false);
    const int disabledAlpha = maxAlpha (undo.createComponentSnapshot (undo.getLocalBounds()));

    // Where the arrow fully covers a pixel it is opaque. Disabled, the arrow (alpha 0.35) lies
    // over its own shadow (alpha 0.3 x 0.35) there, and the two compose to the figure below.
    EXPECT_EQ (enabledAlpha, 255);
    const double arrow = 0.35, shadow = 0.3 * 0.35;
    EXPECT_NEAR (disabledAlpha, 255.0 * (1.0 - (1.0 - arrow) * (1.0 - shadow)), 2.0);

    // The gear is a drawable and keeps its full colour even on a disabled button.
    auto& gear = bar.getSettingsButton();
    gear.setEnabled (false);
    EXPECT_EQ (maxAlpha (gear.createComponentSnapshot (gear.getLocalBounds())), 255);
}

TEST (MenuBarPixels, GearDrawableHasSixTeethAndAHole)
{
    const auto xml = juce::XmlDocument::parse (MenuBar::makeGearSvg());
    ASSERT_NE (xml, nullptr);
    const auto drawable = juce::Drawable::createFromSVG (*xml);
    ASSERT_NE (drawable, nullptr);

    // The outline spans x from about 2.7 to 21.3 and y from about 2.4 to 21.6 of the 24 x 24 box.
    const auto b = drawable->getDrawableBounds();
    EXPECT_NEAR (b.getX(), 2.7f, 0.1f);
    EXPECT_NEAR (b.getRight(), 21.3f, 0.1f);
    EXPECT_NEAR (b.getY(), 2.4f, 0.1f);
    EXPECT_NEAR (b.getBottom(), 21.6f, 0.1f);

    // Render the bar and sample its gear along circles around the gear's centre: the hole
    // (radius 1.5 of 24) shows the bar, the body (radius 5.4) is solid, and just outside the
    // body (radius 8.6) there are six teeth at 30 + 60 k degrees with gaps between them.
    MenuBar bar;
    bar.setSize (1347, 66);
    bar.enableDisplaySizeMenu();
    const auto image = bar.createComponentSnapshot (bar.getLocalBounds());
    const auto area = bar.getSettingsButton().getBounds().toFloat();
    const float iconSide = 66.0f * 0.8f * 0.5f;
    const float unit = iconSide / std::max (b.getWidth(), b.getHeight()); // the outline is fitted into the icon square
    const auto centre = area.getCentre();

    const auto isGear = [&] (float radius, float degrees)
    {
        const float a = juce::degreesToRadians (degrees);
        const auto c = image.getPixelAt ((int) std::floor (centre.x + radius * unit * std::cos (a)),
                                         (int) std::floor (centre.y + radius * unit * std::sin (a)));
        return c.getBrightness() > 0.6f;
    };

    EXPECT_EQ (image.getPixelAt (2, 2), MenuBarTheme::Bar::background) << "the bar is filled with its background";
    EXPECT_FALSE (isGear (1.5f, 0.0f)) << "hole";

    for (int k = 0; k < 6; ++k)
    {
        const float tooth = 30.0f + 60.0f * (float) k;
        EXPECT_TRUE (isGear (5.4f, tooth + 10.0f)) << "body at " << tooth + 10.0f;
        EXPECT_TRUE (isGear (8.6f, tooth)) << "tooth at " << tooth;
        EXPECT_FALSE (isGear (8.6f, tooth + 30.0f)) << "gap at " << tooth + 30.0f;
    }
}

TEST (MenuBarPixels, SnapshotsForReview)
{
    // Renders the bar at the editor's 100 % and 50 % sizes and an open save dialog. The
    // images are written out only when ORVEL_SNAPSHOT_DIR is set; the checks below hold
    // either way.
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    processor.loadFactoryPreset ("Warm");
    TestSupport::setParam (processor, "compThresh", -30.0f);

    for (const auto& [W, H] : { std::pair<int, int> { 1347, 66 }, std::pair<int, int> { 674, 33 } })
    {
        MenuBar bar;
        bar.setPresettableProcessor (&processor);
        bar.enableDisplaySizeMenu();
        bar.setSize (W, H);
        const auto image = bar.createComponentSnapshot (bar.getLocalBounds());
        keepSnapshot (image, "menubar-" + juce::String (W) + "x" + juce::String (H) + ".png");

        // The presets pill is drawn in its fill colour next to its left edge, halfway down.
        const auto pill = bar.getPresetButton().getBounds();
        EXPECT_EQ (image.getPixelAt (pill.getX() + 3, pill.getCentreY()), MenuBarTheme::Pill::normal);
    }

    TestEditor editor (processor);
    editor.show();
    editor.bar.showSaveDialog();
    pump (50);
    auto* dialog = openDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getParentComponent(), &editor) << "dialogs live inside the editor";
    keepSnapshot (dialog->createComponentSnapshot (dialog->getLocalBounds()), "menubar-save-dialog.png");
    keepSnapshot (editor.createComponentSnapshot (editor.getLocalBounds()), "menubar-editor-with-dialog.png");
    press ("Cancel");
}

TEST (MenuBarPixels, MenuDrawsTheMakeDefaultCheckBoxAndTheChosenSize)
{
    // Paint the display-size menu as the menu window would: background, header, items.
    MenuBarLookAndFeel look;
    look.setMetricsFromBarHeight (66.0f);
    const int width = 185, rowHeight = look.getPopupItemHeight();
    const int headerRow = 0, ticked100Row = 3, separatorRow = 6, makeDefaultRow = 7;

    const auto paintMenu = [&] (bool autoSave)
    {
        juce::Image image (juce::Image::ARGB, width, rowHeight * 8 + 8, true);
        juce::Graphics g (image);
        look.drawPopupMenuBackground (g, image.getWidth(), image.getHeight());
        const juce::StringArray texts { "Display Size", "50%", "75%", "100%", "125%", "150%", "", "Make Default" };

        for (int row = 0; row < texts.size(); ++row)
        {
            const juce::Rectangle<int> area (0, 4 + row * rowHeight, width, row == separatorRow ? 6 : rowHeight);

            if (row == headerRow)
                look.drawPopupMenuSectionHeader (g, area, texts[row]);
            else
                look.drawPopupMenuItem (g, area, row == separatorRow, true, row == 1, row == ticked100Row || (row == makeDefaultRow && autoSave),
                                        false, texts[row], {}, nullptr, nullptr);
        }

        return image;
    };

    const auto off = paintMenu (false), on = paintMenu (true);
    keepSnapshot (on, "menubar-settings-menu.png");

    // The check mark is the brightest thing in the box: count near-white pixels in it.
    const auto countBright = [&] (const juce::Image& image)
    {
        const int top = 4 + makeDefaultRow * rowHeight;
        int n = 0;

        for (int y = top; y < top + rowHeight; ++y)
            for (int x = 16; x < 16 + 20; ++x)
                n += image.getPixelAt (x, y).getBrightness() > 0.8f ? 1 : 0;

        return n;
    };

    EXPECT_EQ (countBright (off), 0) << "no check mark while Make Default is off";
    EXPECT_GT (countBright (on), 10) << "a check mark while it is on";
}
