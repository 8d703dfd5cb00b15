#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_graphics/juce_graphics.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <sys/wait.h>

namespace
{
    constexpr double tailSeconds = 1.5; // the plug-in's tail length

    struct RunResult
    {
        int status = -1;
        std::string out, err;
    };

    std::string quote (const juce::String& s)
    {
        return "'" + s.replace ("'", "'\\''").toStdString() + "'";
    }

    /** Runs the built tool in a folder, with stdout and stderr caught apart. */
    RunResult runTool (const juce::File& folder, const juce::StringArray& args)
    {
        const auto outFile = folder.getParentDirectory().getNonexistentChildFile ("stdout", ".txt");
        const auto errFile = folder.getParentDirectory().getNonexistentChildFile ("stderr", ".txt");
        std::string command = "cd " + quote (folder.getFullPathName()) + " && " + quote (ORVEL_RENDER_TOOL);

        for (const auto& a : args)
            command += " " + quote (a);

        command += " > " + quote (outFile.getFullPathName()) + " 2> " + quote (errFile.getFullPathName()) + " < /dev/null";
        const int raw = std::system (command.c_str());

        RunResult r;
        r.status = WIFEXITED (raw) ? WEXITSTATUS (raw) : -1;
        r.out = outFile.loadFileAsString().toStdString();
        r.err = errFile.loadFileAsString().toStdString();
        outFile.deleteFile();
        errFile.deleteFile();
        return r;
    }

    std::unique_ptr<juce::AudioFormat> makeFormat (const juce::String& name)
    {
        if (name == "AIFF") return std::make_unique<juce::AiffAudioFormat>();
        if (name == "FLAC") return std::make_unique<juce::FlacAudioFormat>();
        return std::make_unique<juce::WavAudioFormat>();
    }

    void writeAudio (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate,
                     int bits = 32, const juce::String& format = "WAV")
    {
        file.deleteFile();
        auto f = makeFormat (format);
        std::unique_ptr<juce::AudioFormatWriter> writer (f->createWriterFor (new juce::FileOutputStream (file), sampleRate,
                                                                             (unsigned) audio.getNumChannels(), bits, {}, 0));
        ASSERT_NE (writer, nullptr) << file.getFullPathName();
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
    }

    struct FileAudio
    {
        juce::AudioBuffer<float> samples;
        double sampleRate = 0.0;
        int bits = 0;
        juce::String format;
    };

    FileAudio readAudio (const juce::File& file)
    {
        juce::AudioFormatManager manager;
        manager.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader (manager.createReaderFor (file));
        FileAudio a;

        if (reader == nullptr)
        {
            ADD_FAILURE() << "cannot read " << file.getFullPathName();
            return a;
        }

        a.samples.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&a.samples, 0, (int) reader->lengthInSamples, 0, true, true);
        a.sampleRate = reader->sampleRate;
        a.bits = (int) reader->bitsPerSample;
        a.format = reader->getFormatName();
        return a;
    }

    /** A voice-band test signal: a few partials, some noise and a level change per channel. */
    juce::AudioBuffer<float> testSignal (int channels, double sampleRate, double seconds, float level = 0.3f)
    {
        juce::AudioBuffer<float> b (channels, (int) (seconds * sampleRate));
        std::minstd_rand random (7);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < b.getNumSamples(); ++i)
            {
                const double t = i / sampleRate;
                const double s = std::sin (juce::MathConstants<double>::twoPi * (180.0 + 40 * ch) * t)
                               + 0.5 * std::sin (juce::MathConstants<double>::twoPi * 2300.0 * t)
                               + 0.3 * std::sin (juce::MathConstants<double>::twoPi * 7100.0 * t);
                const float swell = t < seconds * 0.5 ? 0.4f : 1.0f;
                b.setSample (ch, i, level * swell * (float) (0.5 * s + 0.15 * noise (random)));
            }

        return b;
    }

    juce::AudioBuffer<float> sine (int channels, double sampleRate, double seconds, double hz, float peak, bool onlyFirst = false)
    {
        juce::AudioBuffer<float> b (channels, (int) (seconds * sampleRate));
        b.clear();

        for (int ch = 0; ch < (onlyFirst ? 1 : channels); ++ch)
            for (int i = 0; i < b.getNumSamples(); ++i)
                b.setSample (ch, i, peak * (float) std::sin (juce::MathConstants<double>::twoPi * hz * i / sampleRate));

        return b;
    }

    /** Every file of a folder (hidden ones too) with its content, to see what a run left. */
    std::map<juce::String, juce::MemoryBlock> snapshot (const juce::File& folder)
    {
        std::map<juce::String, juce::MemoryBlock> files;

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*"))
        {
            juce::MemoryBlock content;
            if (f.existsAsFile())
                f.loadFileAsData (content);
            files[f.getRelativePathFrom (folder)] = content;
        }

        return files;
    }

    double parseAfter (const std::string& text, const std::string& label)
    {
        std::smatch m;
        const std::regex pattern (label + " (-?[0-9.]+|-inf)");

        if (! std::regex_search (text, m, pattern))
        {
            ADD_FAILURE() << "no \"" << label << "\" in: " << text;
            return NAN;
        }

        return m[1] == "-inf" ? -HUGE_VAL : std::stod (m[1]);
    }

    class RenderTool : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            root = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("orvel-render-test", "");
            ASSERT_TRUE (root.createDirectory().wasOk());
            work = root.getChildFile ("work");
            work.createDirectory();
        }

        void TearDown() override { root.deleteRecursively(); }

    public:
        juce::File file (const juce::String& name) const { return work.getChildFile (name); }

        /** Renders one file with extra arguments into a fresh folder and returns the output. */
        FileAudio render (const juce::String& input, const juce::StringArray& extra = {})
        {
            const auto out = work.getNonexistentChildFile ("out", "");
            juce::StringArray args { input, "-o", out.getFileName() };
            args.addArray (extra);
            const auto r = runTool (work, args);
            EXPECT_EQ (r.status, 0) << r.err;
            return readAudio (out.getChildFile (input));
        }

        juce::File root, work;
    };

    /** Processes samples through the built plug-in, hosted here, in the tool's 512-sample
        blocks, followed by the tail. */
    juce::AudioBuffer<float> processInHostedPlugin (const juce::AudioBuffer<float>& input, double sampleRate)
    {
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> types;
        format.findAllTypesForFile (types, ORVEL_VST3_BUNDLE);
        juce::String error;
        auto plugin = types.isEmpty() ? nullptr : format.createInstanceFromDescription (*types[0], sampleRate, 512, error);

        if (plugin == nullptr)
        {
            ADD_FAILURE() << "cannot host " << ORVEL_VST3_BUNDLE << ": " << error;
            return {};
        }

        const int channels = input.getNumChannels();
        const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        EXPECT_TRUE (plugin->setBusesLayout (layout));
        plugin->prepareToPlay (sampleRate, 512);

        // The plug-in as it sounds once running: a fresh instance fades in over its first block,
        // so it plays one block, is stopped and is prepared again before the signal starts.
        juce::AudioBuffer<float> silence (channels, 512);
        silence.clear();
        juce::MidiBuffer none;
        plugin->processBlock (silence, none);
        plugin->releaseResources();
        plugin->prepareToPlay (sampleRate, 512);

        const int total = input.getNumSamples() + (int) std::ceil (tailSeconds * sampleRate);
        juce::AudioBuffer<float> all (channels, total);
        all.clear();

        for (int ch = 0; ch < channels; ++ch)
            all.copyFrom (ch, 0, input, ch, 0, input.getNumSamples());

        juce::MidiBuffer midi;

        for (int start = 0; start < total; start += 512)
        {
            juce::AudioBuffer<float> block (all.getArrayOfWritePointers(), channels, start, juce::jmin (512, total - start));
            plugin->processBlock (block, midi);
        }

        plugin->releaseResources();
        return all;
    }

    void expectSameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int length)
    {
        ASSERT_EQ (a.getNumChannels(), b.getNumChannels());
        ASSERT_GE (a.getNumSamples(), length);
        ASSERT_GE (b.getNumSamples(), length);
        int mismatches = 0;

        for (int ch = 0; ch < a.getNumChannels(); ++ch)
            for (int i = 0; i < length; ++i)
                if (a.getSample (ch, i) != b.getSample (ch, i) && mismatches++ < 3)
                    ADD_FAILURE() << "channel " << ch << " sample " << i << ": " << a.getSample (ch, i) << " vs " << b.getSample (ch, i);

        EXPECT_EQ (mismatches, 0);
    }
}

//==============================================================================
TEST_F (RenderTool, DemoWritesItsInputOutputAndPlotAndSaysWhere)
{
    const auto r = runTool (work, { "--demo", "-o", "demo" });
    ASSERT_EQ (r.status, 0) << r.err;

    const auto folder = work.getChildFile ("demo");
    EXPECT_NE (r.out.find ("Demo files in " + folder.getFullPathName().toStdString()), std::string::npos) << r.out;

    const auto files = snapshot (folder);
    ASSERT_EQ (files.size(), 3u);

    const auto in = readAudio (folder.getChildFile ("voice-input.wav"));
    const auto out = readAudio (folder.getChildFile ("voice-output.wav"));
    EXPECT_GT (in.samples.getNumSamples(), (int) (3.0 * in.sampleRate)); // a few seconds of voice
    EXPECT_GT (in.samples.getMagnitude (0, in.samples.getNumSamples()), 0.1f);
    EXPECT_EQ (out.samples.getNumSamples(), in.samples.getNumSamples() + (int) std::ceil (tailSeconds * in.sampleRate));

    const auto plot = juce::ImageFileFormat::loadFrom (folder.getChildFile ("voice-output.png"));
    EXPECT_TRUE (plot.isValid());
    EXPECT_GT (plot.getWidth(), 800);

    // Run again: the demo replaces its own files.
    EXPECT_EQ (runTool (work, { "--demo", "-o", "demo" }).status, 0);
}

TEST_F (RenderTool, DefaultRenderEqualsThePluginsOwnProcessing)
{
    for (int channels : { 1, 2 })
    {
        SCOPED_TRACE (channels);
        const auto name = "in" + juce::String (channels) + ".wav";
        const auto input = testSignal (channels, 44100.0, 1.3);
        writeAudio (file (name), input, 44100.0, 32);

        const auto rendered = render (name);
        const auto expected = processInHostedPlugin (input, 44100.0);

        EXPECT_EQ (rendered.samples.getNumSamples(), expected.getNumSamples());
        expectSameSamples (rendered.samples, expected, expected.getNumSamples());
    }
}

TEST_F (RenderTool, FactoryPresetsChangeTheSound)
{
    writeAudio (file ("voice.wav"), testSignal (2, 48000.0, 1.0), 48000.0, 32);
    const auto plain = render ("voice.wav");

    for (const char* preset : { "Podcast", "Rap", "Dark" })
    {
        SCOPED_TRACE (preset);
        const auto treated = render ("voice.wav", { "--preset", preset });
        ASSERT_EQ (treated.samples.getNumSamples(), plain.samples.getNumSamples());

        juce::AudioBuffer<float> difference (treated.samples);
        for (int ch = 0; ch < 2; ++ch)
            difference.addFrom (ch, 0, plain.samples, ch, 0, plain.samples.getNumSamples(), -1.0f);

        // Far more than rounding: a tenth of the default render's level or more.
        EXPECT_GT (difference.getRMSLevel (0, 0, difference.getNumSamples()),
                   0.1f * plain.samples.getRMSLevel (0, 0, plain.samples.getNumSamples()));
    }
}

TEST_F (RenderTool, OutputGainOfMinus6dBHalvesAQuietSineFromTheFirstSample)
{
    writeAudio (file ("sine.wav"), sine (1, 48000.0, 1.0, 1000.0, 0.03f), 48000.0, 32);
    const auto plain = render ("sine.wav");
    const auto quieter = render ("sine.wav", { "--set", "outputGain=-6" });
    ASSERT_EQ (quieter.samples.getNumSamples(), plain.samples.getNumSamples());

    const double expected = std::pow (10.0, -6.0 / 20.0);
    double worst = 0.0;

    for (int i = 0; i < 48000; ++i)
        if (std::abs (plain.samples.getSample (0, i)) > 1e-3f)
            worst = juce::jmax (worst, std::abs (quieter.samples.getSample (0, i) / plain.samples.getSample (0, i) - expected));

    EXPECT_LT (worst, 1e-4);
    EXPECT_NEAR (plain.samples.getRMSLevel (0, 0, 48000), 0.03 / std::sqrt (2.0), 0.03 * 0.1); // the default chain keeps a quiet sine's level
}

TEST_F (RenderTool, MainBypassReturnsTheInputBitForBitInEveryFormat)
{
    struct Case { const char* name; const char* format; int bits; int channels; double rate; };

    for (const auto& c : { Case { "a.wav", "WAV", 16, 2, 44100.0 }, Case { "b.wav", "WAV", 24, 1, 48000.0 },
                           Case { "c.aiff", "AIFF", 24, 2, 48000.0 }, Case { "d.flac", "FLAC", 16, 1, 96000.0 },
                           Case { "e.flac", "FLAC", 24, 2, 44100.0 } })
    {
        SCOPED_TRACE (c.name);
        writeAudio (file (c.name), testSignal (c.channels, c.rate, 0.8, 0.9f), c.rate, c.bits, c.format);
        const auto in = readAudio (file (c.name));
        const auto out = render (c.name, { "--set", "mainBypass=1" });

        EXPECT_EQ (out.format, in.format);
        EXPECT_EQ (out.bits, c.bits);
        EXPECT_EQ (out.sampleRate, c.rate);
        ASSERT_EQ (out.samples.getNumChannels(), c.channels);
        ASSERT_EQ (out.samples.getNumSamples(), in.samples.getNumSamples() + (int) std::ceil (tailSeconds * c.rate));
        expectSameSamples (out.samples, in.samples, in.samples.getNumSamples());

        for (int ch = 0; ch < c.channels; ++ch)
            EXPECT_EQ (out.samples.findMinMax (ch, in.samples.getNumSamples(), out.samples.getNumSamples() - in.samples.getNumSamples()),
                       juce::Range<float> (0.0f, 0.0f)) << "the tail is silent";
    }
}

TEST_F (RenderTool, ReportsLoudnessOfAFullScaleSineAsBs1770Does)
{
    // A 1 kHz sine of peak 1 has a mean square of 1/2 per channel. BS.1770's K-weighting is
    // almost flat at 1 kHz and its -0.691 dB offset cancels what is left, so two such
    // channels read 0 LUFS and one channel alone reads 10 log10 (1/2) = -3.01 LUFS.
    struct Case { const char* name; bool oneChannel; double lufs; };

    for (const auto& c : { Case { "left.wav", true, -3.0103 }, Case { "both.wav", false, 0.0 } })
    {
        SCOPED_TRACE (c.name);
        const double seconds = 5.0, rate = 48000.0;
        writeAudio (file (c.name), sine (2, rate, seconds, 1000.0, 1.0f, c.oneChannel), rate, 32);

        const auto out = work.getNonexistentChildFile ("out", "");
        const auto r = runTool (work, { c.name, "-o", out.getFileName(), "--set", "mainBypass=on" });
        ASSERT_EQ (r.status, 0) << r.err;

        EXPECT_NEAR (parseAfter (r.out, "in"), c.lufs, 0.1);
        EXPECT_NEAR (parseAfter (r.out, "out"), c.lufs, 0.1); // the bypassed output is the same sine
        EXPECT_NEAR (parseAfter (r.out, "true peak"), 0.0, 0.2);

        // RMS over both channels of the whole output, tail of silence included.
        const double meanSquare = (c.oneChannel ? 0.25 : 0.5) * seconds / (seconds + tailSeconds);
        EXPECT_NEAR (parseAfter (r.out, "RMS"), 10.0 * std::log10 (meanSquare), 0.05);
    }
}

TEST_F (RenderTool, UserPresetFilePassesThroughThePluginAndKeepsTheGains)
{
    writeAudio (file ("voice.wav"), testSignal (2, 48000.0, 0.6), 48000.0, 32);
    const auto original = readAudio (file ("voice.wav"));
    const auto plain = render ("voice.wav");

    const auto preset = [&] (const juce::String& name, const juce::String& params)
    {
        file (name).replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<PARAMETERS uiCurrentPresetName=\"Mine\">"
                                     + params + "</PARAMETERS>\r\n");
        return name;
    };

    // The file's main bypass is applied, as loading it in the plug-in does.
    const auto bypassed = render ("voice.wav", { "--preset-file", preset ("bypass.xml", "<PARAM id=\"mainBypass\" value=\"1\"/>") });
    expectSameSamples (bypassed.samples, original.samples, original.samples.getNumSamples());

    // Its input and output gains are not: this file changes nothing else, so the render is the default one.
    const auto gains = render ("voice.wav", { "--preset-file", preset ("gains.xml", "<PARAM id=\"inputGain\" value=\"12\"/>"
                                                                                    "<PARAM id=\"outputGain\" value=\"-12\"/>") });
    expectSameSamples (gains.samples, plain.samples, plain.samples.getNumSamples());

    // A --set still goes on top of the file.
    const auto both = render ("voice.wav", { "--preset-file", "bypass.xml", "--set", "mainBypass=0" });
    expectSameSamples (both.samples, plain.samples, plain.samples.getNumSamples());
}

TEST_F (RenderTool, ListsPresetsAndParametersFromThePlugin)
{
    const auto presets = runTool (work, { "--list-presets" });
    EXPECT_EQ (presets.status, 0);
    EXPECT_EQ (presets.out, "Airy\nBright\nClean\nDark\nIntimate\nPodcast\nPresence\nRap\nRock\nWarm\nWide\n");

    const auto params = runTool (work, { "--list-params" });
    ASSERT_EQ (params.status, 0) << params.err;
    EXPECT_EQ (juce::StringArray::fromLines (juce::String (params.out).trim()).size(), 26);
    EXPECT_TRUE (std::regex_search (params.out, std::regex ("hpfFreq +HPF +20\\.00 to 500\\.00 +default 80\\.00")))
        << params.out;
    EXPECT_TRUE (std::regex_search (params.out, std::regex ("mainBypass +Main Bypass +0 or 1 \\(off or on\\) +default 0")));

    EXPECT_EQ (runTool (work, { "--help" }).status, 0);
}

//==============================================================================
// Bad input: one clear message naming the file or value, a non-zero status, no partial
// output and untouched inputs.
TEST_F (RenderTool, RefusesBadInputWithAClearMessageAndLeavesNothingBehind)
{
    struct Case
    {
        const char* what;
        std::function<void (RenderTool&)> prepare;
        juce::StringArray args;
        int status;
        std::string message;
    };

    const auto wav = [] (const char* name, int channels = 1)
    {
        return [=] (RenderTool& t) { writeAudio (t.file (name), testSignal (channels, 48000.0, 0.3), 48000.0, 16); };
    };

    const std::vector<Case> cases {
        { "missing file", {}, { "missing.wav", "-o", "out" }, 1, "missing.wav: no such file" },
        { "empty file", [] (RenderTool& t) { t.file ("empty.wav").create(); }, { "empty.wav", "-o", "out" }, 1, "empty.wav: is empty" },
        { "not audio", [] (RenderTool& t) { t.file ("noise.wav").replaceWithText ("RIFF? no, just text"); },
          { "noise.wav", "-o", "out" }, 1, "noise.wav: is not a readable WAV, AIFF or FLAC file" },
        { "cut-off wav", [] (RenderTool& t)
          {
              writeAudio (t.file ("cut.wav"), testSignal (2, 48000.0, 0.5), 48000.0, 24);
              juce::MemoryBlock data;
              t.file ("cut.wav").loadFileAsData (data);
              t.file ("cut.wav").replaceWithData (data.getData(), data.getSize() / 2);
          }, { "cut.wav", "-o", "out" }, 1, "cut.wav: is damaged" },
        { "three channels", wav ("three.wav", 3), { "three.wav", "-o", "out" }, 1, "three.wav: has 3 channels" },
        { "unknown preset", wav ("in.wav"), { "in.wav", "-o", "out", "--preset", "Loud" }, 2, "unknown preset \"Loud\"" },
        { "damaged preset file", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("p.xml").replaceWithText ("<PARAMETERS><PARAM id="); },
          { "in.wav", "-o", "out", "--preset-file", "p.xml" }, 2, "p.xml: damaged" },
        { "preset file of something else", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("p.xml").replaceWithText ("<html><p>hi</p></html>"); },
          { "in.wav", "-o", "out", "--preset-file", "p.xml" }, 2, "p.xml: damaged" },
        { "missing preset file", wav ("in.wav"), { "in.wav", "-o", "out", "--preset-file", "none.xml" }, 2, "none.xml: no such file" },
        { "unknown parameter", wav ("in.wav"), { "in.wav", "-o", "out", "--set", "gain=3" }, 2, "unknown parameter \"gain\"" },
        { "not a number", wav ("in.wav"), { "in.wav", "-o", "out", "--set", "outputGain=loud" }, 2, "\"loud\" is not a number" },
        { "decimal comma", wav ("in.wav"), { "in.wav", "-o", "out", "--set", "outputGain=-1,5" }, 2, "\"-1,5\" is not a number" },
        { "out of range", wav ("in.wav"), { "in.wav", "-o", "out", "--set", "outputGain=60" }, 2, "outputGain takes -48.00 to 48.00" },
        { "bad switch value", wav ("in.wav"), { "in.wav", "-o", "out", "--set", "mainBypass=2" }, 2, "mainBypass is a switch and takes 0 or 1" },
        { "output folder is a file", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("out").create(); },
          { "in.wav", "-o", "out" }, 2, "work/out is a file" },
        { "output folder cannot be made", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("blocker").create(); },
          { "in.wav", "-o", "blocker/out" }, 2, "cannot create the output folder" },
        { "output onto its input", wav ("in.wav"), { "in.wav", "-o", "." }, 1, "would overwrite an input" },
        { "existing output", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("out").createDirectory(); t.file ("out/in.wav").replaceWithText ("keep me"); },
          { "in.wav", "-o", "out" }, 1, "out/in.wav already exists; use --force" },
        { "plug-in that does not load", [&] (RenderTool& t) { wav ("in.wav") (t); t.file ("Fake.vst3").createDirectory(); },
          { "in.wav", "-o", "out", "--plugin", "Fake.vst3" }, 2, "Fake.vst3 is not a VST3 plug-in that loads" },
        { "no plug-in there", wav ("in.wav"), { "in.wav", "-o", "out", "--plugin", "nowhere/Orvel.vst3" }, 2, "no plug-in at" },
        { "unknown option", wav ("in.wav"), { "in.wav", "-o", "out", "--loud" }, 2, "unknown option --loud" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        work.deleteRecursively();
        work.createDirectory();

        if (c.prepare)
            c.prepare (*this);

        const auto before = snapshot (work);
        const auto r = runTool (work, c.args);

        EXPECT_EQ (r.status, c.status);
        EXPECT_NE (r.err.find (c.message), std::string::npos) << r.err;
        EXPECT_EQ (std::count (r.err.begin(), r.err.end(), '\n') - (r.err.find ("Try '") != std::string::npos ? 1 : 0), 1)
            << "one message: " << r.err;
        EXPECT_TRUE (r.out.empty()) << r.out;

        // Everything as it was: no new file (temporary or partial), no input changed. A
        // refused output folder may have been created, empty.
        auto after = snapshot (work);
        if (before.count ("out") == 0 && after.count ("out") != 0 && work.getChildFile ("out").isDirectory())
            after.erase ("out");
        EXPECT_TRUE (after == before);
    }
}

TEST_F (RenderTool, AFailingFileInABatchDoesNotStopTheOthers)
{
    writeAudio (file ("one.wav"), testSignal (1, 48000.0, 0.4), 48000.0, 24);
    file ("two.wav").replaceWithText ("not audio");
    writeAudio (file ("three.flac"), testSignal (2, 48000.0, 0.4), 48000.0, 16, "FLAC");
    work.getChildFile ("out").createDirectory();
    work.getChildFile ("out/three.flac").replaceWithText ("old");

    auto r = runTool (work, { "one.wav", "two.wav", "three.flac", "-o", "out", "--plot" });
    EXPECT_EQ (r.status, 1);
    EXPECT_NE (r.err.find ("two.wav: is not a readable"), std::string::npos) << r.err;
    EXPECT_NE (r.err.find ("three.flac already exists"), std::string::npos) << r.err;
    EXPECT_NE (r.out.find ("one.wav -> "), std::string::npos) << r.out;
    EXPECT_EQ (std::count (r.out.begin(), r.out.end(), '\n'), 1) << "only summary lines when stdout is not a terminal";

    const auto files = snapshot (work.getChildFile ("out"));
    EXPECT_EQ (files.size(), 3u); // one.wav, one.png and the old three.flac, no temporaries
    EXPECT_EQ (readAudio (work.getChildFile ("out/one.wav")).samples.getNumSamples(), (int) (0.4 * 48000) + (int) (tailSeconds * 48000));
    EXPECT_EQ (work.getChildFile ("out/three.flac").loadFileAsString(), "old");

    // With --force the existing output is replaced.
    file ("two.wav").deleteFile();
    r = runTool (work, { "three.flac", "-o", "out", "--force" });
    EXPECT_EQ (r.status, 0) << r.err;
    EXPECT_EQ (readAudio (work.getChildFile ("out/three.flac")).samples.getNumChannels(), 2);
}
