// The audio thread must never allocate. This binary replaces the global allocation
// functions (every operator new and delete, and the C allocator that JUCE's HeapBlock and
// juce::Array use) with versions that count the calls made on the current thread while
// counting is switched on, and switches it on around each processBlock call only.

#include "support/LibcAllocator.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace
{
    thread_local bool counting = false;
    std::atomic<long> newCalls { 0 }, deleteCalls { 0 }, mallocCalls { 0 }, freeCalls { 0 };

    void countNew() noexcept     { if (counting) ++newCalls; }
    void countDelete() noexcept  { if (counting) ++deleteCalls; }
    void countMalloc() noexcept  { if (counting) ++mallocCalls; }
    void countFree() noexcept    { if (counting) ++freeCalls; }

    void* allocate (std::size_t size) noexcept
    {
        countNew();
        return __libc_malloc (size == 0 ? 1 : size);
    }

    void* allocateAligned (std::size_t size, std::align_val_t alignment) noexcept
    {
        countNew();
        return __libc_memalign ((std::size_t) alignment, size == 0 ? 1 : size);
    }

    void* allocateOrThrow (std::size_t size)
    {
        if (auto* p = allocate (size))
            return p;
        throw std::bad_alloc();
    }

    void* allocateAlignedOrThrow (std::size_t size, std::align_val_t alignment)
    {
        if (auto* p = allocateAligned (size, alignment))
            return p;
        throw std::bad_alloc();
    }

    void release (void* p) noexcept
    {
        if (p != nullptr)
        {
            countDelete();
            __libc_free (p);
        }
    }
}

//==============================================================================
extern "C"
{
    void* malloc (size_t size) noexcept                     { countMalloc(); return __libc_malloc (size); }
    void* calloc (size_t count, size_t size) noexcept       { countMalloc(); return __libc_calloc (count, size); }
    void* realloc (void* p, size_t size) noexcept           { countMalloc(); return __libc_realloc (p, size); }
    void* aligned_alloc (size_t alignment, size_t size) noexcept { countMalloc(); return __libc_memalign (alignment, size); }

    int posix_memalign (void** out, size_t alignment, size_t size) noexcept
    {
        countMalloc();
        *out = __libc_memalign (alignment, size);
        return *out != nullptr ? 0 : ENOMEM;
    }

    void free (void* p) noexcept
    {
        if (p != nullptr)
            countFree();
        __libc_free (p);
    }
}

void* operator new (std::size_t size)                                              { return allocateOrThrow (size); }
void* operator new[] (std::size_t size)                                            { return allocateOrThrow (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept              { return allocate (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept            { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t a)                          { return allocateAlignedOrThrow (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a)                        { return allocateAlignedOrThrow (size, a); }
void* operator new (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept   { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocateAligned (size, a); }

void operator delete (void* p) noexcept                                            { release (p); }
void operator delete[] (void* p) noexcept                                          { release (p); }
void operator delete (void* p, std::size_t) noexcept                               { release (p); }
void operator delete[] (void* p, std::size_t) noexcept                             { release (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept                     { release (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept                   { release (p); }
void operator delete (void* p, std::align_val_t) noexcept                          { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept                        { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept             { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept           { release (p); }
void operator delete (void* p, std::align_val_t, const std::nothrow_t&) noexcept   { release (p); }
void operator delete[] (void* p, std::align_val_t, const std::nothrow_t&) noexcept { release (p); }

//==============================================================================
namespace
{
    struct Counts
    {
        long news = 0, deletes = 0, mallocs = 0, frees = 0;

        long total() const noexcept { return news + deletes + mallocs + frees; }
        Counts& operator+= (const Counts& o) { news += o.news; deletes += o.deletes; mallocs += o.mallocs; frees += o.frees; return *this; }
    };

    template <typename Function>
    Counts countDuring (Function&& f)
    {
        const Counts start { newCalls.load(), deleteCalls.load(), mallocCalls.load(), freeCalls.load() };
        counting = true;
        f();
        counting = false;
        return { newCalls.load() - start.news, deleteCalls.load() - start.deletes,
                 mallocCalls.load() - start.mallocs, freeCalls.load() - start.frees };
    }

    // Keeps the compiler from dropping an allocation whose result is unused.
    void* volatile sink = nullptr;
}

// Without this the proof below could pass on a counter that never counts.
TEST (NoAllocationTest, CounterSeesEveryKindOfAllocationInsideTheRegionOnly)
{
    EXPECT_EQ (countDuring ([] { sink = ::operator new (64); ::operator delete (sink); }).news, 1);
    EXPECT_EQ (countDuring ([] { sink = ::operator new (64); ::operator delete (sink); }).deletes, 1);
    EXPECT_EQ (countDuring ([] { sink = ::operator new[] (64, std::nothrow); ::operator delete[] (sink); }).news, 1);
    EXPECT_EQ (countDuring ([] { sink = ::operator new (64, std::align_val_t { 64 }); ::operator delete (sink, std::align_val_t { 64 }); }).total(), 2);
    EXPECT_EQ (countDuring ([] { sink = std::malloc (64); std::free (sink); }).total(), 2);
    EXPECT_GE (countDuring ([] { std::vector<float> v (100); sink = v.data(); }).news, 1);
    EXPECT_GE (countDuring ([] { juce::AudioBuffer<float> b (2, 4096); sink = b.getWritePointer (0); }).mallocs, 1);
    EXPECT_GE (countDuring ([] { juce::Array<int> a; a.add (1); sink = a.data(); }).mallocs, 1);

    sink = ::operator new (64);
    EXPECT_EQ (countDuring ([] {}).total(), 0);
    ::operator delete (sink);
}

//==============================================================================
namespace
{
    struct Range { const char* id; float min, max; bool isBool; };

    const Range allParameters[] = {
        { "mainBypass", 0, 1, true }, { "inputGain", -48, 48, false }, { "outputGain", -48, 48, false },
        { "toneBypass", 0, 1, true }, { "hpfFreq", 20, 500, false }, { "lpfFreq", 4000, 20000, false },
        { "lowGain", -18, 18, false }, { "midGain", -18, 18, false }, { "highGain", -18, 18, false }, { "airGain", -18, 18, false },
        { "compBypass", 0, 1, true }, { "compThresh", -60, 0, false }, { "compRatio", 1, 20, false },
        { "compAttack", 0.1f, 100, false }, { "compRelease", 5, 500, false }, { "compMakeup", 0, 24, false },
        { "characterBypass", 0, 1, true }, { "deEssFreq", 3000, 10000, false }, { "deEssAmount", 0, 100, false },
        { "satDrive", 0, 24, false }, { "satMix", 0, 100, false },
        { "spaceBypass", 0, 1, true }, { "width", 0, 200, false }, { "reverbSize", 0, 100, false },
        { "reverbDamping", 0, 100, false }, { "reverbMix", 0, 100, false },
    };

    const char* const sectionBypasses[] = { "toneBypass", "compBypass", "characterBypass", "spaceBypass" };

    /** Drives a prepared processor through a scenario, counting allocations inside each
        processBlock call (and nothing else) and reporting them per phase. */
    class Driver
    {
    public:
        Driver (int numChannels, int blockSizeIn)
            : blockSize (blockSizeIn),
              processor (TestSupport::makePrepared (rate, blockSizeIn, numChannels)),
              block (numChannels, blockSizeIn), empty (numChannels, 0),
              oversize (numChannels, processor->getMaxBlockSamples() + 1)
        {
        }

        void set (const char* id, float value) { processor->setParameterValue (id, value); }

        float outputLevel() const { return processor->getOutputLevel (0); }

        /** Runs enough blocks to cover the given number of samples, with a block of no samples after each. */
        void run (const char* phase, int samples)
        {
            Counts counts;
            const int numBlocks = juce::jmax (1, (samples + blockSize - 1) / blockSize);

            for (int b = 0; b < numBlocks; ++b)
            {
                fillNoise (block);
                counts += countDuring ([this] { processor->processBlock (block, midi); });
                counts += countDuring ([this] { processor->processBlock (empty, midi); });
            }

            EXPECT_EQ (counts.total(), 0) << phase << ": " << counts.news << " new, " << counts.deletes << " delete, "
                                          << counts.mallocs << " malloc, " << counts.frees << " free";
        }

        void runOversize()
        {
            fillNoise (oversize);
            EXPECT_EQ (countDuring ([this] { processor->processBlock (oversize, midi); }).total(), 0) << "oversize block";
        }

        void jumpAllParameters()
        {
            for (const auto& r : allParameters)
                set (r.id, r.isBool ? (rng.nextBool() ? 1.0f : 0.0f) : r.min + rng.nextFloat() * (r.max - r.min));
        }

        static constexpr double rate = 48000.0;
        static constexpr int fade = 720, gainRamp = 960;

    private:
        void fillNoise (juce::AudioBuffer<float>& b)
        {
            for (int ch = 0; ch < b.getNumChannels(); ++ch)
                for (int i = 0; i < b.getNumSamples(); ++i)
                    b.setSample (ch, i, 0.8f * (rng.nextFloat() - 0.5f));
        }

        int blockSize;
        std::unique_ptr<OrvelAudioProcessor> processor;
        juce::AudioBuffer<float> block, empty, oversize;
        juce::MidiBuffer midi;
        juce::Random rng { 42 };
    };

    class ProcessBlockAllocationTest : public ::testing::TestWithParam<std::tuple<int, int>> {};
}

TEST_P (ProcessBlockAllocationTest, ProcessBlockNeverAllocates)
{
    TestSupport::ScopedConfigHome home;
    const auto [channels, blockSize] = GetParam();
    Driver d (channels, blockSize);

    d.run ("first blocks with their fade-in", Driver::gainRamp + 2 * blockSize);

    // Every section audible.
    for (const auto& s : { std::pair<const char*, float> { "reverbMix", 60 }, { "reverbSize", 80 }, { "satMix", 70 }, { "satDrive", 18 },
                           { "deEssAmount", 90 }, { "width", 180 }, { "compMakeup", 6 }, { "compThresh", -40 },
                           { "lowGain", 6 }, { "airGain", -6 }, { "hpfFreq", 200 }, { "lpfFreq", 8000 } })
        d.set (s.first, s.second);
    d.run ("all sections on", 2000);
    ASSERT_GT (d.outputLevel(), 0.01f) << "the scenario must run audio through the chain";
    d.runOversize();

    for (const char* section : sectionBypasses)
    {
        SCOPED_TRACE (section);
        d.set (section, 1.0f);
        d.run ("section fading out", Driver::fade / 2);
        d.set (section, 0.0f);
        d.run ("section turned back mid-fade", Driver::fade + blockSize);
        d.set (section, 1.0f);
        d.run ("section fading out and reset", Driver::fade + 2 * blockSize);
        d.run ("section off", 500);
        d.set (section, 0.0f);
        d.run ("section fading in from reset", Driver::fade + 2 * blockSize);
    }

    d.set ("mainBypass", 1.0f);
    d.run ("main bypass fading out", Driver::fade / 2);
    d.set ("mainBypass", 0.0f);
    d.run ("main bypass released mid-fade", Driver::fade + blockSize);
    d.set ("mainBypass", 1.0f);
    d.run ("main bypass settling and resetting", Driver::fade + 2 * blockSize);
    d.set ("compBypass", 1.0f);
    d.set ("spaceBypass", 1.0f);
    d.run ("main bypass settled with sections switched", 500);
    d.runOversize();
    d.set ("mainBypass", 0.0f);
    d.run ("main bypass fading in", Driver::fade + 2 * blockSize);

    for (int mask = 0; mask < 16; ++mask)
    {
        for (int s = 0; s < 4; ++s)
            d.set (sectionBypasses[s], (mask >> s) & 1 ? 1.0f : 0.0f);
        d.run ("section combination", Driver::fade + blockSize);
    }

    for (int jump = 0; jump < 60; ++jump)
    {
        d.jumpAllParameters();
        d.run ("preset-like jump of all parameters", 1);
    }

    d.run ("after the jumps", Driver::gainRamp + blockSize);
}

INSTANTIATE_TEST_SUITE_P (LayoutsAndBlockSizes, ProcessBlockAllocationTest,
                          ::testing::Combine (::testing::Values (1, 2), ::testing::Values (1, 17, 512, 8192)),
                          [] (const auto& testInfo)
                          {
                              return std::string (std::get<0> (testInfo.param) == 1 ? "mono" : "stereo") + "_block"
                                     + std::to_string (std::get<1> (testInfo.param));
                          });
