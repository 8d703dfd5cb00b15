// The few VST3 SDK sources a host needs besides the headers: FUnknown's helpers and the
// interface identifiers. They come from the copy of the SDK that ships with JUCE.
#include <pluginterfaces/base/funknown.cpp>
#include <pluginterfaces/base/coreiids.cpp>
#include <public.sdk/source/vst/vstinitiids.cpp>
