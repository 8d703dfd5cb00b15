// The menu bar's tests open real dialogs and pop-up menus, which are desktop windows. The tests
// run on a bare virtual X server without a window manager, and there the atoms a window
// manager creates ("WM_PROTOCOLS", "WM_STATE", ...) do not exist. JUCE 7 looks them up once,
// when it first connects to the display, and then uses them unchecked on every new window;
// with an atom missing the request fails and Xlib's default error handler ends the process.
//
// So, before main() and before JUCE connects, create those atoms on the server. The connection
// stays open for the life of the process: a virtual server that loses its last client resets
// and forgets its atoms. libX11 is loaded at run time, as JUCE itself does.

#if defined (__linux__)

#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>

namespace
{
    bool createWindowManagerAtoms()
    {
        if (std::getenv ("DISPLAY") == nullptr)
            return false;

        void* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);

        if (x11 == nullptr)
            return false;

        using OpenDisplay = void* (*) (const char*);
        using InternAtom = unsigned long (*) (void*, const char*, int);
        using Sync = int (*) (void*, int);

        const auto openDisplay = reinterpret_cast<OpenDisplay> (dlsym (x11, "XOpenDisplay"));
        const auto internAtom = reinterpret_cast<InternAtom> (dlsym (x11, "XInternAtom"));
        const auto sync = reinterpret_cast<Sync> (dlsym (x11, "XSync"));

        if (openDisplay == nullptr || internAtom == nullptr || sync == nullptr)
            return false;

        void* display = openDisplay (nullptr);

        if (display == nullptr)
            return false;

        bool allCreated = true;

        for (const char* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                  "WM_CHANGE_STATE", "WM_STATE" })
            allCreated = internAtom (display, name, 0) != 0 && allCreated;

        sync (display, 0);
        return allCreated; // the display is deliberately left open
    }

    [[maybe_unused]] const bool windowManagerAtomsCreated = createWindowManagerAtoms();
}

#endif
