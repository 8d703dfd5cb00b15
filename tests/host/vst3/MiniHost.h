#pragma once

// A minimal VST3 host on the SDK interfaces alone, for the tests that must drive the built
// Orvel.vst3 the way a DAW does at the VST3 level: raw state blocks through IComponent::setState,
// bus arrangements and AudioBusBuffers chosen by the host. JUCE's hosting cannot do either,
// because it always hands the plug-in buffers that match the negotiated layout.

#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/base/smartpointer.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace orvel::vst3host
{
    using Bytes = std::vector<unsigned char>;

    /** One plug-in instance: its component, audio processor and edit controller, created from
        the module's factory, initialised with a host context and connected to each other, as
        Ardour does. Everything is called from the thread that made the instance. */
    class Plugin
    {
    public:
        Plugin();
        ~Plugin();

        Plugin (const Plugin&) = delete;
        Plugin& operator= (const Plugin&) = delete;

        Steinberg::Vst::IComponent& component() { return *componentPtr; }
        Steinberg::Vst::IAudioProcessor& processor() { return *processorPtr; }
        Steinberg::Vst::IEditController& controller() { return *controllerPtr; }

        /** The component's state block (IComponent::getState). */
        Bytes getState();

        /** Hands a state block to the component, then the same stream to the controller
            (setComponentState), as hosts do when they restore a project. Returns the
            component's answer. */
        Steinberg::tresult setState (const Bytes& block);

        /** Every parameter's normalised value as the controller reports it, in the
            controller's order. */
        std::vector<double> parameterValues();
        std::vector<Steinberg::Vst::ParamID> parameterIds();

        /** Sets parameters as host automation does: through the audio processor, in one process
            call with the changes and no audio, and on the controller. Needs start() first. */
        void setParameters (const std::vector<std::pair<Steinberg::Vst::ParamID, double>>& changes);

        Steinberg::tresult setLayout (Steinberg::Vst::SpeakerArrangement in, Steinberg::Vst::SpeakerArrangement out);
        Steinberg::Vst::SpeakerArrangement getLayout (Steinberg::Vst::BusDirection direction);
        int busChannelCount (Steinberg::Vst::BusDirection direction);

        /** setupProcessing (32-bit, realtime), setActive (true), setProcessing (true). */
        void start (double sampleRate, int maxBlockSize);
        void stop();

        /** One process call over the given buses. */
        Steinberg::tresult process (int numSamples,
                                    Steinberg::Vst::AudioBusBuffers* inputs, int numInputs,
                                    Steinberg::Vst::AudioBusBuffers* outputs, int numOutputs,
                                    Steinberg::Vst::IParameterChanges* changes = nullptr);

    private:
        Steinberg::IPtr<Steinberg::Vst::IComponent> componentPtr;
        Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processorPtr;
        Steinberg::IPtr<Steinberg::Vst::IEditController> controllerPtr;
        bool running = false;
    };

    /** A readable and seekable stream over a byte block, with a size, like a DAW's memory stream. */
    class MemoryStream final : public Steinberg::IBStream, public Steinberg::ISizeableStream
    {
    public:
        MemoryStream() = default;
        explicit MemoryStream (Bytes contents) : data (std::move (contents)) {}

        const Bytes& bytes() const { return data; }

        Steinberg::tresult PLUGIN_API read (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
        Steinberg::tresult PLUGIN_API write (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesWritten) override;
        Steinberg::tresult PLUGIN_API seek (Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
        Steinberg::tresult PLUGIN_API tell (Steinberg::int64* pos) override;
        Steinberg::tresult PLUGIN_API getStreamSize (Steinberg::int64& size) override;
        Steinberg::tresult PLUGIN_API setStreamSize (Steinberg::int64 size) override;

        Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
        Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
        Steinberg::uint32 PLUGIN_API release() override { return 1; }

    private:
        Bytes data;
        std::size_t position = 0;
    };

    /** Parameter changes for one process call: one point per parameter at sample 0. */
    class ParameterChanges final : public Steinberg::Vst::IParameterChanges
    {
    public:
        explicit ParameterChanges (const std::vector<std::pair<Steinberg::Vst::ParamID, double>>& changes);

        Steinberg::int32 PLUGIN_API getParameterCount() override { return (Steinberg::int32) queues.size(); }
        Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData (Steinberg::int32 index) override;
        Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData (const Steinberg::Vst::ParamID&, Steinberg::int32&) override { return nullptr; }

        Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
        Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
        Steinberg::uint32 PLUGIN_API release() override { return 1; }

    private:
        class Queue final : public Steinberg::Vst::IParamValueQueue
        {
        public:
            Queue (Steinberg::Vst::ParamID idIn, double valueIn) : id (idIn), value (valueIn) {}

            Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id; }
            Steinberg::int32 PLUGIN_API getPointCount() override { return 1; }
            Steinberg::tresult PLUGIN_API getPoint (Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                                    Steinberg::Vst::ParamValue& valueOut) override;
            Steinberg::tresult PLUGIN_API addPoint (Steinberg::int32, Steinberg::Vst::ParamValue, Steinberg::int32&) override
            {
                return Steinberg::kResultFalse;
            }

            Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
            Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
            Steinberg::uint32 PLUGIN_API release() override { return 1; }

        private:
            Steinberg::Vst::ParamID id;
            double value;
        };

        std::vector<Queue> queues;
    };
}
