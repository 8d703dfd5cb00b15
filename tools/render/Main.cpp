#include "RenderApp.h"

#include <juce_events/juce_events.h>

namespace
{
    // JUCE installs its X error handlers only for an application; returning no instance is
    // enough for it to treat this program as one.
    juce::JUCEApplicationBase* createNoApplication() { return nullptr; }
}

int main (int argc, char** argv)
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juce;
    return RenderApp::run (arguments);
}
