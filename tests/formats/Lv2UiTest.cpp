// Orvel.lv2's editor as an LV2 UI, in a window of the test's own on a virtual screen: a
// parameter that changes inside the plug-in (a preset, an undo, the editor's controls) reaches
// the host through the parameter's control port, which only a UI may write. Values the host
// itself set are not written back, so nothing loops.

#include "Lv2TestHost.h"

#include <gtest/gtest.h>

#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <map>
#include <thread>
#include <vector>

namespace
{
    const std::string pluginUri = "https://corvaneaudio.com/plugins/orvel";
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    /** What the UI wrote to the host's ports, by port index, in order. */
    struct Writes
    {
        std::vector<std::pair<std::uint32_t, float>> list;

        static void write (LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer)
        {
            auto& self = *static_cast<Writes*> (const_cast<void*> (controller));
            ASSERT_EQ (format, 0u) << "only control port values are written";
            ASSERT_EQ (size, sizeof (float));
            self.list.emplace_back (port, *static_cast<const float*> (buffer));
        }
    };

    /** A block of silence through the instance. */
    void runBlock (orvel::lv2host::Instance& instance)
    {
        std::vector<float> silence (blockSize, 0.0f), l (blockSize), r (blockSize);
        const float* in[2] = { silence.data(), silence.data() };
        float* out[2] = { l.data(), r.data() };
        instance.run (in, out, blockSize);
    }
}

TEST (Lv2Ui, WritesTheParametersThePluginChangesToTheirPortsAndNothingElse)
{
    // A plug-in's JUCE leaves X errors to the host, as hosts' toolkits handle them. On a bare
    // virtual screen without a window manager, JUCE's window-manager hints name atoms that do
    // not exist; like a host, the test logs and ignores them rather than exiting.
    XSetErrorHandler ([] (Display*, XErrorEvent* event)
    {
        static int count = 0;

        if (++count <= 3)
            std::printf ("X error %d (request %d) ignored%s\n", (int) event->error_code, (int) event->request_code,
                         count == 3 ? "; later ones are not shown" : "");

        return 0;
    });

    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr) << "no X display (run under xvfb-run)";
    const auto parent = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1200, 700, 0, 0, 0);
    XMapWindow (display, parent);
    XFlush (display);

    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    orvel::lv2host::Instance instance (world, pluginUri, sampleRate, blockSize);
    runBlock (instance);

    // The UI lives in the plug-in binary that lilv has loaded already.
    void* library = dlopen (ORVEL_LV2_BINARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE (library, nullptr) << dlerror();
    const auto descriptorFunction = reinterpret_cast<LV2UI_DescriptorFunction> (dlsym (library, "lv2ui_descriptor"));
    ASSERT_NE (descriptorFunction, nullptr);
    const auto* descriptor = descriptorFunction (0);
    ASSERT_NE (descriptor, nullptr);

    LV2_Feature instanceAccess { LV2_INSTANCE_ACCESS_URI, instance.handle() };
    LV2_Feature parentFeature { LV2_UI__parent, reinterpret_cast<void*> (parent) };
    LV2_Feature idleFeature { LV2_UI__idleInterface, nullptr };
    const LV2_Feature* features[] { &instanceAccess, &parentFeature, instance.uridMapFeature(), &idleFeature, nullptr };

    Writes writes;
    LV2UI_Widget widget = nullptr;
    auto* ui = descriptor->instantiate (descriptor, pluginUri.c_str(), ORVEL_LV2_BUNDLE, &Writes::write, &writes, &widget, features);
    ASSERT_NE (ui, nullptr);
    EXPECT_NE (widget, nullptr);

    const auto* idle = static_cast<const LV2UI_Idle_Interface*> (descriptor->extension_data (LV2_UI__idleInterface));
    ASSERT_NE (idle, nullptr);

    // Hosts call idle about 30 times a second; a third of a second covers several of the
    // UI's checks.
    const auto pump = [&]
    {
        for (int i = 0; i < 20; ++i)
        {
            idle->idle (ui);
            std::this_thread::sleep_for (std::chrono::milliseconds (15));
        }
    };

    const auto portValueEcho = [&] (const std::string& id, float value)
    {
        instance.setParameter (id, value);
        descriptor->port_event (ui, instance.portIndex (id), sizeof (float), 0, &value);
    };

    pump();
    EXPECT_TRUE (writes.list.empty()) << "the parameters were where the host's ports are";

    // A state with two parameters moved, restored inside the plug-in (as the editor's preset
    // menu does), with the host's ports left where they were.
    {
        orvel::lv2host::Instance source (world, pluginUri, sampleRate, blockSize);
        source.setParameter ("inputGain", -12.0f);
        source.setParameter ("reverbMix", 40.0f);
        runBlock (source);
        ASSERT_TRUE (instance.restoreState (source.saveState()));
    }

    pump();
    const std::vector<std::pair<std::uint32_t, float>> expected { { instance.portIndex ("inputGain"), -12.0f },
                                                                  { instance.portIndex ("reverbMix"), 40.0f } };
    EXPECT_EQ (writes.list, expected);

    // The host takes the values and tells the UI; then it moves two ports itself, one to a
    // value between the parameter's steps. Nothing is written back.
    writes.list.clear();
    portValueEcho ("inputGain", -12.0f);
    portValueEcho ("reverbMix", 40.0f);
    portValueEcho ("hpfFreq", 123.456f);
    portValueEcho ("width", 150.0f);
    runBlock (instance);
    pump();
    runBlock (instance);
    pump();
    EXPECT_TRUE (writes.list.empty()) << writes.list.size() << " writes, the first to port " << writes.list.front().first;

    descriptor->cleanup (ui);
    dlclose (library);
    XDestroyWindow (display, parent);
    XCloseDisplay (display);
}
