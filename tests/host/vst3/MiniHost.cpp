#include "MiniHost.h"

#include <pluginterfaces/vst/ivsthostapplication.h>
#include <pluginterfaces/vst/ivstmessage.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>

using namespace Steinberg;

namespace orvel::vst3host
{
    namespace
    {
        template <typename Interface>
        tresult answer (Interface* self, const TUID requested, void** obj)
        {
            if (FUnknownPrivate::iidEqual (requested, Interface::iid) || FUnknownPrivate::iidEqual (requested, FUnknown::iid))
            {
                *obj = self;
                return kResultOk;
            }

            *obj = nullptr;
            return kNoInterface;
        }

        void require (bool ok, const char* what)
        {
            if (! ok)
                throw std::runtime_error (std::string ("VST3 host: ") + what);
        }

        /** The host context handed to initialize(). It makes no objects for the plug-in. */
        class HostApplication final : public Vst::IHostApplication
        {
        public:
            tresult PLUGIN_API getName (Vst::String128 name) override
            {
                const char16_t text[] = u"Orvel test host";
                std::copy (std::begin (text), std::end (text), name);
                return kResultOk;
            }

            tresult PLUGIN_API createInstance (TUID, TUID, void** obj) override
            {
                *obj = nullptr;
                return kResultFalse;
            }

            tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override { return answer<Vst::IHostApplication> (this, iid, obj); }
            uint32 PLUGIN_API addRef() override { return 1; }
            uint32 PLUGIN_API release() override { return 1; }
        };

        HostApplication hostApplication;

        /** The built module, loaded once for the whole test run as a DAW loads it: dlopen,
            ModuleEntry, GetPluginFactory; ModuleExit and dlclose when the process ends. */
        class Module
        {
        public:
            static Module& get()
            {
                static Module module;
                return module;
            }

            IPluginFactory& factory() { return *factoryPtr; }

        private:
            Module()
            {
                handle = dlopen (ORVEL_VST3_BINARY, RTLD_NOW | RTLD_LOCAL);
                require (handle != nullptr, dlerror());

                using Entry = bool (*) (void*);
                using GetFactory = IPluginFactory* (*)();
                auto* entry = reinterpret_cast<Entry> (dlsym (handle, "ModuleEntry"));
                auto* getFactory = reinterpret_cast<GetFactory> (dlsym (handle, "GetPluginFactory"));
                require (entry != nullptr && getFactory != nullptr, "module lacks its entry points");
                require (entry (handle), "ModuleEntry failed");
                factoryPtr = owned (getFactory());
                require (factoryPtr != nullptr, "no plug-in factory");
            }

            ~Module()
            {
                factoryPtr = nullptr;

                if (auto* exit = reinterpret_cast<bool (*)()> (dlsym (handle, "ModuleExit")))
                    exit();

                dlclose (handle);
            }

            void* handle = nullptr;
            IPtr<IPluginFactory> factoryPtr;
        };
    }

    //==============================================================================
    Plugin::Plugin()
    {
        auto& factory = Module::get().factory();
        TUID componentClass {};
        bool found = false;

        for (int32 i = 0; i < factory.countClasses() && ! found; ++i)
        {
            PClassInfo info;

            if (factory.getClassInfo (i, &info) == kResultOk && std::strcmp (info.category, kVstAudioEffectClass) == 0)
            {
                std::memcpy (componentClass, info.cid, sizeof (TUID));
                found = true;
            }
        }

        require (found, "no audio effect class in the factory");

        Vst::IComponent* component = nullptr;
        require (factory.createInstance (componentClass, Vst::IComponent::iid, (void**) &component) == kResultOk, "no component");
        componentPtr = owned (component);
        require (componentPtr->initialize (&hostApplication) == kResultOk, "component initialize");

        processorPtr = FUnknownPtr<Vst::IAudioProcessor> (componentPtr);
        require (processorPtr != nullptr, "no audio processor");

        TUID controllerClass {};
        Vst::IEditController* controller = nullptr;
        require (componentPtr->getControllerClassId (controllerClass) == kResultOk
                     && factory.createInstance (controllerClass, Vst::IEditController::iid, (void**) &controller) == kResultOk,
                 "no edit controller");
        controllerPtr = owned (controller);
        require (controllerPtr->initialize (&hostApplication) == kResultOk, "controller initialize");

        FUnknownPtr<Vst::IConnectionPoint> componentPoint (componentPtr), controllerPoint (controllerPtr);
        require (componentPoint != nullptr && controllerPoint != nullptr, "no connection points");
        componentPoint->connect (controllerPoint);
        controllerPoint->connect (componentPoint);

        // The controller learns the component's state, as every host does after creating both.
        MemoryStream initial (getState());
        controllerPtr->setComponentState (&initial);

        componentPtr->activateBus (Vst::kAudio, Vst::kInput, 0, true);
        componentPtr->activateBus (Vst::kAudio, Vst::kOutput, 0, true);
    }

    Plugin::~Plugin()
    {
        stop();

        FUnknownPtr<Vst::IConnectionPoint> componentPoint (componentPtr), controllerPoint (controllerPtr);

        if (componentPoint != nullptr && controllerPoint != nullptr)
        {
            componentPoint->disconnect (controllerPoint);
            controllerPoint->disconnect (componentPoint);
        }

        controllerPtr->terminate();
        componentPtr->terminate();
    }

    Bytes Plugin::getState()
    {
        MemoryStream stream;
        require (componentPtr->getState (&stream) == kResultOk, "getState");
        return stream.bytes();
    }

    tresult Plugin::setState (const Bytes& block)
    {
        MemoryStream stream (block);
        const auto result = componentPtr->setState (&stream);
        stream.seek (0, IBStream::kIBSeekSet, nullptr);
        controllerPtr->setComponentState (&stream);
        return result;
    }

    std::vector<Vst::ParamID> Plugin::parameterIds()
    {
        std::vector<Vst::ParamID> ids;

        for (int32 i = 0; i < controllerPtr->getParameterCount(); ++i)
        {
            Vst::ParameterInfo info {};
            controllerPtr->getParameterInfo (i, info);
            ids.push_back (info.id);
        }

        return ids;
    }

    std::vector<double> Plugin::parameterValues()
    {
        std::vector<double> values;

        for (const auto id : parameterIds())
            values.push_back (controllerPtr->getParamNormalized (id));

        return values;
    }

    void Plugin::setParameters (const std::vector<std::pair<Vst::ParamID, double>>& changes)
    {
        ParameterChanges list (changes);
        require (process (0, nullptr, 0, nullptr, 0, &list) == kResultOk, "parameter process call");

        // A host shows the same values on the controller side.
        for (const auto& [id, value] : changes)
            controllerPtr->setParamNormalized (id, value);
    }

    tresult Plugin::setLayout (Vst::SpeakerArrangement in, Vst::SpeakerArrangement out)
    {
        return processorPtr->setBusArrangements (&in, 1, &out, 1);
    }

    Vst::SpeakerArrangement Plugin::getLayout (Vst::BusDirection direction)
    {
        Vst::SpeakerArrangement arrangement = 0;
        processorPtr->getBusArrangement (direction, 0, arrangement);
        return arrangement;
    }

    int Plugin::busChannelCount (Vst::BusDirection direction)
    {
        Vst::BusInfo info {};
        componentPtr->getBusInfo (Vst::kAudio, direction, 0, info);
        return info.channelCount;
    }

    void Plugin::start (double sampleRate, int maxBlockSize)
    {
        Vst::ProcessSetup setup { Vst::kRealtime, Vst::kSample32, maxBlockSize, sampleRate };
        require (processorPtr->setupProcessing (setup) == kResultOk, "setupProcessing");
        require (componentPtr->setActive (true) == kResultOk, "setActive");
        processorPtr->setProcessing (true);
        running = true;
    }

    void Plugin::stop()
    {
        if (! running)
            return;

        processorPtr->setProcessing (false);
        componentPtr->setActive (false);
        running = false;
    }

    tresult Plugin::process (int numSamples, Vst::AudioBusBuffers* inputs, int numInputs,
                             Vst::AudioBusBuffers* outputs, int numOutputs, Vst::IParameterChanges* changes)
    {
        Vst::ProcessData data;
        data.processMode = Vst::kRealtime;
        data.symbolicSampleSize = Vst::kSample32;
        data.numSamples = numSamples;
        data.numInputs = numInputs;
        data.numOutputs = numOutputs;
        data.inputs = inputs;
        data.outputs = outputs;
        data.inputParameterChanges = changes;
        return processorPtr->process (data);
    }

    //==============================================================================
    tresult MemoryStream::read (void* buffer, int32 numBytes, int32* numBytesRead)
    {
        const auto count = (std::size_t) std::clamp<int64> (numBytes, 0, (int64) (data.size() - position));

        // An empty stream has no data pointer, and memcpy must never be given a null one.
        if (count > 0)
            std::memcpy (buffer, data.data() + position, count);

        position += count;

        if (numBytesRead != nullptr)
            *numBytesRead = (int32) count;

        return kResultOk;
    }

    tresult MemoryStream::write (void* buffer, int32 numBytes, int32* numBytesWritten)
    {
        if (numBytes < 0)
            return kInvalidArgument;

        const auto* bytes = static_cast<const unsigned char*> (buffer);
        data.resize (std::max (data.size(), position + (std::size_t) numBytes));
        std::copy (bytes, bytes + numBytes, data.begin() + (std::ptrdiff_t) position);
        position += (std::size_t) numBytes;

        if (numBytesWritten != nullptr)
            *numBytesWritten = numBytes;

        return kResultOk;
    }

    tresult MemoryStream::seek (int64 pos, int32 mode, int64* result)
    {
        const auto base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? (int64) position : (int64) data.size();
        const auto target = base + pos;

        if (target < 0 || target > (int64) data.size())
            return kInvalidArgument;

        position = (std::size_t) target;

        if (result != nullptr)
            *result = target;

        return kResultOk;
    }

    tresult MemoryStream::tell (int64* pos)
    {
        if (pos == nullptr)
            return kInvalidArgument;

        *pos = (int64) position;
        return kResultOk;
    }

    tresult MemoryStream::getStreamSize (int64& size)
    {
        size = (int64) data.size();
        return kResultOk;
    }

    tresult MemoryStream::setStreamSize (int64 size)
    {
        if (size < 0)
            return kInvalidArgument;

        data.resize ((std::size_t) size);
        position = std::min (position, data.size());
        return kResultOk;
    }

    tresult MemoryStream::queryInterface (const TUID iid, void** obj)
    {
        if (FUnknownPrivate::iidEqual (iid, ISizeableStream::iid))
        {
            *obj = static_cast<ISizeableStream*> (this);
            return kResultOk;
        }

        return answer<IBStream> (this, iid, obj);
    }

    //==============================================================================
    ParameterChanges::ParameterChanges (const std::vector<std::pair<Vst::ParamID, double>>& changes)
    {
        for (const auto& [id, value] : changes)
            queues.emplace_back (id, value);
    }

    Vst::IParamValueQueue* ParameterChanges::getParameterData (int32 index)
    {
        return index >= 0 && index < (int32) queues.size() ? &queues[(std::size_t) index] : nullptr;
    }

    tresult ParameterChanges::queryInterface (const TUID iid, void** obj)
    {
        return answer<Vst::IParameterChanges> (this, iid, obj);
    }

    tresult ParameterChanges::Queue::getPoint (int32 index, int32& sampleOffset, Vst::ParamValue& valueOut)
    {
        if (index != 0)
            return kResultFalse;

        sampleOffset = 0;
        valueOut = value;
        return kResultOk;
    }

    tresult ParameterChanges::Queue::queryInterface (const TUID iid, void** obj)
    {
        return answer<Vst::IParamValueQueue> (this, iid, obj);
    }
}
