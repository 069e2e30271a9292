// The edit page's whole-preset operations against a simulated pedal: the real dialogs run
// their own modal loops and are answered by a script; file choosers are recorded and answered.

#include "EditPageTestRig.h"

#include "ConsentWindow.h"
#include "IOUtils.h"
#include "RenameDialog.h"
#include "SavePresetDialog.h"
#include "TonecrestDataFile.h"

namespace EditPageTesting
{
namespace
{

using Step = ModalDialogScript::Step;
using Tonecrest::TonecrestData::Preset;

constexpr const char* exportConsentKey = "didUserConsentToExport";
constexpr const char* importConsentKey = "didUserConsentToImport";

/** Ticks the consent toggle, then OK. */
Step agreeAndConfirm()
{
    return [](juce::Component& modal) {
        if (auto* toggle = ModalDialogScript::findButton(modal, ConsentWindow::agreeText))
            toggle->setToggleState(true, juce::dontSendNotification);
        if (auto* ok = ModalDialogScript::findButton(modal, "OK"))
            ok->triggerClick();
    };
}

Preset readPresetFile(const juce::File& file, uint32_t* index = nullptr)
{
    Preset preset;
    juce::FileInputStream input(file);
    EXPECT_TRUE(input.openedOk()) << file.getFullPathName();
    Tonecrest::InStreamWrapper stream(&input);
    const auto result = Tonecrest::readPresetFile(stream, preset, index);
    EXPECT_TRUE(result.ok) << (result.ok ? "" : result.error);
    return preset;
}

void writePresetFile(const Preset& preset, const juce::File& file, uint32_t index)
{
    juce::FileOutputStream output(file);
    ASSERT_TRUE(output.openedOk());
    output.setPosition(0);
    output.truncate();
    Tonecrest::OutStreamWrapper stream(&output);
    ASSERT_TRUE(Tonecrest::writePresetFile(preset, stream, index).ok);
}

class EditPagePresetOperations : public EditPageTest
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "the dialogs run in windows; needs a display";
        pedal().setCurrentPreset(3);
        pedal().setPresetName(2, "Crunch");
        pedal().setPresetParams(2, parameterList({ { 3, 7.0 }, { 4, 2.5 } }));
        pedal().setPresetName(3, "Clean");
        pedal().setPresetParams(3, parameterList({ { 3, 1.0 }, { 4, 6.0 } }));
        makePage();
        connectAndRefresh();
    }

    void consentGiven()
    {
        settings->setValue(exportConsentKey, true);
        settings->setValue(importConsentKey, true);
    }
};

TEST_F(EditPagePresetOperations, RenameShowsTheCurrentNameAndSendsTheNewOne)
{
    ShownRename shown;
    ModalDialogScript script(renameThenCancel(shown, "Lead Tone"));
    page->renamePreset(2);
    settle();
    EXPECT_EQ(script.seen, juce::StringArray("Rename Preset"));
    EXPECT_EQ(shown.name, "Crunch");
    EXPECT_EQ(shown.prompt, "New preset name:");
    EXPECT_EQ(pedal().presetName(2, SimulatedPedal::Copy::Working), "Lead Tone");

    page->renamePreset(2);
    settle();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(pedal().presetName(2, SimulatedPedal::Copy::Working), "Lead Tone") << "cancel sends nothing";

    page->renamePreset(-1); // no row selected
    settle();
    EXPECT_EQ(script.unexpected, 0) << "no dialog without a preset";
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to get preset info" }));
}

TEST_F(EditPagePresetOperations, SaveStoresTheEditBufferAndARefusedStartIsReported)
{
    ASSERT_TRUE(rig.service->setParameterValue(3, { 1, 9.0 }, nullptr).ok);
    settle();
    ASSERT_TRUE(rig.service->isCurrentPresetModified());

    click(page->getSaveButton());
    settle();
    EXPECT_FALSE(rig.service->isCurrentPresetModified());
    EXPECT_FLOAT_EQ(pedal().presetParams(3).at(deviceEntry(3, 0).first), deviceEntry(3, 9.0).second)
        << "the stored copy of slot 4 holds the edit";
    EXPECT_TRUE(alerts.empty());

    rig.service->disconnect();
    page->savePreset();
    settle();
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to save preset" }));
}

TEST_F(EditPagePresetOperations, SaveAsOffersEverySlotAndSelectsTheOneSavedTo)
{
    int shownSlots = 0, shownSelection = -2;
    juce::String shownName, firstSlot;
    ModalDialogScript script({
        ModalDialogScript::clickButton("CANCEL"),
        lookThenClick<SavePresetDialog>(
            [&](SavePresetDialog& dialog) {
                shownSlots = dialog.getSlotBox().getNumItems();
                shownSelection = dialog.getSelectedSlot();
                shownName = dialog.getPresetName();
                firstSlot = dialog.getSlotBox().getItemText(0);
                dialog.getSlotBox().setSelectedItemIndex(9);
                dialog.getNameField().setText("Copy of Clean");
            },
            "SAVE"),
    });
    const auto writes = blockWriteCount();
    page->onSaveAs();
    settle();
    EXPECT_EQ(blockWriteCount(), writes) << "cancel stores nothing";

    page->onSaveAs();
    settle();
    EXPECT_EQ(script.seen, juce::StringArray({ "Save Preset As...", "Save Preset As..." }));
    EXPECT_EQ(shownSlots, 128);
    EXPECT_EQ(shownSelection, 3) << "the current preset's slot";
    EXPECT_EQ(shownName, "Clean");
    EXPECT_EQ(firstSlot, juce::String::fromUTF8(rig.service->getPresetNumberText(0).c_str()) + " - ");
    EXPECT_EQ(pedal().presetName(9), "Copy of Clean");
    ASSERT_TRUE(pumpUntil([&] { return pedal().currentPreset() == 9; })) << "the saved slot becomes current";
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 9);
    EXPECT_TRUE(alerts.empty());
}

using EditPageWithoutPresets = EditPageTest;

TEST_F(EditPageWithoutPresets, SaveAsWithoutACurrentPresetProposesNothing)
{
    if (!hasDisplay())
        GTEST_SKIP() << "the dialog runs in a window; needs a display";
    makePage();
    rig.connect(); // never refreshed: no current preset
    ASSERT_EQ(rig.service->getCurrentPresetIndex(), -1);
    int shownSelection = -2;
    juce::String shownName = "unset";
    ModalDialogScript script({ lookThenClick<SavePresetDialog>(
        [&](SavePresetDialog& dialog) {
            shownSelection = dialog.getSelectedSlot();
            shownName = dialog.getPresetName();
        },
        "CANCEL") });
    page->onSaveAs();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(shownSelection, -1);
    EXPECT_EQ(shownName, "");
}

TEST_F(EditPagePresetOperations, ExportAndImportAskForConsentOnceAndRoundTripAPreset)
{
    const auto exported = scratch.child("Crunch.pre");
    answerChoosersWith(exported);
    {
        // OK without the toggle explains and asks again; the toggle and OK remember the answer.
        ModalDialogScript script({ ModalDialogScript::clickButton("OK"), ModalDialogScript::clickButton("OK"),
                                   agreeAndConfirm() });
        page->showExportDialogForPreset(2);
        EXPECT_EQ(script.seen, juce::StringArray({ ConsentWindow::title, ConsentWindow::requiredTitle, ConsentWindow::title }));
    }
    EXPECT_TRUE(settings->getBoolValue(exportConsentKey));
    EXPECT_FALSE(settings->getBoolValue(importConsentKey));
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Export Preset", "*.pre", true);
    EXPECT_EQ(fileRequests[0].initial,
              juce::File::getSpecialLocation(juce::File::userDocumentsDirectory).getChildFile("Crunch.pre"))
        << "nothing remembered yet: the documents folder";
    EXPECT_EQ(page->getLastDirectory(), scratch.path());

    ASSERT_TRUE(pumpUntil([&] { return exported.existsAsFile(); }));
    rig.drain();
    uint32_t fileIndex = 99;
    const auto written = readPresetFile(exported, &fileIndex);
    EXPECT_EQ(fileIndex, 0u);
    EXPECT_EQ(written.name, "Crunch");
    for (TonecrestParamID id : { 3, 4 })
        EXPECT_FLOAT_EQ(written.params.at(deviceEntry(id, 0).first), pedal().presetParams(2).at(deviceEntry(id, 0).first));

    {
        ModalDialogScript script({});
        page->showExportDialogForPreset(2);
        pump(50);
        EXPECT_EQ(script.unexpected, 0) << "consent was given once and for all";
    }
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[1].initial, scratch.child("Crunch.pre")) << "the remembered folder";

    // The file names slot 7; the preset still goes to the row it was imported into.
    Preset other = written;
    other.name = "From File";
    const auto imported = scratch.child("other.pre");
    writePresetFile(other, imported, 7);
    answerChoosersWith(imported);
    {
        ModalDialogScript script({ agreeAndConfirm() });
        page->showImportDialogForPreset(5);
        EXPECT_EQ(script.seen, juce::StringArray(ConsentWindow::title));
    }
    ASSERT_EQ(fileRequests.size(), 3u);
    expectRequest(fileRequests[2], "Import Preset", "*.pre", false);
    EXPECT_EQ(fileRequests[2].initial, scratch.path());
    settle();
    EXPECT_EQ(pedal().presetName(5, SimulatedPedal::Copy::Working), "From File");
    EXPECT_EQ(pedal().presetParams(5, SimulatedPedal::Copy::Working), written.params);
    EXPECT_NE(pedal().presetName(7, SimulatedPedal::Copy::Working), "From File");
    EXPECT_TRUE(settings->getBoolValue(importConsentKey));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPagePresetOperations, CancellingConsentOrChooserOrADamagedFileChangesNothing)
{
    {
        ModalDialogScript script({ ModalDialogScript::clickButton("Cancel"), ModalDialogScript::clickButton("Cancel") });
        page->showExportDialogForPreset(2);
        page->showImportDialogForPreset(2);
        EXPECT_TRUE(script.finished());
    }
    EXPECT_TRUE(fileRequests.empty()) << "no chooser without consent";
    EXPECT_FALSE(settings->getBoolValue(exportConsentKey));

    consentGiven();
    const auto writes = blockWriteCount();
    page->showImportDialogForPreset(2); // the chooser answers "cancelled"
    page->showExportDialogForPreset(2);
    settle();
    EXPECT_EQ(fileRequests.size(), 2u);
    EXPECT_FALSE(settings->containsKey("lastDirectory")) << "only an accepted file is remembered";
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_EQ(scratch.fileCount(), 0);
    EXPECT_TRUE(alerts.empty());

    const auto damaged = scratch.child("damaged.pre");
    ASSERT_TRUE(damaged.replaceWithText("not a preset file"));
    answerChoosersWith(damaged);
    page->showImportDialogForPreset(4);
    settle();
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to import preset" }));
}

TEST_F(EditPagePresetOperations, RememberedFolderFallsBackWhenItIsGone)
{
    const auto folder = scratch.child("exports");
    ASSERT_TRUE(folder.createDirectory());
    const auto file = folder.getChildFile("a.pre");
    ASSERT_TRUE(file.replaceWithText("x"));

    page->setLastDirectory(file);
    EXPECT_EQ(settings->getValue("lastDirectory"), folder.getFullPathName());
    EXPECT_EQ(page->getLastDirectory(), folder);
    EXPECT_EQ(page->getDefaultFile("b.pre"), folder.getChildFile("b.pre"));
    EXPECT_EQ(page->getDefaultFile(""), folder);

    settings->setValue("lastDirectory", file.getFullPathName());
    EXPECT_EQ(page->getLastDirectory(), folder) << "a stored file stands for its folder";

    ASSERT_TRUE(folder.deleteRecursively());
    EXPECT_EQ(page->getLastDirectory(), juce::File());
    EXPECT_EQ(page->getDefaultFile("b.pre"),
              juce::File::getSpecialLocation(juce::File::userDocumentsDirectory).getChildFile("b.pre"));
    consentGiven();
    page->showImportDialogForPreset(0);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].initial, juce::File()) << "open choosers start without a folder";
}

TEST_F(EditPagePresetOperations, CopiedBlockParametersPasteIntoAnotherPreset)
{
    auto pageMenuItems = [&] {
        chooseFromMenu = nullptr;
        page->showMenu(nullptr, {});
        return menus.back();
    };
    EXPECT_EQ(itemId(pageMenuItems(), "Paste Parameters"), 0) << "nothing copied yet";

    page->copyCurrentBlockParams(); // the amp of preset 4 ("Clean")
    settle();
    EXPECT_NE(itemId(pageMenuItems(), "Paste Parameters"), 0);

    ASSERT_TRUE(rig.service->requestChangePreset(2).ok);
    settle();
    ASSERT_EQ(rig.service->getCurrentPresetIndex(), 2);
    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "Paste Parameters"); };
    page->showMenu(nullptr, {});
    settle();
    EXPECT_FLOAT_EQ(pedalValue(3), deviceEntry(3, 1.0).second) << "gain of the copied amp";
    EXPECT_FLOAT_EQ(pedalValue(4), deviceEntry(4, 6.0).second);
    EXPECT_TRUE(rig.service->isCurrentPresetModified());
    EXPECT_TRUE(alerts.empty());

    rig.service->disconnect();
    page->copyCurrentBlockParams();
    page->pasteParams();
    settle();
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to copy params", "Failed to paste params" }));
}

TEST_F(EditPagePresetOperations, WithoutARecorderTheLibraryChooserOpensAndCancelChangesNothing)
{
    if (juce::FileChooser::isPlatformDialogAvailable())
        GTEST_SKIP() << "the desktop's own chooser runs in another process";
    consentGiven();
    page->setFileChooserRunner(nullptr);
    ModalDialogScript script({ [&](juce::Component& modal) {
        if (auto* cancel = ModalDialogScript::findButton(modal, "Cancel"))
            cancel->triggerClick();
        else
            modal.exitModalState(0);
    } });
    const auto writes = blockWriteCount();
    page->showImportDialogForPreset(1);
    settle();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.seen[0].contains("Import Preset")) << script.seen[0];
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_FALSE(settings->containsKey("lastDirectory"));
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace EditPageTesting
