#include "RenderApp.h"

#include "AudioFiles.h"
#include "DemoVoice.h"
#include "Loudness.h"
#include "OrvelHost.h"
#include "Plot.h"
#include "common/ParameterIds.h"
#include "presets/FactoryPresets.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>
#include <unistd.h>

namespace RenderApp
{
namespace
{
    constexpr const char* programName = "orvel-render";
    constexpr const char* defaultDemoFolder = "orvel-demo";
    constexpr const char* defaultDemoPreset = "Podcast";

    enum ExitStatus { success = 0, someFilesFailed = 1, cannotRun = 2 };

    const char* const usage = R"(Usage: orvel-render [OPTION]... -o OUT_DIR FILE...
       orvel-render --demo [-o DIR] [--preset NAME] [--plot]
       orvel-render --list-presets | --list-params | --help

Renders WAV, AIFF and FLAC files through the Orvel plug-in (Orvel.vst3), loaded as a DAW
loads it. Each output keeps its input's name, format, sample rate, channels and bit depth,
and runs on past the input's end by the plug-in's reverb tail. One summary line per file:
input and output integrated loudness, true peak and RMS of the output (ITU-R BS.1770).

Options:
  -o, --output DIR        write the outputs into DIR (created when missing)
  -p, --preset NAME       apply a factory preset (see --list-presets)
      --preset-file FILE  apply a user preset file saved by Orvel; it keeps the input
                          and output gains, as loading it in the plug-in does
  -s, --set ID=VALUE      set a parameter, in its own units, after any preset; repeatable
                          (see --list-params; bypass switches take 0/1 or off/on)
      --plugin PATH       the Orvel.vst3 bundle to load (default: this build's, then
                          ~/.vst3/Orvel.vst3)
      --plot              also write OUT_DIR/NAME.png: waveform envelopes, spectra and
                          short-term loudness of input and output
  -f, --force             replace outputs that already exist
      --demo              synthesise a short voice, render it (preset Podcast unless
                          --preset is given) and write voice-input.wav, voice-output.wav
                          and voice-output.png into DIR (default ./orvel-demo)
      --list-presets      print the factory preset names
      --list-params       print each parameter's id, name, range and default
  -h, --help              print this help

Exit status: 0 when every file was rendered, 1 when any file failed (the others are
still rendered), 2 when nothing could be started (bad option, preset, value, output
folder or plug-in). Inputs are never modified, and an output appears only when complete.
)";

    struct Options
    {
        juce::StringArray inputs, settings;
        juce::String outputFolder, preset, presetFile, plugin;
        bool plot = false, force = false, demo = false, listPresets = false, listParams = false, help = false;
    };

    /** A failure that stops the command before any file is rendered. */
    struct Refusal
    {
        juce::String message;
        bool showHelpHint = false;
    };

    void printLine (FILE* stream, const juce::String& text)
    {
        std::fputs ((text + "\n").toRawUTF8(), stream);
        std::fflush (stream);
    }

    void printError (const juce::String& text) { printLine (stderr, juce::String (programName) + ": " + text); }

    //==============================================================================
    Options parse (const juce::StringArray& args)
    {
        Options o;
        bool onlyFiles = false;

        for (int i = 0; i < args.size(); ++i)
        {
            const auto& arg = args[i];

            if (onlyFiles || arg == "-" || ! arg.startsWithChar ('-'))
            {
                o.inputs.add (arg);
                continue;
            }

            if (arg == "--")
            {
                onlyFiles = true;
                continue;
            }

            // "--name=value" and "--name value" (and "-o value") both work.
            auto name = arg;
            juce::String inlineValue;
            bool hasInlineValue = false;

            if (arg.startsWith ("--") && arg.containsChar ('='))
            {
                name = arg.upToFirstOccurrenceOf ("=", false, false);
                inlineValue = arg.fromFirstOccurrenceOf ("=", false, false);
                hasInlineValue = true;
            }

            const auto value = [&]() -> juce::String
            {
                if (hasInlineValue)
                    return inlineValue;
                if (i + 1 >= args.size())
                    throw Refusal { "option " + name + " needs a value", true };
                return args[++i];
            };

            const auto flag = [&] (bool& target)
            {
                if (hasInlineValue)
                    throw Refusal { "option " + name + " takes no value", true };
                target = true;
            };

            if (name == "-o" || name == "--output")          o.outputFolder = value();
            else if (name == "-p" || name == "--preset")     o.preset = value();
            else if (name == "--preset-file")                o.presetFile = value();
            else if (name == "-s" || name == "--set")        o.settings.add (value());
            else if (name == "--plugin")                     o.plugin = value();
            else if (name == "--plot")                       flag (o.plot);
            else if (name == "-f" || name == "--force")      flag (o.force);
            else if (name == "--demo")                       flag (o.demo);
            else if (name == "--list-presets")               flag (o.listPresets);
            else if (name == "--list-params")                flag (o.listParams);
            else if (name == "-h" || name == "--help")       flag (o.help);
            else throw Refusal { "unknown option " + name, true };
        }

        return o;
    }

    /** Reads a whole text as a finite number in the classic locale, so "0,5" is refused
        instead of being read as 0 under one locale and 0.5 under another. */
    bool readNumber (const juce::String& text, double& result)
    {
        std::istringstream in (text.trim().toStdString());
        in.imbue (std::locale::classic());
        in >> result;
        return ! text.trim().isEmpty() && ! in.fail() && (in >> std::ws).eof() && std::isfinite (result);
    }

    juce::String number (double v, int decimals = 2)
    {
        return std::isfinite (v) ? juce::String (v, decimals) : juce::String (v < 0 ? "-inf" : "inf");
    }

    juce::String rangeText (const OrvelHost::ParameterInfo& p)
    {
        return p.isBool ? juce::String ("0 or 1 (off or on)") : number (p.minimum, 2) + " to " + number (p.maximum, 2);
    }

    juce::String presetNames()
    {
        juce::StringArray names;
        for (const auto& p : FactoryPresets::table)
            names.add (p.name);
        return names.joinIntoString (", ");
    }

    struct Setting
    {
        int index;
        double value;
    };

    /** Checks "ID=VALUE" settings against the plug-in's own parameters. */
    std::vector<Setting> readSettings (const juce::StringArray& texts, const std::vector<OrvelHost::ParameterInfo>& params)
    {
        std::vector<Setting> settings;

        for (const auto& text : texts)
        {
            if (! text.containsChar ('='))
                throw Refusal { "--set " + text + ": expected ID=VALUE, for example outputGain=-6", false };

            const auto id = text.upToFirstOccurrenceOf ("=", false, false).trim();
            const auto valueText = text.fromFirstOccurrenceOf ("=", false, false).trim();
            const int index = ParameterIds::indexOf (id.toRawUTF8());

            if (index < 0)
                throw Refusal { "--set " + text + ": unknown parameter \"" + id + "\" (see --list-params)", false };

            const auto& p = params[(size_t) index];
            double value = 0.0;

            if (p.isBool)
            {
                const auto word = valueText.toLowerCase();

                if (word == "1" || word == "on" || word == "true")
                    value = 1.0;
                else if (word == "0" || word == "off" || word == "false")
                    value = 0.0;
                else
                    throw Refusal { "--set " + text + ": " + id + " is a switch and takes " + rangeText (p), false };
            }
            else
            {
                if (! readNumber (valueText, value))
                    throw Refusal { "--set " + text + ": \"" + valueText + "\" is not a number", false };

                // The plug-in would clamp an out-of-range value without a word; a typo
                // should not quietly become the end of the range.
                if (value < p.minimum - 1e-9 || value > p.maximum + 1e-9)
                    throw Refusal { "--set " + text + ": out of range; " + id + " takes " + rangeText (p), false };
            }

            settings.push_back ({ index, value });
        }

        return settings;
    }

    //==============================================================================
    // An interrupted run removes the file it was writing, so no partial output is left.
    char temporaryPath[4096] = {};

    void removeTemporaryAndExit (int signalNumber)
    {
        if (temporaryPath[0] != 0)
            ::unlink (temporaryPath);

        ::_exit (128 + signalNumber);
    }

    void watchTemporaryFiles()
    {
        AudioFiles::setTemporaryFileObserver ([] (const juce::File& f)
        {
            const auto path = f.getFullPathName();
            temporaryPath[0] = 0;
            if (path.getNumBytesAsUTF8() < sizeof (temporaryPath))
                std::strcpy (temporaryPath, path.toRawUTF8());
        });

        std::signal (SIGINT, removeTemporaryAndExit);
        std::signal (SIGTERM, removeTemporaryAndExit);
    }

    //==============================================================================
    /** A one-line bar on a terminal; nothing at all when stdout is a pipe or a file. */
    class ProgressBar
    {
    public:
        explicit ProgressBar (juce::String label) : name (std::move (label)), enabled (::isatty (STDOUT_FILENO) != 0) {}

        ~ProgressBar() { clear(); }

        void update (double fraction)
        {
            const int percent = juce::jlimit (0, 100, (int) (fraction * 100.0));

            if (! enabled || percent == lastPercent)
                return;

            lastPercent = percent;
            const int width = 30, filled = percent * width / 100;
            std::printf ("\r[%s%s] %3d%%  %s", juce::String::repeatedString ("#", filled).toRawUTF8(),
                         juce::String::repeatedString ("-", width - filled).toRawUTF8(), percent, name.toRawUTF8());
            std::fflush (stdout);
        }

        void clear()
        {
            if (enabled && lastPercent >= 0)
            {
                std::printf ("\r\033[K");
                std::fflush (stdout);
                lastPercent = -1;
            }
        }

    private:
        juce::String name;
        bool enabled;
        int lastPercent = -1;
    };

    //==============================================================================
    struct Job
    {
        juce::File input, output, plot; // plot is empty unless asked for
    };

    class Renderer
    {
    public:
        Renderer (OrvelHost& h, juce::String presetLabel, bool replace)
            : host (h), label (std::move (presetLabel)), force (replace) {}

        /** Renders one file; false after printing why not. */
        bool render (const Job& job, const juce::Array<juce::File>& allInputs)
        {
            juce::String error;

            if (! renderOrExplain (job, allInputs, error))
            {
                printError (job.input.getFullPathName() + ": " + error);
                return false;
            }

            return true;
        }

    private:
        bool isSameFile (const juce::File& a, const juce::File& b) const
        {
            return a == b || (a.exists() && b.exists() && a.getFileIdentifier() == b.getFileIdentifier());
        }

        bool checkTarget (const juce::File& target, const juce::Array<juce::File>& allInputs, juce::String& error)
        {
            for (const auto& input : allInputs)
            {
                if (isSameFile (target, input))
                {
                    error = "output " + target.getFullPathName() + " would overwrite an input; choose another output folder";
                    return false;
                }
            }

            if (written.contains (target))
            {
                error = "output " + target.getFullPathName() + " was already written in this run by another input of the same name";
                return false;
            }

            if (target.isDirectory())
            {
                error = "output " + target.getFullPathName() + " is a folder";
                return false;
            }

            if (target.exists() && ! force)
            {
                error = "output " + target.getFullPathName() + " already exists; use --force to replace it";
                return false;
            }

            return true;
        }

        bool renderOrExplain (const Job& job, const juce::Array<juce::File>& allInputs, juce::String& error)
        {
            if (! checkTarget (job.output, allInputs, error)
                || (job.plot != juce::File() && ! checkTarget (job.plot, allInputs, error)))
                return false;

            AudioFiles::Audio in;

            if (! AudioFiles::read (job.input, in, error))
                return false;

            juce::AudioBuffer<float> out;
            {
                ProgressBar bar (job.input.getFileName());
                out = host.render (in.samples, in.sampleRate, [&] (double f) { bar.update (f); });
            }

            if (! AudioFiles::write (job.output, out, in.sampleRate, in.formatName, in.bitsPerSample, error))
                return false;

            written.add (job.output);

            const auto inLoudness = Loudness::measure (in.samples, in.samples.getNumSamples(), in.sampleRate);
            const auto outLoudness = Loudness::measure (out, out.getNumSamples(), in.sampleRate);

            if (job.plot != juce::File())
            {
                const auto image = Plot::draw ({ in.samples, inLoudness }, { out, outLoudness }, in.sampleRate,
                                               job.input.getFileName() + "  through Orvel  (" + label + ")");

                if (! Plot::writePng (image, job.plot, error))
                    return false;

                written.add (job.plot);
            }

            printLine (stdout, job.input.getFileName() + " -> " + job.output.getFullPathName()
                                   + ": in " + number (inLoudness.integratedLufs, 1) + " LUFS"
                                   + ", out " + number (outLoudness.integratedLufs, 1) + " LUFS"
                                   + ", true peak " + number (outLoudness.truePeakDbtp, 1) + " dBTP"
                                   + ", RMS " + number (outLoudness.rmsDbfs, 1) + " dBFS");
            return true;
        }

        OrvelHost& host;
        juce::String label;
        bool force;
        juce::Array<juce::File> written;
    };

    //==============================================================================
    juce::File resolve (const juce::String& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (path);
    }

    juce::File prepareOutputFolder (const juce::String& path)
    {
        const auto folder = resolve (path);

        if (folder.existsAsFile())
            throw Refusal { "output folder " + folder.getFullPathName() + " is a file", false };

        if (! folder.isDirectory() && ! folder.createDirectory().wasOk())
            throw Refusal { "cannot create the output folder " + folder.getFullPathName(), false };

        if (! AudioFiles::canWriteInto (folder))
            throw Refusal { "output folder " + folder.getFullPathName() + " is not writable", false };

        return folder;
    }

    int runOrThrow (const juce::StringArray& args)
    {
        const auto options = parse (args);

        if (options.help)
        {
            std::fputs (usage, stdout);
            return success;
        }

        if (options.listPresets)
        {
            for (const auto& p : FactoryPresets::table)
                printLine (stdout, p.name);
            return success;
        }

        if (! options.listParams)
        {
            if (options.demo && ! options.inputs.isEmpty())
                throw Refusal { "--demo renders its own voice and takes no input files", true };

            if (! options.demo && options.inputs.isEmpty())
                throw Refusal { "no input files", true };

            if (! options.demo && options.outputFolder.isEmpty())
                throw Refusal { "no output folder; give one with -o DIR", true };

            if (options.preset.isNotEmpty() && options.presetFile.isNotEmpty())
                throw Refusal { "--preset and --preset-file cannot be used together", true };

            if (options.preset.isNotEmpty() && FactoryPresets::find (options.preset.toRawUTF8()) == nullptr)
                throw Refusal { "unknown preset \"" + options.preset + "\"; the factory presets are " + presetNames(), false };
        }

        // The plug-in itself.
        const auto bundle = options.plugin.isNotEmpty() ? resolve (options.plugin) : OrvelHost::defaultBundle();
        juce::String error;
        auto host = OrvelHost::load (bundle, error);

        if (host == nullptr)
            throw Refusal { error, false };

        const auto params = host->describeParameters();

        if (options.listParams)
        {
            for (const auto& p : params)
                printLine (stdout, p.id.paddedRight (' ', 16) + "  " + p.name.paddedRight (' ', 20) + "  "
                                   + rangeText (p).paddedRight (' ', 22) + "  default "
                                   + (p.isBool ? juce::String (p.defaultValue >= 0.5 ? "1" : "0") : number (p.defaultValue, 2)));
            return success;
        }

        const auto settings = readSettings (options.settings, params);
        // Presets first, single values on top of them, as a user would tweak a preset.
        juce::String label = "default settings";
        const auto presetName = options.demo && options.preset.isEmpty() && options.presetFile.isEmpty()
                                  ? juce::String (defaultDemoPreset) : options.preset;

        if (presetName.isNotEmpty())
        {
            host->applyFactoryPreset (presetName);
            label = "preset " + presetName;
        }
        else if (options.presetFile.isNotEmpty())
        {
            const auto file = resolve (options.presetFile);

            if (! host->applyPresetFile (file, error))
                throw Refusal { "preset file " + file.getFullPathName() + ": " + error, false };

            label = "preset file " + file.getFileNameWithoutExtension();
        }

        for (const auto& s : settings)
            host->setValue (s.index, s.value);

        if (! options.settings.isEmpty())
            label += ", " + options.settings.joinIntoString (", ");

        const auto folder = prepareOutputFolder (options.outputFolder.isNotEmpty() ? options.outputFolder
                                                                                    : juce::String (defaultDemoFolder));
        watchTemporaryFiles();

        if (options.demo)
        {
            // The demo's folder is its own: it replaces its three files on every run.
            const auto input = folder.getChildFile ("voice-input.wav");
            const double sampleRate = 48000.0;

            if (! AudioFiles::write (input, DemoVoice::synthesise (sampleRate), sampleRate, "WAV", 24, error))
                throw Refusal { error, false };

            Renderer renderer (*host, label, true);
            const Job job { input, folder.getChildFile ("voice-output.wav"), folder.getChildFile ("voice-output.png") };

            if (! renderer.render (job, { input }))
                return someFilesFailed;

            printLine (stdout, "Demo files in " + folder.getFullPathName() + ": voice-input.wav (synthesised voice), "
                                   + "voice-output.wav (through Orvel, " + label + "), voice-output.png (plot)");
            return success;
        }

        juce::Array<juce::File> inputs;
        for (const auto& path : options.inputs)
            inputs.add (resolve (path));

        Renderer renderer (*host, label, options.force);
        int failures = 0;

        for (const auto& input : inputs)
        {
            const auto output = folder.getChildFile (input.getFileName());
            const auto plot = options.plot ? output.withFileExtension ("png") : juce::File();

            if (! renderer.render ({ input, output, plot }, inputs))
                ++failures;
        }

        if (failures > 0 && inputs.size() > 1)
            printError (juce::String (failures) + " of " + juce::String (inputs.size()) + " files failed");

        return failures == 0 ? success : someFilesFailed;
    }
}

int run (const juce::StringArray& arguments)
{
    try
    {
        return runOrThrow (arguments);
    }
    catch (const Refusal& r)
    {
        printError (r.message);

        if (r.showHelpHint)
            printLine (stderr, juce::String ("Try '") + programName + " --help' for more information.");

        return cannotRun;
    }
}
}
