// Renders Orvel's panel to a PNG, at a chosen size and state, so that anyone can look at it.
//
// Usage: orvel-snapshot [--size WxH] [--preset NAME] [--set ID=VALUE]... [--meters DB] OUT.png

#include "editor/OrvelGUI.h"
#include "presets/FactoryPresets.h"

#include <iostream>

namespace
{
    constexpr const char* usage =
        "Usage: orvel-snapshot [options] OUT.png\n"
        "Renders Orvel's main panel to a PNG image.\n"
        "\n"
        "  --size WxH       size in pixels (default 1347x662)\n"
        "  --preset NAME    apply a factory preset first\n"
        "  --set ID=VALUE   set a parameter to a real value (repeatable), e.g. --set mainBypass=1\n"
        "  --meters DB      play a tone peaking at DB dBFS until the meters settle (default: silence)\n"
        "  --help           show this text\n";

    int fail (const juce::String& message)
    {
        std::cerr << "orvel-snapshot: " << message << "\n" << "Try 'orvel-snapshot --help'.\n";
        return 2;
    }

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
}

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    int width = 1347, height = 662;
    juce::String preset, outputPath;
    juce::StringPairArray values;
    juce::StringArray valueOrder;
    bool meters = false;
    float meterDb = 0.0f;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        auto next = [&] () -> juce::String { return i + 1 < argc ? juce::String (argv[++i]) : juce::String(); };

        if (arg == "--help" || arg == "-h")
        {
            std::cout << usage;
            return 0;
        }
        if (arg == "--size")
        {
            const auto size = next();
            width = size.upToFirstOccurrenceOf ("x", false, true).getIntValue();
            height = size.fromFirstOccurrenceOf ("x", false, true).getIntValue();
            if (width < 1 || height < 1 || width > 8000 || height > 8000)
                return fail ("--size wants WIDTHxHEIGHT between 1 and 8000, e.g. 1347x662");
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
            values.set (id, pair.fromFirstOccurrenceOf ("=", false, false).trim());
            valueOrder.add (id);
        }
        else if (arg == "--meters")
        {
            const auto db = next();
            if (! db.containsOnly ("-+.0123456789") || db.isEmpty())
                return fail ("--meters wants a level in dBFS, e.g. -12");
            meters = true;
            meterDb = db.getFloatValue();
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

    OrvelAudioProcessor processor;
    if (preset.isNotEmpty())
        processor.loadFactoryPreset (preset);
    for (const auto& id : valueOrder)
        processor.setParameterValue (id, values[id].getFloatValue());
    if (meters)
        driveMeters (processor, meterDb);

    OrvelGUI panel (processor);
    panel.setSize (width, height);
    panel.refresh();

    const auto image = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile (outputPath);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;

    if (! out.openedOk() || ! png.writeImageToStream (image, out))
    {
        std::cerr << "orvel-snapshot: cannot write " << file.getFullPathName() << "\n";
        return 1;
    }

    std::cout << file.getFullPathName() << " (" << width << " x " << height << ")\n";
    return 0;
}
