// The edit page's cabinet, backup, restore and firmware operations against a simulated pedal:
// the real dialogs run their own modal loops and are answered by a script; file choosers and
// the built-in firmware archive are replaced through the page's seams.

#include "EditPageTestRig.h"

#include "AudioFileBuilder.h"
#include "BackupArchive.h"
#include "FirmwareArchive.h"
#include "IOUtils.h"
#include "OptionsDialog.h"
#include "RenameDialog.h"
#include "SavePresetDialog.h"
#include "SyntheticFirmware.h"
#include "TonecrestDataFile.h"
#include "TonecrestProtocol.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace EditPageTesting
{
namespace
{

using Step = ModalDialogScript::Step;
using Tonecrest::TonecrestProtocol;
using Tonecrest::TonecrestData::Archive;
using Tonecrest::TonecrestData::Cabinet;
namespace SyntheticFirmware = Tonecrest::Testing::SyntheticFirmware;

constexpr int channelSamples = 1024;
constexpr int backupTimeoutMs = 180000; // a whole-pedal read under ASan on a loaded machine

/** A cabinet whose samples tell it apart from every other. */
Cabinet markedCabinet(const std::string& name, float mark)
{
    Cabinet cabinet;
    cabinet.name = name;
    for (int i = 0; i < 64; ++i)
    {
        cabinet.samples[size_t(i)] = mark * float(i % 7) / 8.0f;
        cabinet.samples[size_t(channelSamples + i)] = -mark * float(i % 5) / 8.0f;
    }
    return cabinet;
}

void writeCabinetFile(const Cabinet& cabinet, const juce::File& file, uint32_t index)
{
    juce::FileOutputStream output(file);
    ASSERT_TRUE(output.openedOk());
    Tonecrest::OutStreamWrapper stream(&output);
    ASSERT_TRUE(Tonecrest::writeCabinetFile(cabinet, stream, index).ok);
}

Cabinet readCabinetFile(const juce::File& file, uint32_t* index = nullptr)
{
    Cabinet cabinet;
    juce::FileInputStream input(file);
    EXPECT_TRUE(input.openedOk()) << file.getFullPathName();
    Tonecrest::InStreamWrapper stream(&input);
    const auto result = Tonecrest::readCabinetFile(stream, cabinet, index);
    EXPECT_TRUE(result.ok) << (result.ok ? "" : result.error);
    return cabinet;
}

bool sameSamples(const Cabinet& a, const Cabinet& b)
{
    return std::equal(a.samples.begin(), a.samples.end(), b.samples.begin(),
                      [](float x, float y) { return std::abs(x - y) <= 1e-6f; });
}

/** Records an options dialog's toggles (label and state) and prompt, then clicks `button`. */
Step recordOptionsThenClick(std::vector<std::pair<juce::String, bool>>& toggles, juce::String& prompt,
                            const juce::String& button, bool untickAll = false)
{
    return lookThenClick<OptionsDialog>(
        [&toggles, &prompt, untickAll](OptionsDialog& dialog) {
            toggles.clear();
            prompt = dialog.getPromptLabel().getText();
            for (int i = 0; i < dialog.getNumToggles(); ++i)
            {
                toggles.emplace_back(dialog.getToggle(i).getButtonText(), dialog.getToggle(i).getToggleState());
                if (untickAll)
                    dialog.getToggle(i).setToggleState(false, juce::dontSendNotification);
            }
        },
        button);
}

std::vector<std::pair<juce::String, bool>> allTicked(std::initializer_list<const char*> labels)
{
    std::vector<std::pair<juce::String, bool>> toggles;
    for (const char* label : labels)
        toggles.emplace_back(label, true);
    return toggles;
}

class EditPageDeviceOperations : public EditPageTest
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "the dialogs run in windows; needs a display";
        for (unsigned i = 0; i < SimulatedPedal::kUserCabinetCount; ++i)
            pedal().setUserCabinet(i, markedCabinet("IR " + std::to_string(i), float(i + 1)));
        makePage();
        connectAndRefresh();
    }

    /** A folder the page remembers as the last one used. */
    juce::File rememberFolder(const char* name)
    {
        const auto folder = scratch.child(name);
        EXPECT_TRUE(folder.createDirectory());
        page->setLastDirectory(folder);
        return folder;
    }

    int restoresStarted() const
    {
        const auto states = rig.listener.statesSeen();
        return int(std::count(states.begin(), states.end(), int(TonecrestEditorService::kStateRestore)));
    }

    /** A stereo 48 kHz 16-bit WAV in the scratch folder; left and right differ. */
    juce::File writeWave(const char* name)
    {
        std::vector<double> interleaved;
        for (int i = 0; i < 300; ++i)
        {
            interleaved.push_back(((i * 37) % 200 - 100) / 128.0);
            interleaved.push_back(((i * 11) % 64 - 32) / 64.0);
        }
        const auto bytes = Tonecrest::Testing::wavFile({ 1, 2, 48000, 16 }, Tonecrest::Testing::wavPcmData(interleaved, 16));
        const auto file = scratch.child(name);
        EXPECT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
        return file;
    }

    /** The first samples of both channels match what writeWave put in the file. */
    static void expectWaveSamples(const Cabinet& cabinet)
    {
        for (int i = 0; i < 300; ++i)
        {
            ASSERT_NEAR(cabinet.samples[size_t(i)], ((i * 37) % 200 - 100) / 128.0, 1e-6) << "left " << i;
            ASSERT_NEAR(cabinet.samples[size_t(channelSamples + i)], ((i * 11) % 64 - 32) / 64.0, 1e-6) << "right " << i;
        }
        EXPECT_EQ(cabinet.samples[channelSamples - 1], 0.0f) << "padded with zeros";
    }

    /** A backup archive in the scratch folder. */
    juce::File writeArchive(const Archive& archive, const char* name)
    {
        const auto file = scratch.child(name);
        const auto written = Tonecrest::BackupArchive::write(archive, file);
        EXPECT_TRUE(written.ok) << (written.ok ? "" : written.error);
        return file;
    }

    Archive::PresetEntry presetEntry(int slot, const std::string& name)
    {
        Archive::PresetEntry entry;
        entry.index = slot;
        entry.preset = pedal().preset(unsigned(slot));
        entry.preset.name = name;
        return entry;
    }

    /** A firmware archive for a newer system than the pedal runs: an update waits for the
        pedal to come back in its bootloader, which never happens here. */
    static Archive firmwareArchive() { return SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 2, 0 } }); }

    static juce::File documents() { return juce::File::getSpecialLocation(juce::File::userDocumentsDirectory); }
};

// ---- User cabinets ---------------------------------------------------------------------------

TEST_F(EditPageDeviceOperations, ImportFillsTheChosenSlotFromAWaveOrACabinetFile)
{
    const auto remembered = rememberFolder("irs");
    answerChoosersWith(writeWave("Closed-4x12-Dynamic-OffAxis.wav"));
    page->onCabinetsComponentImport(5);
    settle();
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Import Cabinet", "*.wav;*.cab", false);
    EXPECT_EQ(fileRequests[0].initial, remembered);
    EXPECT_EQ(page->getLastDirectory(), scratch.path()) << "the chosen file's folder is remembered";

    const auto imported = pedal().userCabinet(5);
    expectWaveSamples(imported);
    EXPECT_EQ(imported.name, "Closed-4x12-Dyn") << "the file name, shortened to what the pedal keeps";
    EXPECT_EQ(pedal().userCabinet(4).name, "IR 4");
    EXPECT_EQ(pedal().userCabinet(6).name, "IR 6");

    // The file names slot 7; the cabinet goes to the row it was imported into.
    const auto fromFile = markedCabinet("From Cab File", -3.0f);
    const auto cabFile = scratch.child("exported.cab");
    writeCabinetFile(fromFile, cabFile, 7);
    answerChoosersWith(cabFile);
    page->onCabinetsComponentImport(2);
    settle();
    EXPECT_EQ(pedal().userCabinet(2).name, "From Cab File");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(2), fromFile));
    EXPECT_EQ(pedal().userCabinet(7).name, "IR 7");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(7), markedCabinet("", 8.0f)));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageDeviceOperations, CancelledOrBrokenImportsLeaveThePedalAlone)
{
    const auto remembered = rememberFolder("irs");
    const auto writes = blockWriteCount();

    page->onCabinetsComponentImport(3); // the chooser answers "cancelled"
    settle();
    EXPECT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(settings->getValue("lastDirectory"), remembered.getFullPathName());
    EXPECT_EQ(blockWriteCount(), writes);

    for (const char* broken : { "broken.wav", "broken.cab" })
    {
        ASSERT_TRUE(scratch.child(broken).replaceWithText("RIFF but neither a wave nor a cabinet file"));
        answerChoosersWith(scratch.child(broken));
        page->onCabinetsComponentImport(3);
        settle();
    }
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to import user cabinet", "Failed to load user cabinet" }));
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_EQ(pedal().userCabinet(3).name, "IR 3");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(3), markedCabinet("", 4.0f)));
}

TEST_F(EditPageDeviceOperations, FromFileInTheCabinetPopUpReplacesOnlyTheCurrentCabinet)
{
    page->onSignalChainComponentBlockSelected(2);
    pump(50);
    ASSERT_NE(page->getCabinetMenu(), nullptr);
    answerChoosersWith(writeWave("Room Mic.wav"));
    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "FROM FILE..."); };
    const auto writes = blockWriteCount();
    press(*page->getCabinetMenu());
    settle();

    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].title, "Import Cabinet");
    const auto current = pedal().currentCabinet();
    expectWaveSamples(current);
    EXPECT_EQ(current.name, "Room Mic");
    const auto blockWrites = pedal().blockWrites();
    ASSERT_GT(blockWrites.size(), writes);
    for (size_t i = writes; i < blockWrites.size(); ++i)
        EXPECT_TRUE(blockWrites[i].type == TonecrestProtocol::kDataCurrentCabinetName
                    || blockWrites[i].type == TonecrestProtocol::kDataCurrentCabinetData)
            << "no user cabinet or stored preset is written, type " << blockWrites[i].type;
    EXPECT_TRUE(pumpUntil([&] { return page->getCabinetMenu() != nullptr && page->getCabinetMenu()->text == "Room Mic"; }));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageDeviceOperations, ExportWritesTheSlotsCabinetFileWhereTheUserChose)
{
    const auto exported = scratch.child("IR 3.cab");
    answerChoosersWith(exported);
    page->onCabinetsComponentExport(3);
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Export Cabinet", "*.cab", true);
    EXPECT_EQ(fileRequests[0].initial, documents().getChildFile("IR 3.cab")) << "nothing remembered yet";
    ASSERT_TRUE(pumpUntil([&] { return exported.existsAsFile(); }));
    rig.drain();
    uint32_t fileIndex = 99;
    const auto written = readCabinetFile(exported, &fileIndex);
    EXPECT_EQ(fileIndex, 0u);
    EXPECT_EQ(written.name, "IR 3");
    EXPECT_TRUE(sameSamples(written, pedal().userCabinet(3)));

    // A target that cannot be replaced (a folder of that name) keeps what was there.
    const auto folder = scratch.child("IR 4.cab");
    ASSERT_TRUE(folder.getChildFile("keep.txt").create());
    answerChoosersWith(folder);
    page->onCabinetsComponentExport(4);
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); }));
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to overwrite file" }));
    EXPECT_TRUE(folder.getChildFile("keep.txt").existsAsFile());
    EXPECT_EQ(scratch.fileCount(), 2) << "IR 3.cab and the folder: no temporary file left";
}

TEST_F(EditPageDeviceOperations, RenameThroughTheDialogOrInPlaceSendsOnlyTheName)
{
    ShownRename shown;
    ModalDialogScript script(renameThenCancel(shown, "Greenback"));
    page->onCabinetsComponentRename(4);
    settle();
    EXPECT_EQ(script.seen, juce::StringArray("Rename User Cabinet"));
    EXPECT_EQ(shown.name, "IR 4");
    EXPECT_EQ(shown.prompt, "New cabinet name:");
    EXPECT_EQ(pedal().userCabinet(4).name, "Greenback");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(4), markedCabinet("", 5.0f)));

    const auto writes = blockWriteCount();
    page->onCabinetsComponentRename(4);
    settle();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(blockWriteCount(), writes) << "cancel sends nothing";
    page->onCabinetsComponentRename(-1);
    settle();
    EXPECT_EQ(script.unexpected, 0) << "no dialog without a row";
    EXPECT_TRUE(alerts.empty());

    page->onCabinetsComponentNameEdited(6, "A Very Long Cabinet Name");
    settle();
    EXPECT_EQ(pedal().userCabinet(6).name, "A Very Long Cab");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(6), markedCabinet("", 7.0f)));

    page->onCabinetsComponentRename(32);
    rig.service->disconnect();
    page->onCabinetsComponentNameEdited(6, "Offline");
    settle();
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to get preset info", "Failed to rename user cabinet" }));
}

TEST_F(EditPageDeviceOperations, CopyToWritesTheSourceSamplesUnderTheTypedName)
{
    int shownSlots = 0, shownSelection = -2;
    juce::String shownName, firstSlot, lastSlot;
    ModalDialogScript script({
        lookThenClick<SavePresetDialog>(
            [&](SavePresetDialog& dialog) {
                shownSlots = dialog.getSlotBox().getNumItems();
                shownSelection = dialog.getSelectedSlot();
                shownName = dialog.getPresetName();
                firstSlot = dialog.getSlotBox().getItemText(0);
                lastSlot = dialog.getSlotBox().getItemText(31);
                dialog.getSlotBox().setSelectedItemIndex(9);
                dialog.getNameField().setText("Copied IR");
            },
            "SAVE"),
        lookThenClick<SavePresetDialog>([](SavePresetDialog& dialog) { dialog.getNameField().setText("Same Slot"); }, "SAVE"),
        lookThenClick<SavePresetDialog>([](SavePresetDialog& dialog) { dialog.getSlotBox().setSelectedItemIndex(20); },
                                        "CANCEL"),
    });
    page->onCabinetsComponentCopyTo(1);
    settle();
    EXPECT_EQ(script.seen, juce::StringArray("Copy User Cabinet To..."));
    EXPECT_EQ(shownSlots, 32);
    EXPECT_EQ(shownSelection, 1);
    EXPECT_EQ(shownName, "IR 1");
    EXPECT_EQ(firstSlot, "1 - IR 0");
    EXPECT_EQ(lastSlot, "32 - IR 31");
    EXPECT_EQ(pedal().userCabinet(9).name, "Copied IR");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(9), markedCabinet("", 2.0f)));
    EXPECT_EQ(pedal().userCabinet(1).name, "IR 1") << "the source stays as it was";

    // The source as its own target: the data stays, the name changes.
    page->onCabinetsComponentCopyTo(1);
    settle();
    EXPECT_EQ(pedal().userCabinet(1).name, "Same Slot");
    EXPECT_TRUE(sameSamples(pedal().userCabinet(1), markedCabinet("", 2.0f)));

    const auto writes = blockWriteCount();
    page->onCabinetsComponentCopyTo(1);
    page->onCabinetsComponentCopyTo(-1);
    page->onCabinetsComponentCopyTo(32);
    settle();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(script.unexpected, 0) << "no dialog for a row that does not exist";
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_EQ(pedal().userCabinet(20).name, "IR 20");
    EXPECT_TRUE(alerts.empty());
}

// ---- Backup and restore -------------------------------------------------------------------------

TEST_F(EditPageDeviceOperations, BackupWritesTheWholePedalToTheChosenArchive)
{
    const auto backup = scratch.child("pedal.tbu");
    answerChoosersWith(backup);
    const auto before = juce::Time::getCurrentTime().formatted("Tonecrest Backup %Y-%m-%d %H_%M.tbu");
    page->onBackupComponentBackup();
    const auto after = juce::Time::getCurrentTime().formatted("Tonecrest Backup %Y-%m-%d %H_%M.tbu");
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Save Backup", "*.tbu", true);
    EXPECT_EQ(fileRequests[0].initial.getParentDirectory(), documents());
    const auto proposed = fileRequests[0].initial.getFileName();
    EXPECT_TRUE(proposed == before || proposed == after) << proposed;

    // Whatever progress the overlay shows on the way lies in 0..1 and never goes back.
    std::vector<double> shown;
    ASSERT_TRUE(pumpUntil(
        [&] {
            if (overlay.getProgress() >= 0.0 && (shown.empty() || shown.back() != overlay.getProgress()))
                shown.push_back(overlay.getProgress());
            return backup.existsAsFile();
        },
        backupTimeoutMs));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << "never goes back";
    EXPECT_TRUE(shown.empty() || shown.back() <= 1.0);
    settle();
    EXPECT_TRUE(pumpUntil([&] { return overlay.getProgress() < 0.0; })) << "no bar once the backup is over";
    EXPECT_EQ(page->getLastDirectory(), scratch.path());

    Archive archive;
    const auto loaded = Tonecrest::BackupArchive::loadFromFile(backup, archive);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(archive.presets.size(), 128u);
    ASSERT_EQ(archive.userCabinets.size(), 32u);
    EXPECT_EQ(archive.userCabinets[3].index, 3);
    EXPECT_EQ(archive.userCabinets[3].cabinet.name, "IR 3");
    EXPECT_TRUE(sameSamples(archive.userCabinets[3].cabinet, markedCabinet("", 4.0f)));
    EXPECT_TRUE(archive.globals.has_value());
    EXPECT_TRUE(alerts.empty());

    // A place nothing can be written to: the backup runs and its file is reported.
    ASSERT_TRUE(scratch.child("plain.txt").replaceWithText("a file, not a folder"));
    answerChoosersWith(scratch.child("plain.txt").getChildFile("pedal.tbu"));
    page->onBackupComponentBackup();
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); }, backupTimeoutMs));
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to save backup" }));
}

TEST_F(EditPageDeviceOperations, RestoreOffersWhatTheArchiveHoldsAndStartsOnlyOnOk)
{
    Archive presetsOnly;
    presetsOnly.presets = { presetEntry(10, "Restored A"), presetEntry(11, "Restored B") };
    const auto presetsFile = writeArchive(presetsOnly, "presets.tbu");
    answerChoosersWith(presetsFile);

    std::vector<std::pair<juce::String, bool>> toggles, unticked;
    juce::String prompt;
    {
        ModalDialogScript script({ recordOptionsThenClick(toggles, prompt, "OK") });
        page->onBackupComponentRestore();
        settle();
        EXPECT_EQ(script.seen, juce::StringArray("Restore Options"));
    }
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Load Backup", "*.tbu", false);
    EXPECT_EQ(prompt, "Choose which components to restore");
    EXPECT_EQ(toggles, allTicked({ "Presets" }));
    EXPECT_EQ(restoresStarted(), 1);
    EXPECT_EQ(pedal().presetName(10), "Restored A");
    EXPECT_EQ(pedal().presetName(11), "Restored B");

    // Nothing ticked: the restore still runs through the service and writes nothing.
    pedal().setPresetName(10, "Kept");
    const auto writes = blockWriteCount();
    {
        ModalDialogScript script({ recordOptionsThenClick(unticked, prompt, "OK", true) });
        page->onBackupComponentRestore();
        settle();
        EXPECT_TRUE(script.finished());
    }
    EXPECT_EQ(unticked, allTicked({ "Presets" })) << "as shown before unticking";
    EXPECT_EQ(restoresStarted(), 2);
    EXPECT_EQ(blockWriteCount(), writes);
    EXPECT_EQ(pedal().presetName(10), "Kept");

    // Every part present: four options in order; cancel starts nothing.
    Archive everything = presetsOnly;
    everything.userCabinets.push_back({ 4, markedCabinet("Restored IR", 9.0f) });
    everything.globals = pedal().globals();
    everything.ampModels.push_back({ 0, SyntheticFirmware::makeAmpModel(0) });
    answerChoosersWith(writeArchive(everything, "everything.tbu"));
    {
        ModalDialogScript cancel({ recordOptionsThenClick(toggles, prompt, "CANCEL") });
        page->onBackupComponentRestore();
        settle();
        EXPECT_TRUE(cancel.finished());
    }
    EXPECT_EQ(toggles, allTicked({ "Presets", "Cabinets", "Globals", "Amp Models" }));
    EXPECT_EQ(restoresStarted(), 2);
    EXPECT_EQ(blockWriteCount(), writes);

    const auto notAnArchive = scratch.child("notes.tbu");
    ASSERT_TRUE(notAnArchive.replaceWithText("not a zip"));
    answerChoosersWith(notAnArchive);
    {
        ModalDialogScript none({});
        page->onBackupComponentRestore();
        settle();
        EXPECT_EQ(none.unexpected, 0);
    }
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to load backup" }));
    EXPECT_EQ(restoresStarted(), 2);
}

// ---- Firmware update ------------------------------------------------------------------------------

TEST_F(EditPageDeviceOperations, BuiltInFirmwareOffersTheFactoryPartsButNeverAmpModels)
{
    if (!Tonecrest::FirmwareArchive::hasBuiltIn())
    {
        // This build carries no firmware of its own and says so.
        ModalDialogScript script({});
        page->updateFirmware(false);
        settle();
        EXPECT_EQ(alerts, std::vector<juce::String>({ "No built-in firmware is included in this build" }));
        EXPECT_EQ(rig.service->getState(), TonecrestEditorService::kStateReady);
        EXPECT_EQ(script.unexpected, 0);
        alerts.clear();
    }

    Archive archive = firmwareArchive();
    ASSERT_FALSE(archive.ampModels.empty());
    archive.presets.push_back(presetEntry(0, "Factory"));
    archive.userCabinets.push_back({ 0, markedCabinet("Factory IR", 1.0f) });
    archive.globals = pedal().globals();
    int loads = 0;
    page->setBuiltInFirmwareLoader([&](Archive& out) {
        ++loads;
        out = archive;
        return Tonecrest::kSuccess;
    });
    std::vector<std::pair<juce::String, bool>> toggles, second;
    juce::String prompt;
    ModalDialogScript answers({ recordOptionsThenClick(toggles, prompt, "CANCEL"),
                                recordOptionsThenClick(second, prompt, "OK"), ModalDialogScript::clickButton("OK") });

    page->onBackupComponentUpdateFirmware(false);
    settle();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(answers.seen, juce::StringArray("Firmware Update Options"));
    EXPECT_EQ(prompt, "Choose which components to restore to factory defaults");
    EXPECT_EQ(toggles, allTicked({ "Factory Presets", "Factory Cabinets", "Factory Globals" }));
    EXPECT_EQ(rig.service->getState(), TonecrestEditorService::kStateReady) << "cancel starts nothing";
    EXPECT_TRUE(fileRequests.empty());

    page->updateFirmware(false);
    EXPECT_NE(rig.service->getState(), TonecrestEditorService::kStateReady) << "the update started";
    EXPECT_EQ(second, toggles);
    EXPECT_TRUE(pumpUntil([&] { return overlay.getTitle() == "Please power cycle TONECREST"; }));

    page->updateFirmware(false); // while the first one waits for the bootloader
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); }));
    EXPECT_EQ(loads, 3);
    EXPECT_TRUE(answers.finished());
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to start firmware update" }));
}

TEST_F(EditPageDeviceOperations, FirmwareFromFileReadsTheChosenArchive)
{
    std::atomic<int> builtInLoads { 0 };
    page->setBuiltInFirmwareLoader([&](Archive&) {
        ++builtInLoads;
        return Tonecrest::Result { false, "not this one" };
    });
    const auto remembered = rememberFolder("updates");
    ModalDialogScript script({});

    page->updateFirmware(true); // the chooser answers "cancelled"
    settle();
    ASSERT_EQ(fileRequests.size(), 1u);
    expectRequest(fileRequests[0], "Load Firmware", "*.tfu", false);
    EXPECT_EQ(fileRequests[0].initial, remembered);
    EXPECT_EQ(rig.service->getState(), TonecrestEditorService::kStateReady);
    EXPECT_TRUE(alerts.empty());

    const auto bad = scratch.child("bad.tfu");
    ASSERT_TRUE(bad.replaceWithText("not a firmware archive"));
    answerChoosersWith(bad);
    page->onBackupComponentUpdateFirmware(true);
    settle();
    EXPECT_EQ(alerts, std::vector<juce::String>({ "Failed to load firmware archive" }));
    EXPECT_EQ(page->getLastDirectory(), scratch.path());
    EXPECT_EQ(rig.service->getState(), TonecrestEditorService::kStateReady);

    answerChoosersWith(writeArchive(firmwareArchive(), "update.tfu"));
    page->updateFirmware(true);
    EXPECT_NE(rig.service->getState(), TonecrestEditorService::kStateReady) << "the update started";
    pump(100);
    EXPECT_EQ(builtInLoads, 0);
    EXPECT_EQ(script.seen, juce::StringArray()) << "nothing to choose in this archive";
    EXPECT_EQ(alerts.size(), 1u);
}

// ---- Completions after the page ---------------------------------------------------------------

TEST_F(EditPageDeviceOperations, CompletionsRunningAfterThePageIsGoneDoNoHarm)
{
    const auto backup = scratch.child("late.tbu");
    answerChoosersWith(backup);
    page->onBackupComponentBackup();
    page.reset(); // progress and completion run after the page is gone
    ASSERT_TRUE(pumpUntil([&] { return backup.existsAsFile(); }, backupTimeoutMs));
    rig.drain();
    Archive archive;
    ASSERT_TRUE(Tonecrest::BackupArchive::loadFromFile(backup, archive).ok);
    EXPECT_EQ(archive.presets.size(), 128u);

    // A failure reported with no page to show it.
    makePage();
    pump(50);
    const auto folder = scratch.child("IR 2.cab");
    ASSERT_TRUE(folder.getChildFile("keep.txt").create());
    answerChoosersWith(folder);
    page->onCabinetsComponentExport(2);
    page.reset();
    rig.drain();
    pump(50);
    EXPECT_TRUE(folder.getChildFile("keep.txt").existsAsFile());
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace EditPageTesting
