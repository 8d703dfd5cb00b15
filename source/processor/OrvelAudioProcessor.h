#pragma once

#include "common/ParameterIds.h"
#include "common/ProductInfo.h"
#include "dsp/CompressionStage.h"
#include "dsp/DeEsser.h"
#include "dsp/SpaceReverb.h"
#include "dsp/StereoWidth.h"
#include "dsp/ToneEqualiser.h"
#include "presets/PresetStore.h"
#include "presets/PresettableProcessor.h"
#include "presets/UndoHistory.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

/** Orvel's audio processor: the 26 parameters, the processing frame with its gain stages
    and click-free main bypass, the four sections, the level values, the host state,
    presets and whole-state undo. */
class OrvelAudioProcessor : public juce::AudioProcessor,
                            public PresettableProcessor,
                            private juce::AudioProcessorValueTreeState::Listener
{
public:
    OrvelAudioProcessor();
    ~OrvelAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override { return "Orvel"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    /** Called by the plug-in wrapper instead of processBlock while the host's own bypass
        parameter is on: fades to the dry signal exactly as "mainBypass" does. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlockBypassed;
    double getTailLengthSeconds() const override { return 1.5; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return programName; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    //==============================================================================
    juce::StringArray getFactoryPresetNames() const override;
    juce::StringArray getUserPresetNames() const override;
    void loadFactoryPreset (const juce::String& name) override;
    bool saveUserPreset (const juce::String& name) override;
    bool loadUserPreset (const juce::String& name) override;
    bool deleteUserPreset (const juce::String& name) override;
    bool renameUserPreset (const juce::String& oldName, const juce::String& newName) override;
    juce::File getUserPresetFile (const juce::String& name) const override;
    juce::String getCurrentPresetName() const override;
    juce::String getPresetDisplayName() const override;
    bool isCurrentPresetUser() const override;
    bool canUndo() const override { return undoHistory.canUndo(); }
    bool canRedo() const override { return undoHistory.canRedo(); }
    void undo() override { undoHistory.undo(); }
    void redo() override { undoHistory.redo(); }

    //==============================================================================
    /** The name of the one program hosts see. */
    static constexpr const char* programName = "Default";

    /** The parameter tree. */
    juce::AudioProcessorValueTreeState& getValueTreeState() noexcept { return parameters; }

    /** Sets a parameter from a real value (snapped and clamped to its range), notifying
        the host. Unknown identifiers and non-finite values are ignored. */
    void setParameterValue (const juce::String& parameterId, float value);

    /** The raw real value of a parameter, or 0 for an unknown identifier. */
    float getParameterValue (const juce::String& parameterId) const;

    /** The whole state as a new, independent tree: parameters, preset record, saved size. */
    juce::ValueTree captureState();

    /** Puts a whole state back. With restorePresetInfo the preset record is taken from the
        tree too; the saved editor size always is. No audio block runs meanwhile. */
    void applyState (const juce::ValueTree& state, bool restorePresetInfo);

    /** Replaces the current-preset record; an empty name means "Presets". */
    void setPresetInfo (const juce::String& name, bool isUser, bool modified);

    /** Undo transactions bracketing user gestures and preset loads. */
    void beginUndoTransaction (const juce::String& name) { undoHistory.beginTransaction (name); }
    void commitUndoTransaction() { undoHistory.commitTransaction(); }
    void cancelUndoTransaction() { undoHistory.cancelTransaction(); }

    /** The undo history (for inspection). */
    const UndoHistory& getUndoHistory() const noexcept { return undoHistory; }

    /** The user preset store. */
    const PresetStore& getPresetStore() const noexcept { return presetStore; }

    /** Smoothed peak levels, linear; channel 0 is left, any other channel right. */
    float getInputLevel (int channel) const noexcept { return (channel == 0 ? inputLevelL : inputLevelR).load(); }
    float getOutputLevel (int channel) const noexcept { return (channel == 0 ? outputLevelL : outputLevelR).load(); }

    /** The editor size remembered in the state. */
    std::atomic<bool> savedWindowSizeSet { false };
    std::atomic<float> savedWindowWidth { 1200.0f }, savedWindowHeight { 600.0f };

    /** Samples per channel the working buffers were prepared for. */
    int getMaxBlockSamples() const noexcept { return maxBlockSamples; }

    /** Name of the current preset when none is set. */
    static constexpr const char* noPresetName = "Presets";

private:
    //==============================================================================
    void parameterChanged (const juce::String& parameterId, float newValue) override;

    float raw (ParameterIds::Index index) const noexcept;
    bool isBypassed (ParameterIds::Index index) const noexcept;
    float makeupTarget() const noexcept;

    void invalidateDspCaches() noexcept;
    void updateFilters() noexcept;
    void updateCompressors() noexcept;
    void updateReverb() noexcept;
    void resetAllSections() noexcept;
    void processCharacter (juce::AudioBuffer<float>& buffer) noexcept;
    void processSpace (juce::AudioBuffer<float>& buffer) noexcept;
    void processFrame (juce::AudioBuffer<float>& buffer, bool bypassedByHost) noexcept;
    void processChain (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples, const bool (&sectionBypassed)[4]) noexcept;
    void crossFadeWithDry (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept;
    void applyMakeup (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept;

    //==============================================================================
    juce::AudioProcessorValueTreeState parameters;
    std::array<std::atomic<float>*, ParameterIds::count> rawValues {};

    double currentSampleRate = 44100.0;
    juce::dsp::Gain<float> inputGainStage, outputGainStage;

    ToneEqualiser tone;
    CompressionStage compression;
    DeEsser deEsser;
    StereoWidth stereoWidth;
    SpaceReverb reverb;

    juce::AudioBuffer<float> sectionScratch, dryBuffer;
    int maxBlockSamples = 0, maxChannels = 0;

    juce::SmoothedValue<float> mainMix;
    std::array<juce::SmoothedValue<float>, 4> sectionMix;
    juce::SmoothedValue<float> makeupGain;
    bool mainResetDone = false;
    bool hostBypassed = false; // the host's bypass as of the last block
    std::array<bool, 4> sectionResetDone {};

    ProductInfo productInfo;
    PresetStore presetStore { productInfo };

    std::atomic<float> inputLevelL { 0.0f }, inputLevelR { 0.0f }, outputLevelL { 0.0f }, outputLevelR { 0.0f };

    juce::CriticalSection presetStateLock;
    juce::String currentPresetName { noPresetName };
    bool currentPresetIsUser = false;
    std::atomic<bool> presetModified { false }, suppressModifiedFlag { false };

    UndoHistory undoHistory;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelAudioProcessor)
};
