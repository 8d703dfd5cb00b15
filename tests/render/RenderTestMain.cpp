#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

namespace
{
    // JUCE installs its X error handlers only for an application; returning no instance
    // is enough for it to treat this test binary as one.
    juce::JUCEApplicationBase* createNoApplication() { return nullptr; }
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
