#pragma once

#include "menubar/MenuBar.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

namespace MenuBarTest
{
    /** Runs the message loop for a while, so that asynchronous clicks, modal results and
        timers get delivered. */
    inline void pump (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** The front-most open dialog, or nullptr. */
    inline juce::AlertWindow* openDialog()
    {
        for (int i = 0; i < juce::Component::getNumCurrentlyModalComponents(); ++i)
            if (auto* w = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent (i)))
                return w;

        return nullptr;
    }

    /** The title of the front-most dialog, or an empty text when none is open. */
    inline juce::String openDialogTitle()
    {
        auto* w = openDialog();
        return w != nullptr ? w->getName() : juce::String();
    }

    /** Clicks a dialog button by its text, optionally after typing into the name field, and
        waits until the dialog has gone. */
    inline void press (const juce::String& buttonText, const juce::String* typedName = nullptr)
    {
        auto* w = openDialog();
        ASSERT_NE (w, nullptr) << "no dialog is open to press " << buttonText;

        if (typedName != nullptr)
        {
            auto* field = w->getTextEditor (MenuBar::presetNameField);
            ASSERT_NE (field, nullptr);
            field->setText (*typedName);
        }

        juce::Component::SafePointer<juce::AlertWindow> safe (w);
        w->triggerButtonClick (buttonText);

        for (int i = 0; i < 100 && safe != nullptr; ++i)
            pump (10);

        ASSERT_EQ (safe, nullptr) << buttonText << " did not close the dialog";
        pump (20); // let a dialog opened by the result appear
    }

    /** Types a name into the open dialog's name field and clicks a button. */
    inline void typeAndPress (const juce::String& name, const juce::String& buttonText)
    {
        press (buttonText, &name);
    }

    /** Stands in for the plug-in's editor: owns a menu bar wired the way the editor wires
        it, 66 pixels high across a 1347 x 728 window. */
    class TestEditor : public juce::AudioProcessorEditor
    {
    public:
        static constexpr int width = 1347, height = 728, barHeight = 66;

        explicit TestEditor (OrvelAudioProcessor& p) : juce::AudioProcessorEditor (p)
        {
            bar.setPresettableProcessor (&p);
            bar.initialiseSettings (ProductInfo {});
            bar.enableDisplaySizeMenu();
            bar.setGuiScalePreset (bar.readDefaultGuiScalePreset());
            bar.setOnResolutionModeChanged ([] (MenuBar::ResolutionMode) {});
            bar.setOnGuiScalePresetChanged ([this] (MenuBar::GuiScalePreset chosen)
            {
                choices.push_back (chosen);
                bar.setGuiScalePreset (chosen);
            });

            addAndMakeVisible (bar);
            setSize (width, height);
        }

        void resized() override { bar.setBounds (0, 0, getWidth(), barHeight); }

        /** Puts the editor on screen and gives it the keyboard focus, as a host's window would
            have it: dialogs are only modal while the editor is showing, and a pop-up menu
            closes itself when no window of the process has the focus. */
        void show()
        {
            addToDesktop (0);
            setVisible (true);
            setWantsKeyboardFocus (true);

            for (int i = 0; i < 50 && ! hasKeyboardFocus (true); ++i)
            {
                pump (10);
                grabKeyboardFocus();
            }
        }

        MenuBar bar;
        std::vector<MenuBar::GuiScalePreset> choices;
    };

    /** A fresh configuration folder, a processor and its editor on screen. */
    class EditorFixture : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            editor = std::make_unique<TestEditor> (*processor);
            editor->show();
        }

        void TearDown() override
        {
            editor.reset();
            pump (20);
        }

        MenuBar& bar() { return editor->bar; }

        juce::File presetsFolder() const { return processor->getPresetStore().getPresetsFolder(); }

        /** The names of the *.xml files in the presets folder, sorted. */
        juce::StringArray presetFiles() const
        {
            juce::StringArray names;

            for (const auto& f : presetsFolder().findChildFiles (juce::File::findFiles, false, "*.xml"))
                names.add (f.getFileName());

            names.sort (false);
            return names;
        }

        TestSupport::ScopedConfigHome home;
        std::unique_ptr<OrvelAudioProcessor> processor = std::make_unique<OrvelAudioProcessor>();
        std::unique_ptr<TestEditor> editor;
    };
}
