#pragma once

// A small LV2 host on lilv for the tests: it loads the built Orvel.lv2 with the features that
// Ardour, Carla or Zrythm give a plug-in (URID map, options with the block length, bounded
// blocks), or bare, with none of them and the atom ports left unconnected, as lv2apply does.
// It sets parameters through their control ports, runs audio and saves and restores the
// state through the plug-in's state interface. The lilv world holds this one bundle, never
// the other plug-ins on the machine.

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvel::lv2host
{
    /** A lilv world that knows one bundle. */
    class World
    {
    public:
        /** bundlePath: the .lv2 folder. */
        explicit World (const std::string& bundlePath);
        ~World();

        World (const World&) = delete;
        World& operator= (const World&) = delete;

        LilvWorld* get() const { return world; }

        /** The plug-in with this URI, its data files loaded, or nullptr when the bundle does
            not describe it. */
        const LilvPlugin* plugin (const std::string& uri) const;

    private:
        LilvWorld* world = nullptr;
    };

    /** One running instance, stereo in and out. Everything is called from one thread. */
    class Instance
    {
    public:
        /** What the host gives the plug-in. */
        enum class Host
        {
            full, ///< URID map and unmap, options with the block lengths, bounded blocks, atom ports
            bare  ///< no features, atom ports unconnected
        };

        /** maxBlockSize: the longest run; with a full host, also the maximum it announces. */
        Instance (const World& world, const std::string& uri, double sampleRate, int maxBlockSize,
                  Host host = Host::full);
        ~Instance();

        Instance (const Instance&) = delete;
        Instance& operator= (const Instance&) = delete;

        /** Sets the control port of the parameter with this identifier (its symbol), in the
            parameter's own units; the plug-in reads it in the next run. */
        void setParameter (const std::string& parameterId, float value);

        /** The value the parameter's control port holds now. */
        float getParameter (const std::string& parameterId) const;

        /** What the plug-in last wrote to its latency port (-1 before it wrote anything). */
        float reportedLatency() const { return latency; }

        /** The lv2:enabled port: false is the host's bypass. */
        void setEnabled (bool shouldBeEnabled) { enabled = shouldBeEnabled ? 1.0f : 0.0f; }

        /** Runs numSamples (at most the block size) from in to out, two channels each. */
        void run (const float* const* in, float* const* out, int numSamples);

        /** The properties that the plug-in stores when the host saves its state. */
        std::map<std::string, std::string> saveState();

        /** Hands these properties to the plug-in's restore; true when it reports success. */
        bool restoreState (const std::map<std::string, std::string>& properties);

        LV2_URID map (const std::string& uri);
        std::string unmap (LV2_URID urid) const;

        /** The plug-in's own handle, which a UI with instance-access is given. */
        void* handle() const;

        /** The host's URID map feature. */
        const LV2_Feature* uridMapFeature() const;

        /** The index of the port with this symbol. */
        std::uint32_t portIndex (const std::string& symbol) const;

    private:
        struct Features;

        void connectPort (const char* symbol, void* data);

        LilvWorld* lilvWorld = nullptr;

        std::string pluginUri;
        const LilvPlugin* plugin = nullptr;
        std::unique_ptr<Features> features;
        LilvInstance* instance = nullptr;
        int blockSize = 0;

        std::vector<float> audioIn[2], audioOut[2];
        std::vector<std::uint64_t> controlIn, controlOut; // atom sequences, 8-byte aligned
        float latency = -1.0f, freeWheeling = 0.0f, enabled = 1.0f;
        std::map<std::string, std::unique_ptr<float>> parameterPorts; // by symbol, at their defaults
        bool connectAtomPorts = true;
    };
}
