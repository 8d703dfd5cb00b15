#include "OrvelHost.h"
#include "common/ParameterIds.h"
#include "common/SafeXml.h"
#include "presets/FactoryPresets.h"

namespace
{
    double textToNumber (const juce::String& text) { return text.trim().getDoubleValue(); }

    /** A VST3 host sees a bool parameter as one with two steps. */
    bool isSwitch (const juce::AudioProcessorParameter& p) { return p.isDiscrete() && p.getNumSteps() == 2; }
}

OrvelHost::OrvelHost (std::unique_ptr<juce::AudioPluginInstance> p) : plugin (std::move (p)) {}

juce::File OrvelHost::defaultBundle()
{
    const juce::File built { ORVEL_BUILT_VST3 };

    if (built.exists())
        return built;

    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".vst3/Orvel.vst3");
}

std::unique_ptr<OrvelHost> OrvelHost::load (const juce::File& bundle, juce::String& error)
{
    if (! bundle.exists())
    {
        error = "no plug-in at " + bundle.getFullPathName();
        return nullptr;
    }

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, bundle.getFullPathName());

    if (types.isEmpty())
    {
        error = bundle.getFullPathName() + " is not a VST3 plug-in that loads";
        return nullptr;
    }

    const auto& description = *types[0];

    if (description.name != "Orvel" || description.manufacturerName != "Corvane Audio")
    {
        error = bundle.getFullPathName() + " holds \"" + description.name + "\" by " + description.manufacturerName + ", not Orvel";
        return nullptr;
    }

    juce::String loadError;
    auto instance = format.createInstanceFromDescription (description, 48000.0, blockSize, loadError);

    if (instance == nullptr)
    {
        error = "cannot load " + bundle.getFullPathName() + (loadError.isNotEmpty() ? ": " + loadError : juce::String());
        return nullptr;
    }

    if (instance->getParameters().size() < ParameterIds::count)
    {
        error = bundle.getFullPathName() + " has " + juce::String (instance->getParameters().size())
              + " parameters, not Orvel's " + juce::String ((int) ParameterIds::count);
        return nullptr;
    }

    return std::unique_ptr<OrvelHost> (new OrvelHost (std::move (instance)));
}

juce::AudioProcessorParameter* OrvelHost::parameter (int index) const
{
    return plugin->getParameters()[index];
}

std::vector<OrvelHost::ParameterInfo> OrvelHost::describeParameters() const
{
    std::vector<ParameterInfo> list;

    for (int i = 0; i < ParameterIds::count; ++i)
    {
        auto* p = parameter (i);
        ParameterInfo info;
        info.id = ParameterIds::ids[(size_t) i];
        info.name = p->getName (100);
        info.isBool = isSwitch (*p);

        if (info.isBool)
        {
            info.defaultValue = p->getDefaultValue() >= 0.5f ? 1.0 : 0.0;
        }
        else
        {
            // The plug-in shows its values as plain numbers, so the ends of the normalised
            // range read as the real limits.
            info.minimum = textToNumber (p->getText (0.0f, 100));
            info.maximum = textToNumber (p->getText (1.0f, 100));
            info.defaultValue = textToNumber (p->getText (p->getDefaultValue(), 100));
        }

        list.push_back (info);
    }

    return list;
}

void OrvelHost::setValue (int index, double value)
{
    auto* p = parameter (index);

    // The plug-in turns its own text into a normalised value, with its own range, skew and
    // step, so the tool needs no copy of them.
    const float normalised = isSwitch (*p) ? (value >= 0.5 ? 1.0f : 0.0f)
                                            : p->getValueForText (juce::String (value, 6));
    p->setValueNotifyingHost (normalised);
}

bool OrvelHost::applyFactoryPreset (const juce::String& name)
{
    const auto* preset = FactoryPresets::find (name.toRawUTF8());

    if (preset == nullptr)
        return false;

    for (size_t i = 0; i < FactoryPresets::parameters.size(); ++i)
        setValue (FactoryPresets::parameters[i], preset->values[i]);

    return true;
}

bool OrvelHost::applyPresetFile (const juce::File& file, juce::String& error)
{
    if (! file.existsAsFile())
    {
        error = "no such file";
        return false;
    }

    // The plug-in refuses the same files silently; here the user gets to know why.
    const auto xml = SafeXml::parse (file);

    if (xml == nullptr)
    {
        error = "damaged: not a well-formed preset of at most "
              + juce::String (SafeXml::maxFileSize / (1024 * 1024)) + " MB";
        return false;
    }

    int known = 0;

    for (const auto* child : xml->getChildWithTagNameIterator ("PARAM"))
        if (ParameterIds::indexOf (child->getStringAttribute ("id").toRawUTF8()) >= 0)
            ++known;

    if (known == 0)
    {
        error = "damaged: it sets none of Orvel's parameters";
        return false;
    }

    const float inputGain = parameter (ParameterIds::inputGain)->getValue();
    const float outputGain = parameter (ParameterIds::outputGain)->getValue();

    // The file becomes the plug-in's state the way a host restores a project: the plug-in's
    // own state block inside JUCE's VST3 host state, so every rule the plug-in applies to a
    // stored state (missing and non-finite values, clamping) applies here too.
    juce::MemoryBlock component;
    juce::AudioProcessor::copyXmlToBinary (*xml, component);
    juce::XmlElement hostState ("VST3PluginState");
    hostState.createNewChildElement ("IComponent")->addTextElement (component.toBase64Encoding());
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (hostState, block);
    plugin->setStateInformation (block.getData(), (int) block.getSize());

    // A user preset never changes the input and output levels.
    parameter (ParameterIds::inputGain)->setValueNotifyingHost (inputGain);
    parameter (ParameterIds::outputGain)->setValueNotifyingHost (outputGain);
    return true;
}

double OrvelHost::getTailSeconds() const
{
    return plugin->getTailLengthSeconds();
}

juce::AudioBuffer<float> OrvelHost::render (const juce::AudioBuffer<float>& input, double sampleRate,
                                            const std::function<void (double)>& progress)
{
    const int channels = input.getNumChannels();
    const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    plugin->releaseResources();
    plugin->setBusesLayout (layout);
    plugin->prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> block (channels, blockSize);
    juce::MidiBuffer midi;

    // Parameter changes reach a VST3 plug-in with the next block. One block of silence
    // delivers them, and preparing again settles every fade and ramp at its target and clears
    // what the silence left, so the render starts as if the values had always been set.
    block.clear();
    plugin->processBlock (block, midi);
    plugin->releaseResources();
    plugin->prepareToPlay (sampleRate, blockSize);

    const int inputLength = input.getNumSamples();
    const int total = inputLength + (int) std::ceil (getTailSeconds() * sampleRate);
    juce::AudioBuffer<float> output (channels, total);

    for (int start = 0; start < total; start += blockSize)
    {
        const int n = juce::jmin (blockSize, total - start);
        block.setSize (channels, n, false, false, true);
        block.clear();

        const int fromInput = juce::jlimit (0, n, inputLength - start);

        for (int ch = 0; ch < channels; ++ch)
            if (fromInput > 0)
                block.copyFrom (ch, 0, input, ch, start, fromInput);

        midi.clear();
        plugin->processBlock (block, midi);

        for (int ch = 0; ch < channels; ++ch)
            output.copyFrom (ch, start, block, ch, 0, n);

        if (progress)
            progress ((double) (start + n) / (double) total);
    }

    plugin->releaseResources();
    return output;
}
