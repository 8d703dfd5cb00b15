// Host state blocks: whatever bytes a host hands to setStateInformation, the instance stays
// valid. Each input is tried twice: as a raw block, and as XML text behind a correct header,
// so that mutations reach the XML and state handling and not only the header checks.
#include "FuzzSupport.h"

#include <limits>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = FuzzSupport::processor();

    if (size > (size_t) std::numeric_limits<int>::max() - 16)
        return 0;

    p.setStateInformation (data, (int) size);
    FuzzSupport::checkInvariants (p);

    juce::MemoryBlock block;
    block.append ("VC2!", 4);
    const auto length = juce::ByteOrder::swapIfBigEndian ((juce::uint32) size);
    block.append (&length, 4);
    block.append (data, size);
    block.append ("", 1);
    p.setStateInformation (block.getData(), (int) block.getSize());
    FuzzSupport::checkInvariants (p);
    return 0;
}
