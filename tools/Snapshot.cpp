// Renders Orvel's editor (or its main panel alone) to a PNG, at a chosen size and state, with
// an open menu or dialog if asked, so that anyone can look at it.
//
// Usage: orvel-snapshot [options] OUT.png        (orvel-snapshot --help for the options)

#include "editor/OrvelAudioProcessorEditor.h"
#include "presets/FactoryPresets.h"

#include <cstdlib>
#include <iostream>

namespace
{
    constexpr const char* usage =
        "Usage: orvel-snapshot [options] OUT.png\n"
        "Renders Orvel's editor to a PNG image.\n"
        "\n"
        "  --panel          the main panel alone instead of the whole editor\n"
        "  --size WxH       size in pixels (default: the editor's own size, 1347x662 for the panel)\n"
        "  --scale PERCENT  display size chosen in the settings menu: 50, 75, 100, 125 or 150\n"
        "  --preset NAME    apply a factory preset first\n"
        "  --set ID=VALUE   set a parameter to a real value (repeatable), e.g. --set mainBypass=1\n"
        "  --meters DB      play a tone peaking at DB dBFS until the meters settle (default: silence)\n"
        "  --menu WHICH     show an open menu: presets or settings (needs a display)\n"
        "  --dialog WHICH   show a dialog: save, overwrite, delete, rename or success\n"
        "                   (user presets go to a scratch folder, never yours)\n"
        "  --help           show this text\n";

    int fail (const juce::String& message)
    {
        std::cerr << "orvel-snapshot: " << message << "\n" << "Try 'orvel-snapshot --help'.\n";
        return 2;
    }

    // JUCE installs its X error handlers only for an application; an absent one is enough.
    juce::JUCEApplicationBase* createNoApplication() { return nullptr; }

    void pump (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

    /** Plays a sine through the processor long enough for the level ballistics to settle. */
    void driveMeters (OrvelAudioProcessor& processor, float peakDb)
    {
        constexpr double rate = 48000.0;
        constexpr int block = 512;
        processor.setPlayConfigDetails (2, 2, rate, block);
        processor.prepareToPlay (rate, block);

        const float amplitude = juce::Decibels::decibelsToGain (peakDb);
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer midi;
        double phase = 0.0;

        for (int b = 0; b < (int) (3.0 * rate / block); ++b)
        {
            for (int i = 0; i < block; ++i, phase += 220.0 / rate)
                for (int ch = 0; ch < 2; ++ch)
                    buffer.setSample (ch, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * phase));

            processor.processBlock (buffer, midi);
        }
    }

    /** Points the user's home at a scratch folder, so dialogs that save presets touch no real files. */
    juce::File useScratchHome()
    {
        auto home = juce::File::createTempFile ("orvel-snapshot-home");
        home.getChildFile (".config").createDirectory();
        ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_CONFIG_HOME", home.getChildFile (".config").getFullPathName().toRawUTF8(), 1);
        return home;
    }

    /** The component drawn together with every window that floats over it (menus), on a
        canvas large enough for both: a menu may reach past the editor's edge. */
    juce::Image renderWithFloatingWindows (juce::Component& c)
    {
        auto& desktop = juce::Desktop::getInstance();
        const auto origin = c.getScreenPosition();
        juce::Array<juce::Component*> windows;
        auto canvas = c.getLocalBounds();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
        {
            auto* window = desktop.getComponent (i);
            if (window != nullptr && window != &c && window->isVisible())
            {
                windows.add (window);
                canvas = canvas.getUnion (window->getScreenBounds() - origin);
            }
        }

        juce::Image image (juce::Image::ARGB, canvas.getWidth(), canvas.getHeight(), true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        g.drawImageAt (c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f), -canvas.getX(), -canvas.getY());

        for (auto* window : windows)
        {
            const auto at = window->getScreenPosition() - origin - canvas.getPosition();
            g.drawImageAt (window->createComponentSnapshot (window->getLocalBounds(), true, 1.0f), at.x, at.y);
        }

        return image;
    }

    bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        return out.openedOk() && png.writeImageToStream (image, out);
    }
}

int main (int argc, char** argv)
{
    juce::JUCEApplicationBase::createInstance = &createNoApplication;

    int width = 0, height = 0, scale = 100;
    bool panelOnly = false, meters = false;
    float meterDb = 0.0f;
    juce::String preset, menu, dialog, outputPath;
    juce::StringArray ids, values;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        auto next = [&] () -> juce::String { return i + 1 < argc ? juce::String (argv[++i]) : juce::String(); };

        if (arg == "--help" || arg == "-h")
        {
            std::cout << usage;
            return 0;
        }
        if (arg == "--panel")
            panelOnly = true;
        else if (arg == "--size")
        {
            const auto size = next();
            width = size.upToFirstOccurrenceOf ("x", false, true).getIntValue();
            height = size.fromFirstOccurrenceOf ("x", false, true).getIntValue();
            if (width < 1 || height < 1 || width > 8000 || height > 8000)
                return fail ("--size wants WIDTHxHEIGHT between 1 and 8000, e.g. 1347x662");
        }
        else if (arg == "--scale")
        {
            scale = next().getIntValue();
            if (! juce::StringArray { "50", "75", "100", "125", "150" }.contains (juce::String (scale)))
                return fail ("--scale wants 50, 75, 100, 125 or 150");
        }
        else if (arg == "--preset")
        {
            preset = next();
            if (FactoryPresets::find (preset.toRawUTF8()) == nullptr)
                return fail ("no factory preset named \"" + preset + "\"");
        }
        else if (arg == "--set")
        {
            const auto pair = next();
            const auto id = pair.upToFirstOccurrenceOf ("=", false, false).trim();
            if (ParameterIds::indexOf (id.toRawUTF8()) < 0 || ! pair.contains ("="))
                return fail ("--set wants ID=VALUE with a parameter identifier such as compThresh, not \"" + pair + "\"");
            ids.add (id);
            values.add (pair.fromFirstOccurrenceOf ("=", false, false).trim());
        }
        else if (arg == "--meters")
        {
            const auto db = next();
            if (db.isEmpty() || ! db.containsOnly ("-+.0123456789"))
                return fail ("--meters wants a level in dBFS, e.g. -12");
            meters = true;
            meterDb = db.getFloatValue();
        }
        else if (arg == "--menu")
        {
            menu = next();
            if (menu != "presets" && menu != "settings")
                return fail ("--menu wants presets or settings");
        }
        else if (arg == "--dialog")
        {
            dialog = next();
            if (! juce::StringArray { "save", "overwrite", "delete", "rename", "success" }.contains (dialog))
                return fail ("--dialog wants save, overwrite, delete, rename or success");
        }
        else if (arg.startsWith ("-"))
            return fail ("unknown option " + arg);
        else if (outputPath.isEmpty())
            outputPath = arg;
        else
            return fail ("only one output file, please");
    }

    if (outputPath.isEmpty())
        return fail ("no output file given");
    if (panelOnly && (menu.isNotEmpty() || dialog.isNotEmpty()))
        return fail ("menus and dialogs belong to the whole editor, not --panel");

    const auto output = juce::File::getCurrentWorkingDirectory().getChildFile (outputPath);
    const auto scratchHome = dialog.isNotEmpty() ? useScratchHome() : juce::File();
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    if (menu.isNotEmpty() && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return fail ("--menu needs a display; run it under xvfb-run");

    OrvelAudioProcessor processor;
    if (preset.isNotEmpty())
        processor.loadFactoryPreset (preset);
    for (int i = 0; i < ids.size(); ++i)
        processor.setParameterValue (ids[i], values[i].getFloatValue());
    if (meters)
        driveMeters (processor, meterDb);

    juce::Image image;

    if (panelOnly)
    {
        OrvelGUI panel (processor);
        panel.setSize (width > 0 ? width : 1347, height > 0 ? height : 662);
        panel.refresh();
        image = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);
    }
    else
    {
        const std::map<int, MenuBar::GuiScalePreset> scales { { 50, MenuBar::scale50 }, { 75, MenuBar::scale75 }, { 100, MenuBar::scale100 },
                                                               { 125, MenuBar::scale125 }, { 150, MenuBar::scale150 } };
        auto editor = std::make_unique<OrvelAudioProcessorEditor> (processor);
        auto& bar = editor->getMenuBar();
        bar.handleSettingsMenuResult (MenuBar::firstScaleItemId + scales.at (scale));

        if (width > 0)
            editor->setSize (width, height);

        editor->getPanel().refresh();

        if (menu.isNotEmpty() || dialog.isNotEmpty())
        {
            if (dialog == "overwrite" || dialog == "delete" || dialog == "rename")
                processor.saveUserPreset ("Lead Vox");

            editor->setTopLeftPosition (0, 0);
            if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
            {
                editor->addToDesktop (0);
                editor->setVisible (true);
                editor->grabKeyboardFocus();
                pump (300);
            }

            if (menu == "presets")         bar.showPresetsMenu();
            else if (menu == "settings")   bar.showSettingsMenu();
            else if (dialog == "save")     bar.showSaveDialog();
            else if (dialog == "overwrite") bar.savePreset ("Lead Vox");
            else if (dialog == "delete")   bar.confirmDelete ("Lead Vox");
            else if (dialog == "rename")   bar.showRenameDialog ("Lead Vox");
            else if (dialog == "success")  bar.showSuccessMessage ("Success", "Preset \"Lead Vox\" has been saved.");

            pump (400);
        }

        image = renderWithFloatingWindows (*editor);
        editor.reset();
    }

    if (scratchHome.exists())
        scratchHome.deleteRecursively();

    if (! writePng (image, output))
    {
        std::cerr << "orvel-snapshot: cannot write " << output.getFullPathName() << "\n";
        return 1;
    }

    std::cout << output.getFullPathName() << " (" << image.getWidth() << " x " << image.getHeight() << ")\n";
    return 0;
}
