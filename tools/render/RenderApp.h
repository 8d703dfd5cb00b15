#pragma once

#include <juce_core/juce_core.h>

/** The orvel-render command: parses the arguments, loads the plug-in, renders and reports.
    Returns the exit status: 0 when everything was rendered, 1 when any file failed, 2 when
    the command itself cannot run (a bad option, preset, parameter value, output folder or
    plug-in). Must run on the message thread. */
namespace RenderApp
{
    int run (const juce::StringArray& arguments);
}
