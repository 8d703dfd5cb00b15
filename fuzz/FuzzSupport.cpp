#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace FuzzSupport
{
    void initialise()
    {
        static bool done = false;

        if (done)
            return;

        done = true;

        // JUCE finds the application data folder through HOME (~/.config).
        char pattern[] = "/tmp/orvel-fuzz-home-XXXXXX";

        if (const char* home = ::mkdtemp (pattern))
        {
            ::setenv ("HOME", home, 1);

            // Removed at exit without JUCE, whose statics may be gone by then.
            static const std::string madeHome (home);
            std::atexit ([] { std::error_code ignored; std::filesystem::remove_all (madeHome, ignored); });
        }

        ::unsetenv ("XDG_CONFIG_HOME");

        // Set up for the whole run and never shut down: libFuzzer leaves through exit(), and
        // JUCE's shutdown from a static destructor would run after JUCE's own statics are gone.
        juce::initialiseJuce_GUI();
    }

    OrvelAudioProcessor& processor()
    {
        // Kept to the end of the process for the same reason as JUCE itself (see initialise).
        static OrvelAudioProcessor* const p = []
        {
            auto* made = new OrvelAudioProcessor();
            made->setPlayConfigDetails (2, 2, 48000.0, 256);
            made->prepareToPlay (48000.0, 256);
            return made;
        }();

        return *p;
    }

    void require (bool condition, const char* what)
    {
        if (condition)
            return;

        std::fprintf (stderr, "Orvel fuzz check failed: %s\n", what);
        std::abort();
    }

    void checkInvariants (OrvelAudioProcessor& p)
    {
        for (auto* param : p.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (param);
            require (ranged != nullptr, "every parameter has a range");
            const auto& range = ranged->getNormalisableRange();
            const float v = range.convertFrom0to1 (ranged->getValue());
            require (std::isfinite (ranged->getValue()) && std::isfinite (v), "parameter value is finite");
            require (v >= range.start && v <= range.end, "parameter value lies inside its range");
        }

        juce::AudioBuffer<float> buffer (2, 256);
        juce::Random random (1);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                buffer.setSample (ch, i, random.nextFloat() - 0.5f);

        juce::MidiBuffer midi;
        p.processBlock (buffer, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                require (std::isfinite (buffer.getSample (ch, i)), "processed output is finite");

        juce::MemoryBlock saved, resaved;
        p.getStateInformation (saved);
        require (saved.getSize() > 8, "the state is saved");
        p.setStateInformation (saved.getData(), (int) saved.getSize());
        p.getStateInformation (resaved);
        if (saved != resaved)
            std::fprintf (stderr, "saved:   %s\nresaved: %s\n",
                          juce::String::fromUTF8 ((const char*) saved.getData() + 8, (int) saved.getSize() - 9).toRawUTF8(),
                          juce::String::fromUTF8 ((const char*) resaved.getData() + 8, (int) resaved.getSize() - 9).toRawUTF8());

        require (saved == resaved, "a restored state saves the same bytes");
    }
}
