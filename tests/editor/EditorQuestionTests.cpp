// The message boxes over the editor (the overwrite question and the about
// box), the options dialog's opening, and taking the editor apart while
// any of them is open or the engine processes.

#include "EditorFixture.h"

#include "editor/AboutBox.h"
#include "editor/OptionsDialogOpener.h"
#include "gui/KestMessageBox.h"
#include "gui/MultiColoredMidiKeyboard.h"
#include "tests/support/EngineBlocks.h"
#include "tests/support/MouseEvents.h"
#include "tests/support/ScratchFolder.h"

#include <thread>

namespace N = EditorNames;
using Request = MainControlPanel::PresetOverwriteRequest;

namespace
{
    /** A request that records its answers. */
    struct RecordingRequest : Request
    {
        explicit RecordingRequest (juce::String n) : name (std::move (n)) {}
        juce::String getPresetName() const override { return name; }
        void answer (bool overwrite) override { answers.push_back (overwrite); }
        juce::String name;
        std::vector<bool> answers;
    };

    template <typename T>
    T* findBox (juce::Component& editor)
    {
        for (auto* c : editor.getChildren())
            if (auto* box = dynamic_cast<T*> (c))
                return box;
        return nullptr;
    }

    /** A mouse press on the box itself, beside its children. */
    void clickOn (juce::Component& box)
    {
        box.mouseDown (mouseAt (box, { 2.0f, 2.0f }, { 2.0f, 2.0f }, {}, false));
    }

    juce::Button* boxButton (juce::Component& box, int number)
    {
        return MainControlPanel::findChildAs<juce::Button> (&box, "Button " + juce::String (number));
    }

    /** Installs an opener for one test that records its calls. */
    struct OpenerRecorder
    {
        OpenerRecorder()
        {
            OptionsDialogOpener::set ([this] (const OptionsDialogOpener::Request& request) -> juce::Component* {
                ++calls;
                lastRequest = std::make_unique<OptionsDialogOpener::Request> (request);
                auto* dialog = new juce::Component ("options");
                dialogs.push_back (dialog);
                return dialog;
            });
        }
        ~OpenerRecorder() { OptionsDialogOpener::set ({}); }
        int calls = 0;
        std::unique_ptr<OptionsDialogOpener::Request> lastRequest;
        std::vector<juce::Component::SafePointer<juce::Component>> dialogs;
    };
}

TEST_F (EditorFixture, OverwriteQuestionAsksInTheGivenWordsAndAnswersOnceByButton)
{
    auto& editor = openEditor();
    const std::pair<int, bool> clicks[] { { 1, true }, { 3, false } };
    for (auto [number, expected] : clicks)
    {
        RecordingRequest request ("Bass \"A\"\nline");
        editor.askOverwritePreset (&request);
        auto* box = findBox<KestMessageBox> (editor);
        ASSERT_NE (box, nullptr);
        EXPECT_TRUE (editor.isMessageBoxShown());
        EXPECT_EQ (box->title, "Rename Preset");
        EXPECT_EQ (box->text, "The Preset \"Bass \"A\"\nline\" already exists.\n\n"
                              "Do you want to overwrite it with the current preset data?");
        EXPECT_EQ (boxButton (*box, 1)->getButtonText(), "Overwrite");
        EXPECT_EQ (boxButton (*box, 3)->getButtonText(), "Keep Both");
        EXPECT_EQ (boxButton (*box, 2), nullptr);
        EXPECT_TRUE (request.answers.empty()) << "the question never blocks";

        clickOn (*box);
        pump (20);
        EXPECT_TRUE (request.answers.empty()) << "a click beside the buttons does nothing";

        boxButton (*box, number)->triggerClick();
        pump (50);
        EXPECT_EQ (request.answers, std::vector<bool> { expected });
        EXPECT_EQ (findBox<KestMessageBox> (editor), nullptr);
        EXPECT_FALSE (editor.isMessageBoxShown());
    }

    RecordingRequest empty ({});
    editor.askOverwritePreset (&empty);
    EXPECT_TRUE (findBox<KestMessageBox> (editor)->text.startsWith ("The Preset \"\" already exists."));
    EXPECT_TRUE (findBox<KestMessageBox> (editor)->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    pump (50);
    EXPECT_EQ (empty.answers, std::vector<bool> { false });
}

TEST_F (EditorFixture, EveryButtonOfTheQuestionSitsInsideTheBoxWithAMargin)
{
    auto& editor = openEditor();
    RecordingRequest request ("Lead");
    editor.askOverwritePreset (&request);
    auto* box = findBox<KestMessageBox> (editor);
    ASSERT_NE (box, nullptr);
    box->addButton (2, "Middle");   // the place the question leaves empty, for a box that uses it

    const int margin = 8;
    const auto inside = box->getLocalBounds().reduced (margin);
    for (int number = 1; number <= 3; ++number)
    {
        auto* button = boxButton (*box, number);
        ASSERT_NE (button, nullptr) << number;
        EXPECT_TRUE (inside.contains (button->getBounds())) << number << ": " << button->getBounds().toString()
                                                            << " in a box of " << box->getLocalBounds().toString();
        for (int other = 1; other < number; ++other)
            EXPECT_FALSE (button->getBounds().intersects (boxButton (*box, other)->getBounds())) << number << " overlaps " << other;
    }
    box->exitModalState (0);
    pump (50);
}

TEST_F (EditorFixture, ClosingTheEditorAnswersAnOpenQuestionFalseAtOnceAndOnlyOnce)
{
    auto& editor = openEditor();
    RecordingRequest request ("Lead");
    editor.askOverwritePreset (&request);
    ASSERT_NE (findBox<KestMessageBox> (editor), nullptr);

    closeEditor();
    EXPECT_EQ (request.answers, std::vector<bool> { false }) << "answered while the editor goes";
    pump (100);
    EXPECT_EQ (request.answers, std::vector<bool> { false }) << "and never again";
    EXPECT_EQ (Korvalden::Resources::ResourceManager::getUserCount(), 0u);
}

TEST_F (EditorFixture, EngineAsksTheOpenEditorOrAnswersNoItself)
{
    RecordingRequest alone ("Pad");
    engine->handlePresetOverwriteRequest (&alone);
    EXPECT_EQ (alone.answers, std::vector<bool> { false });

    auto& editor = openEditor();
    RecordingRequest asked ("Pad");
    engine->handlePresetOverwriteRequest (&asked);
    EXPECT_TRUE (asked.answers.empty());
    ASSERT_NE (findBox<KestMessageBox> (editor), nullptr);
    boxButton (*findBox<KestMessageBox> (editor), 1)->triggerClick();
    pump (50);
    EXPECT_EQ (asked.answers, std::vector<bool> { true });
}

TEST_F (EditorFixture, MakerLogoOpensTheAboutBoxWhichClosesOnAClick)
{
    auto& editor = openEditor();
    child<juce::Button> (N::logoButtonMaker)->triggerClick();
    pump (30);
    auto* box = findBox<AboutBox> (editor);
    ASSERT_NE (box, nullptr);
    EXPECT_TRUE (editor.isMessageBoxShown());
    EXPECT_EQ (box->getWidth(), box->getImage().getWidth());
    EXPECT_EQ (box->findColour (Korvalden::GUI::MessageBox::coverColourId), juce::Colour (0x80FFFFFF));

    auto* readme = MainControlPanel::findChildAs<juce::HyperlinkButton> (box, "README");
    auto* licence = MainControlPanel::findChildAs<juce::Button> (box, "KorvaldenButton");
    ASSERT_TRUE (readme && licence);
    EXPECT_EQ (readme->getURL().getLocalFile(), AboutBox::getReadmeFile());
    EXPECT_TRUE (AboutBox::getReadmeFile().existsAsFile());
    EXPECT_TRUE (AboutBox::getLicenceFile().existsAsFile());
    EXPECT_EQ (readme->getBounds(), juce::Rectangle<int> (354, 175, 96, 20));
    EXPECT_EQ (licence->getPosition(), juce::Point<int> (489, 254));

    clickOn (*box);
    pump (50);
    EXPECT_EQ (findBox<AboutBox> (editor), nullptr);
    EXPECT_FALSE (editor.isMessageBoxShown());
}

TEST_F (EditorFixture, AboutBoxWithoutItsBackgroundIsABlankPlateOfTheDefaultSize)
{
    const ScratchFolder empty ("kest-resources");
    ASSERT_TRUE (empty.wasCreated());
    Korvalden::Platform::setResourceFolderForTesting (empty.getFile());
    {
        AboutBox box;
        EXPECT_EQ (box.getWidth(), 606);
        EXPECT_EQ (box.getHeight(), 330);
        EXPECT_TRUE (box.getImage().isValid());
    }
    Korvalden::Platform::setResourceFolderForTesting (folder);
    EXPECT_TRUE (AboutBox::getVersionText().matchesWildcard ("*.*.*", false));
}

TEST_F (EditorFixture, ProductLogoAndSettingsOpenTheOptionsDialogWhichGoesWithTheEditor)
{
    OpenerRecorder opener;
    auto& editor = openEditor();
    child<juce::Button> (N::logoButtonProduct)->triggerClick();
    pump (20);
    EXPECT_EQ (opener.calls, 1);
    EXPECT_EQ (findBox<AboutBox> (editor), nullptr) << "only the maker's logo opens the about box";
    ASSERT_NE (editor.getOptionsDialog(), nullptr);

    child<juce::Button> (N::settingsButton)->triggerClick();
    pump (20);
    EXPECT_EQ (opener.calls, 1) << "one dialog at a time";

    // The dialog's channel choice reaches the keyboard while the editor lives.
    opener.lastRequest->receiveChannelChosen (5);
    EXPECT_EQ (child<juce::MidiKeyboardComponent> (N::keyboard)->getMidiChannel(), 5);

    delete editor.getOptionsDialog();
    child<juce::Button> (N::settingsButton)->triggerClick();
    pump (20);
    EXPECT_EQ (opener.calls, 2);

    auto callbacks = *opener.lastRequest;
    closeEditor();
    for (auto& dialog : opener.dialogs)
        EXPECT_EQ (dialog.getComponent(), nullptr) << "the editor's destructor closes the dialog";
    callbacks.receiveChannelChosen (3);   // a late call finds no editor and does nothing
    callbacks.cpuWarningSwitched (false);
}

TEST_F (EditorFixture, TakenApartWhileTheEngineProcessesAndTheHostRestoresStates)
{
    engine->prepareToPlay (48000.0, 256);
    juce::MemoryBlock state;
    engine->writePresetState (state);

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 }, restores { 0 };
    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        int note = 40;
        while (running)
        {
            juce::MidiBuffer midi;
            midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
            midi.addEvent (juce::MidiMessage::noteOff (1, note), 200);
            note = note == 80 ? 40 : note + 1;
            playBlockAsHost (*engine, buffer, midi);
            ++blocks;
        }
    });
    // The host's own thread restores a sound: the editor hears of it only
    // through the message queue (command 2 and the five view commands).
    std::thread host ([&] {
        while (running)
        {
            {
                // As a host that holds processing back while it restores.
                const juce::ScopedLock lock (engine->getCallbackLock());
                engine->setStateInformation (state.getData(), (int) state.getSize());
            }
            ++restores;
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    });

    for (int i = 0; i < 20; ++i)
    {
        auto& editor = openEditor();
        RecordingRequest request ("Busy");
        editor.askOverwritePreset (&request);
        if (i % 2 == 0)
            child<juce::Button> (N::logoButtonMaker)->triggerClick();
        pump (i % 5 == 0 ? 60 : 8);
        closeEditor();
        EXPECT_EQ (request.answers, std::vector<bool> { false });
    }
    pump (30);
    // Both threads have had their turns, however busy the machine kept them.
    while (blocks.load() == 0 || restores.load() == 0)
        pump (5);

    running = false;
    audio.join();
    host.join();
    engine->releaseResources();
    pump (30);   // restores posted after the last editor went reach nobody

    EXPECT_GT (blocks.load(), 0);
    EXPECT_GT (restores.load(), 0);
    EXPECT_EQ (Korvalden::Resources::ResourceManager::getUserCount(), 0u);
}

TEST_F (EditorFixture, MacroNamesAndLinksStayUnderAnOpenMessageBoxAndNeverShowOverIt)
{
    auto& editor = openEditor();
    auto& links = engine->getLinkManager();
    editor.handleCommandMessage (AudioEngine::editorFirstViewCommand + 2); // link view on
    juce::Rectangle<int> caption; // macro 1's target, where its name "MAKRO 1" is its caption
    for (auto& target : editor.getLinkEditor().getTargets())
        if (target->indexes == std::vector<int> { 80 })
            caption = target->area;
    ASSERT_FALSE (caption.isEmpty());

    const auto snapshot = [&] { return editor.createComponentSnapshot (editor.getLocalBounds()); };
    const auto differences = [] (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
    {
        int count = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
        return count;
    };
    const auto setLinked = [&] (bool linked)
    {
        // 1_Freq to 4_Decay: a line right across the middle of the panel.
        if (linked)
            links.link (7, 75);
        else
            links.unlink (7, 75);
        editor.getLinkEditor().updateConnections();
    };

    RecordingRequest question ("Pad");
    const std::function<void()> openers[] {
        [&] { child<juce::Button> (N::logoButtonMaker)->triggerClick(); },
        [&] { editor.askOverwritePreset (&question); },
    };
    for (auto& open : openers)
    {
        setLinked (true);
        open();
        pump (30);
        ASSERT_TRUE (editor.isMessageBoxShown());
        juce::Component* box = findBox<Korvalden::GUI::MessageBox> (editor);
        ASSERT_NE (box, nullptr);
        ASSERT_FALSE (box->getBounds().intersects (caption));
        const auto shown = snapshot();

        // The macro's name is still drawn on its caption, under the box's cover.
        links.getLinkEntry (80).name = {};
        EXPECT_GT (differences (shown, snapshot(), caption), 20);
        links.getLinkEntry (80).name = "MAKRO 1";

        // The line shows beside the box, and nothing of it over the box.
        setLinked (false);
        const auto unlinked = snapshot();
        EXPECT_GT (differences (shown, unlinked, editor.getLocalBounds()), 100);
        // (The box's outermost pixels are its translucent border.)
        EXPECT_EQ (differences (shown, unlinked, box->getBounds().reduced (1)), 0);

        box->exitModalState (0);
        pump (50);
        ASSERT_FALSE (editor.isMessageBoxShown());
    }
    EXPECT_EQ (question.answers, std::vector<bool> { false });
}
