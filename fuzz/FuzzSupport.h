#pragma once

#include "processor/OrvelAudioProcessor.h"

#include <cstddef>
#include <cstdint>

// The entry points libFuzzer calls; each target defines them.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

/** What the fuzz targets share: JUCE set up once, a private home folder (so that preset and
    settings files never touch the real user's), and checks that must hold whatever the input. */
namespace FuzzSupport
{
    /** Sets up JUCE and points HOME at a fresh temporary folder; call once, first. */
    void initialise();

    /** One prepared stereo processor, made on first use and kept for every input. */
    OrvelAudioProcessor& processor();

    /** Stops the run (libFuzzer records the input) when a check fails. */
    void require (bool condition, const char* what);

    /** Every parameter finite and inside its range, a block of noise processed to finite
        output, and the state saved, restored and saved again giving the same bytes. */
    void checkInvariants (OrvelAudioProcessor& p);
}
