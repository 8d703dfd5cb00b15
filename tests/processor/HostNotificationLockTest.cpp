#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <functional>
#include <future>

// Whole-state changes notify the host of every parameter they move. A host may take its own
// engine lock while handling such a notification; if the plug-in held its audio callback lock
// meanwhile, the host's audio thread (waiting for that lock) and its message thread would
// deadlock. No notification may arrive while the callback lock is held.

namespace
{
    /** Counts host notifications and those that arrive while the callback lock is held. The
        lock is probed from another thread: the lock is reentrant, so the notifying thread
        itself could always enter it. */
    class HostProbe : public juce::AudioProcessorListener
    {
    public:
        explicit HostProbe (OrvelAudioProcessor& p) : processor (p) { processor.addListener (this); }
        ~HostProbe() override { processor.removeListener (this); }

        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { record(); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override { record(); }

        int notifications = 0, underLock = 0;

    private:
        void record()
        {
            ++notifications;

            const bool lockFree = std::async (std::launch::async, [this] {
                                      auto& lock = processor.getCallbackLock();
                                      const bool entered = lock.tryEnter();
                                      if (entered)
                                          lock.exit();
                                      return entered;
                                  }).get();

            if (! lockFree)
                ++underLock;
        }

        OrvelAudioProcessor& processor;
    };
}

TEST (HostNotificationLock, NoWholeStateChangeNotifiesTheHostUnderTheCallbackLock)
{
    TestSupport::ScopedConfigHome home;

    juce::MemoryBlock rockState;
    {
        OrvelAudioProcessor source;
        source.loadFactoryPreset ("Rock");
        source.getStateInformation (rockState);
    }

    struct Case
    {
        const char* name;
        std::function<void (OrvelAudioProcessor&)> run;
    };

    const Case cases[] {
        { "host state restore", [&] (OrvelAudioProcessor& p) { p.setStateInformation (rockState.getData(), (int) rockState.getSize()); } },
        { "factory preset", [] (OrvelAudioProcessor& p) { p.loadFactoryPreset ("Airy"); } },
        { "user preset", [] (OrvelAudioProcessor& p) { ASSERT_TRUE (p.loadUserPreset ("Mine")); } },
        { "undo", [] (OrvelAudioProcessor& p) { p.undo(); } },
        { "redo", [] (OrvelAudioProcessor& p) { p.redo(); } },
    };

    auto processor = TestSupport::makePrepared (48000.0, 256);
    auto& p = *processor;

    // A user preset far from the defaults, and a history to undo and redo through.
    p.loadFactoryPreset ("Clean");
    TestSupport::setParam (p, "compThresh", -40.0f);
    ASSERT_TRUE (p.saveUserPreset ("Mine"));
    p.loadFactoryPreset ("Rock");

    for (const auto& c : cases)
    {
        // Start each case from the defaults so that every one of them moves parameters.
        if (juce::String (c.name) != "undo" && juce::String (c.name) != "redo")
            p.applyState (OrvelAudioProcessor().captureState(), true);

        HostProbe probe (p);
        c.run (p);

        EXPECT_GT (probe.notifications, 0) << c.name;
        EXPECT_EQ (probe.underLock, 0) << c.name << ": " << probe.underLock << " of " << probe.notifications
                                       << " notifications arrived while the callback lock was held";
    }
}
