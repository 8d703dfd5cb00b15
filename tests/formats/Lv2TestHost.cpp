#include "Lv2TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace orvel::lv2host
{
    namespace
    {
        void require (bool ok, const std::string& what)
        {
            if (! ok)
                throw std::runtime_error ("LV2 host: " + what);
        }

        constexpr std::size_t sequenceBytes = 1 << 16;
    }

    //==============================================================================
    World::World (const std::string& bundlePath) : world (lilv_world_new())
    {
        require (world != nullptr, "no lilv world");
        const auto folder = bundlePath.back() == '/' ? bundlePath : bundlePath + "/";
        auto* uri = lilv_new_file_uri (world, nullptr, folder.c_str());
        lilv_world_load_bundle (world, uri);
        lilv_node_free (uri);
    }

    World::~World()
    {
        lilv_world_free (world);
    }

    const LilvPlugin* World::plugin (const std::string& uri) const
    {
        auto* node = lilv_new_uri (world, uri.c_str());
        const auto* found = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), node);

        if (found != nullptr)
            lilv_world_load_resource (world, node);

        lilv_node_free (node);
        return found;
    }

    //==============================================================================
    /** What the host hands the plug-in: URID mapping and the block-length options. */
    struct Instance::Features
    {
        std::vector<std::string> uris { "" }; // URID 0 means "none"
        std::map<std::string, LV2_URID> ids;

        LV2_URID_Map mapData { this, &Features::mapUri };
        LV2_URID_Unmap unmapData { this, &Features::unmapUri };

        std::int32_t minBlock = 1, maxBlock = 0, sequenceSize = (std::int32_t) sequenceBytes;
        float sampleRate = 0.0f;
        std::vector<LV2_Options_Option> options;

        LV2_Feature mapFeature { LV2_URID__map, &mapData };
        LV2_Feature unmapFeature { LV2_URID__unmap, &unmapData };
        LV2_Feature optionsFeature { LV2_OPTIONS__options, nullptr };
        LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
        const LV2_Feature* list[5] { &mapFeature, &unmapFeature, &optionsFeature, &boundedFeature, nullptr };

        Features (double rate, int blockSize) : maxBlock (blockSize), sampleRate ((float) rate)
        {
            const auto intType = map (LV2_ATOM__Int);
            options = {
                { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__minBlockLength), sizeof (std::int32_t), intType, &minBlock },
                { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (std::int32_t), intType, &maxBlock },
                { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__sequenceSize), sizeof (std::int32_t), intType, &sequenceSize },
                { LV2_OPTIONS_INSTANCE, 0, map (LV2_PARAMETERS__sampleRate), sizeof (float), map (LV2_ATOM__Float), &sampleRate },
                { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr },
            };
            optionsFeature.data = options.data();
        }

        LV2_URID map (const std::string& uri)
        {
            const auto found = ids.find (uri);

            if (found != ids.end())
                return found->second;

            uris.push_back (uri);
            const auto id = (LV2_URID) (uris.size() - 1);
            ids.emplace (uri, id);
            return id;
        }

        static LV2_URID mapUri (LV2_URID_Map_Handle handle, const char* uri)
        {
            return static_cast<Features*> (handle)->map (uri);
        }

        static const char* unmapUri (LV2_URID_Unmap_Handle handle, LV2_URID urid)
        {
            const auto& uris = static_cast<Features*> (handle)->uris;
            return urid > 0 && urid < uris.size() ? uris[urid].c_str() : nullptr;
        }
    };

    //==============================================================================
    Instance::Instance (const World& world, const std::string& uri, double sampleRate, int maxBlockSize, Host host)
        : pluginUri (uri),
          features (std::make_unique<Features> (sampleRate, maxBlockSize)),
          blockSize (maxBlockSize),
          controlIn (sequenceBytes / sizeof (std::uint64_t)),
          controlOut (sequenceBytes / sizeof (std::uint64_t)),
          connectAtomPorts (host == Host::full)
    {
        plugin = world.plugin (uri);
        require (plugin != nullptr, "the bundle does not describe " + uri);
        lilvWorld = world.get();

        instance = lilv_plugin_instantiate (plugin, sampleRate, host == Host::full ? features->list : nullptr);
        require (instance != nullptr, "instantiation failed");

        for (int ch = 0; ch < 2; ++ch)
        {
            audioIn[ch].assign ((std::size_t) maxBlockSize, 0.0f);
            audioOut[ch].assign ((std::size_t) maxBlockSize, 0.0f);
        }

        connectPort ("audio_in_1", audioIn[0].data());
        connectPort ("audio_in_2", audioIn[1].data());
        connectPort ("audio_out_1", audioOut[0].data());
        connectPort ("audio_out_2", audioOut[1].data());
        if (connectAtomPorts)
        {
            connectPort ("in", controlIn.data());
            connectPort ("out", controlOut.data());
        }

        connectPort ("latency", &latency);
        connectPort ("freeWheeling", &freeWheeling);
        connectPort ("enabled", &enabled);

        // Every other input control port is a parameter; it starts at its default, as hosts
        // start them.
        auto* controlClass = lilv_new_uri (world.get(), LV2_CORE__ControlPort);
        auto* inputClass = lilv_new_uri (world.get(), LV2_CORE__InputPort);

        for (std::uint32_t i = 0; i < lilv_plugin_get_num_ports (plugin); ++i)
        {
            const auto* port = lilv_plugin_get_port_by_index (plugin, i);
            const std::string symbol = lilv_node_as_string (lilv_port_get_symbol (plugin, port));

            if (! lilv_port_is_a (plugin, port, controlClass) || ! lilv_port_is_a (plugin, port, inputClass)
                || symbol == "freeWheeling" || symbol == "enabled")
                continue;

            LilvNode* defaultValue = nullptr;
            lilv_port_get_range (plugin, port, &defaultValue, nullptr, nullptr);
            require (defaultValue != nullptr, "no default for " + symbol);
            auto& value = parameterPorts[symbol] = std::make_unique<float> (lilv_node_as_float (defaultValue));
            lilv_node_free (defaultValue);
            lilv_instance_connect_port (instance, i, value.get());
        }

        lilv_node_free (controlClass);
        lilv_node_free (inputClass);

        lilv_instance_activate (instance);
    }

    Instance::~Instance()
    {
        if (instance != nullptr)
        {
            lilv_instance_deactivate (instance);
            lilv_instance_free (instance);
        }
    }

    void Instance::connectPort (const char* symbol, void* data)
    {
        lilv_instance_connect_port (instance, portIndex (symbol), data);
    }

    LV2_URID Instance::map (const std::string& uri)
    {
        return features->map (uri);
    }

    void* Instance::handle() const
    {
        return lilv_instance_get_handle (instance);
    }

    const LV2_Feature* Instance::uridMapFeature() const
    {
        return &features->mapFeature;
    }

    std::uint32_t Instance::portIndex (const std::string& symbol) const
    {
        auto* symbolNode = lilv_new_string (lilvWorld, symbol.c_str());
        const auto* port = lilv_plugin_get_port_by_symbol (plugin, symbolNode);
        lilv_node_free (symbolNode);
        require (port != nullptr, "no port " + symbol);
        return lilv_port_get_index (plugin, port);
    }

    std::string Instance::unmap (LV2_URID urid) const
    {
        const auto* text = Features::unmapUri (features.get(), urid);
        return text != nullptr ? text : "";
    }

    void Instance::setParameter (const std::string& parameterId, float value)
    {
        const auto found = parameterPorts.find (parameterId);
        require (found != parameterPorts.end(), "no control port " + parameterId);
        *found->second = value;
    }

    float Instance::getParameter (const std::string& parameterId) const
    {
        const auto found = parameterPorts.find (parameterId);
        require (found != parameterPorts.end(), "no control port " + parameterId);
        return *found->second;
    }

    void Instance::run (const float* const* in, float* const* out, int numSamples)
    {
        require (numSamples >= 0 && numSamples <= blockSize, "block longer than announced");

        if (connectAtomPorts)
        {
            // The control input: an empty sequence.
            LV2_Atom_Forge forge;
            lv2_atom_forge_init (&forge, &features->mapData);
            lv2_atom_forge_set_buffer (&forge, reinterpret_cast<std::uint8_t*> (controlIn.data()), sequenceBytes);
            LV2_Atom_Forge_Frame sequence;
            lv2_atom_forge_sequence_head (&forge, &sequence, 0);
            lv2_atom_forge_pop (&forge, &sequence);

            // The control output: an empty chunk of the whole capacity for the plug-in to fill.
            auto* outSequence = reinterpret_cast<LV2_Atom*> (controlOut.data());
            outSequence->type = map (LV2_ATOM__Chunk);
            outSequence->size = (std::uint32_t) (sequenceBytes - sizeof (LV2_Atom));
        }

        for (int ch = 0; ch < 2; ++ch)
            std::copy (in[ch], in[ch] + numSamples, audioIn[ch].begin());

        lilv_instance_run (instance, (std::uint32_t) numSamples);

        for (int ch = 0; ch < 2; ++ch)
            std::copy (audioOut[ch].begin(), audioOut[ch].begin() + numSamples, out[ch]);
    }

    //==============================================================================
    namespace
    {
        struct StateValues
        {
            Instance* host;
            std::map<std::string, std::string> properties;
            LV2_URID stringType;
        };

        LV2_State_Status store (LV2_State_Handle handle, std::uint32_t key, const void* value, std::size_t size,
                                std::uint32_t type, std::uint32_t)
        {
            auto& values = *static_cast<StateValues*> (handle);

            if (type != values.stringType || size == 0)
                return LV2_STATE_ERR_BAD_TYPE;

            // An atom:String's size counts its terminating zero.
            values.properties[values.host->unmap (key)] = std::string (static_cast<const char*> (value), size - 1);
            return LV2_STATE_SUCCESS;
        }

        const void* retrieve (LV2_State_Handle handle, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                              std::uint32_t* flags)
        {
            auto& values = *static_cast<StateValues*> (handle);
            const auto found = values.properties.find (values.host->unmap (key));

            if (found == values.properties.end())
                return nullptr;

            *size = found->second.size() + 1;
            *type = values.stringType;
            *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
            return found->second.c_str();
        }
    }

    std::map<std::string, std::string> Instance::saveState()
    {
        const auto* state = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));
        require (state != nullptr, "no state interface");

        StateValues values { this, {}, map (LV2_ATOM__String) };
        const auto status = state->save (lilv_instance_get_handle (instance), store, &values,
                                         LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features->list);
        require (status == LV2_STATE_SUCCESS, "save failed");
        return values.properties;
    }

    bool Instance::restoreState (const std::map<std::string, std::string>& properties)
    {
        const auto* state = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));
        require (state != nullptr, "no state interface");

        StateValues values { this, properties, map (LV2_ATOM__String) };
        return state->restore (lilv_instance_get_handle (instance), retrieve, &values,
                               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features->list) == LV2_STATE_SUCCESS;
    }
}
