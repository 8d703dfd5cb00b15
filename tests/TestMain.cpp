#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

namespace
{
    // JUCE installs its X error handlers only for an application; returning no instance is
    // enough for it to treat this test binary as one. Without them, the first desktop window
    // (a dialog or a pop-up menu) on a virtual screen with no window manager ends the process
    // on an X error about window-manager atoms that do not exist there.
    juce::JUCEApplicationBase* createNoApplication() { return nullptr; }
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
