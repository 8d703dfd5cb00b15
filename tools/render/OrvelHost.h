#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>

/** The Orvel plug-in loaded from its VST3 bundle through JUCE's hosting, as a DAW loads it.
    Parameters are reached by their index, which for Orvel follows the identifier table in
    common/ParameterIds.h; values, ranges and texts all come from the plug-in itself. */
class OrvelHost
{
public:
    /** Loads the bundle; nullptr and a message when it is not a VST3 that loads, or not Orvel. */
    static std::unique_ptr<OrvelHost> load (const juce::File& bundle, juce::String& error);

    /** The Orvel bundle the tool uses when none is named: the one this build made, else the
        one installed in ~/.vst3. A non-existent file when neither is there. */
    static juce::File defaultBundle();

    struct ParameterInfo
    {
        juce::String id, name;
        bool isBool = false;
        double minimum = 0.0, maximum = 1.0, defaultValue = 0.0;
    };

    /** The 26 parameters as the plug-in describes them, in host order. */
    std::vector<ParameterInfo> describeParameters() const;

    /** Sets a parameter from a value in its own units, as a host's automation would. The
        plug-in snaps it to its step. Bools take 0 or 1. */
    void setValue (int index, double value);

    /** Applies a factory preset by name; false for a name that is not one. */
    bool applyFactoryPreset (const juce::String& name);

    /** Reads a user preset file with the plug-in's own rules for preset files and hands the
        state to the plug-in. Like loading it from the plug-in's menu, it keeps the input and
        output gains. False and a message when the file cannot be used. */
    bool applyPresetFile (const juce::File& file, juce::String& error);

    /** The plug-in's reverb tail, in seconds. */
    double getTailSeconds() const;

    /** Processes a 1- or 2-channel signal followed by the tail in blocks of blockSize and
        returns input plus tail. Parameter changes made before the call are in force from the
        first sample. Progress (0 to 1) is reported after each block. */
    juce::AudioBuffer<float> render (const juce::AudioBuffer<float>& input, double sampleRate,
                                     const std::function<void (double)>& progress = {});

    static constexpr int blockSize = 512;

private:
    explicit OrvelHost (std::unique_ptr<juce::AudioPluginInstance>);
    juce::AudioProcessorParameter* parameter (int index) const;

    std::unique_ptr<juce::AudioPluginInstance> plugin;
};
