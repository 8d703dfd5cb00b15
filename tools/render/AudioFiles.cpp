#include "AudioFiles.h"

namespace AudioFiles
{
namespace
{
    std::function<void (const juce::File&)> temporaryFileObserver;

    /** The three formats, each with its own reader and writer. */
    struct Formats
    {
        juce::WavAudioFormat wav;
        juce::AiffAudioFormat aiff;
        juce::FlacAudioFormat flac;

        std::array<juce::AudioFormat*, 3> all() { return { &wav, &aiff, &flac }; }
    };

    Formats& formats()
    {
        static Formats f;
        return f;
    }

    juce::String shortName (const juce::AudioFormat& f)
    {
        return f.getFormatName().upToFirstOccurrenceOf (" ", false, false);
    }

    juce::AudioFormat* formatNamed (const juce::String& name)
    {
        for (auto* f : formats().all())
            if (shortName (*f) == name)
                return f;

        return nullptr;
    }

    /** JUCE's writers scale floats by 2^(bits-1) - 1 while its readers divide by 2^(bits-1),
        so a sample read and written back would lose up to one step. Integer files are
        therefore written with the readers' scale, which returns every sample bit for bit. */
    bool writeSamples (juce::AudioFormatWriter& writer, const juce::AudioBuffer<float>& samples, int bits)
    {
        if (writer.isFloatingPoint())
            return writer.writeFromAudioSampleBuffer (samples, 0, samples.getNumSamples());

        const int channels = samples.getNumChannels(), chunk = 4096;
        const double scale = std::ldexp (1.0, bits - 1), highest = scale - 1.0;
        juce::HeapBlock<int> storage ((size_t) (channels * chunk));
        std::vector<const int*> pointers ((size_t) channels + 1, nullptr);

        for (int start = 0; start < samples.getNumSamples(); start += chunk)
        {
            const int n = juce::jmin (chunk, samples.getNumSamples() - start);

            for (int ch = 0; ch < channels; ++ch)
            {
                int* dest = storage.get() + ch * chunk;
                const float* src = samples.getReadPointer (ch, start);

                // Writers take integers left-aligned in 32 bits.
                for (int i = 0; i < n; ++i)
                    dest[i] = (int) juce::jlimit (-scale, highest, std::round ((double) src[i] * scale)) * (1 << (32 - bits));

                pointers[(size_t) ch] = dest;
            }

            if (! writer.write (pointers.data(), n))
                return false;
        }

        return true;
    }

    /** WAV and AIFF hold their samples as one plain block: a header that promises more than
        the file holds means the file was cut off, which JUCE's readers would fill with zeros. */
    bool isCutOff (juce::AudioFormat& format, const juce::File& file, juce::int64 promised)
    {
        if (&format == &formats().flac)
            return false;

        std::unique_ptr<juce::MemoryMappedAudioFormatReader> mapped (format.createMemoryMappedReader (file));

        if (mapped == nullptr || ! mapped->mapEntireFile())
            return false;

        return mapped->getMappedSection().getEnd() < promised;
    }
}

bool read (const juce::File& file, Audio& audio, juce::String& error)
{
    if (file.isDirectory())
    {
        error = "is a folder, not an audio file";
        return false;
    }

    if (! file.existsAsFile())
    {
        error = "no such file";
        return false;
    }

    if (file.getSize() == 0)
    {
        error = "is empty (0 bytes)";
        return false;
    }

    juce::FileInputStream probe (file);

    if (probe.failedToOpen())
    {
        error = "cannot be read: " + probe.getStatus().getErrorMessage();
        return false;
    }

    std::unique_ptr<juce::AudioFormatReader> reader;
    juce::AudioFormat* format = nullptr;

    for (auto* f : formats().all())
    {
        reader.reset (f->createReaderFor (new juce::FileInputStream (file), true));

        if (reader != nullptr)
        {
            format = f;
            break;
        }
    }

    if (reader == nullptr)
    {
        error = "is not a readable WAV, AIFF or FLAC file (damaged or another format)";
        return false;
    }

    const auto channels = (int) reader->numChannels;
    const auto length = reader->lengthInSamples;

    if (channels < 1 || channels > 2)
    {
        error = "has " + juce::String (channels) + " channels; only mono and stereo files can be rendered";
        return false;
    }

    if (length <= 0 || reader->sampleRate <= 0.0)
    {
        error = "holds no audio";
        return false;
    }

    if (length > std::numeric_limits<int>::max() / 2)
    {
        error = "is too long to render in one piece";
        return false;
    }

    if (isCutOff (*format, file, length))
    {
        error = "is damaged: its header promises " + juce::String (length) + " samples, but the file was cut off before them";
        return false;
    }

    audio.samples.setSize (channels, (int) length);

    if (! reader->read (&audio.samples, 0, (int) length, 0, true, true))
    {
        error = "is damaged: its samples cannot be decoded";
        return false;
    }

    audio.sampleRate = reader->sampleRate;
    audio.bitsPerSample = (int) reader->bitsPerSample;
    audio.formatName = shortName (*format);
    return true;
}

bool write (const juce::File& target, const juce::AudioBuffer<float>& samples, double sampleRate,
            const juce::String& formatName, int bitsPerSample, juce::String& error)
{
    auto* format = formatNamed (formatName);

    if (format == nullptr)
    {
        error = "cannot write " + formatName + " files";
        return false;
    }

    if (! format->getPossibleBitDepths().contains (bitsPerSample))
    {
        error = "cannot write " + juce::String (bitsPerSample) + "-bit " + formatName + " files";
        return false;
    }

    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

    if (temporaryFileObserver)
        temporaryFileObserver (temporary.getFile());

    const auto finish = [&] (bool ok)
    {
        if (temporaryFileObserver)
            temporaryFileObserver ({});
        return ok;
    };

    {
        auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());

        if (stream->failedToOpen())
        {
            error = "cannot write into " + target.getParentDirectory().getFullPathName() + ": "
                  + stream->getStatus().getErrorMessage();
            return finish (false);
        }

        std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate,
                                                                                  (unsigned int) samples.getNumChannels(),
                                                                                  bitsPerSample, {}, 0));

        if (writer == nullptr)
        {
            error = "cannot write a " + juce::String (bitsPerSample) + "-bit " + formatName + " file at "
                  + juce::String (sampleRate) + " Hz";
            return finish (false);
        }

        stream.release(); // the writer owns it now

        if (! writeSamples (*writer, samples, bitsPerSample))
        {
            error = "writing " + target.getFullPathName() + " failed (disk full?)";
            return finish (false);
        }
    }

    if (! temporary.overwriteTargetFileWithTemporary())
    {
        error = "cannot move the finished file to " + target.getFullPathName();
        return finish (false);
    }

    return finish (true);
}

bool canWriteInto (const juce::File& folder)
{
    if (! folder.isDirectory())
        return false;

    const auto probe = folder.getNonexistentChildFile (".orvel-render-probe", ".tmp", false);
    const bool ok = probe.create().wasOk() && probe.existsAsFile();
    probe.deleteFile();
    return ok;
}

void setTemporaryFileObserver (std::function<void (const juce::File&)> observer)
{
    temporaryFileObserver = std::move (observer);
}
}
