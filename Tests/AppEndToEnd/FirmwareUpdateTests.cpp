#include "AppTestRig.h"

#include "Application/FileTestHelpers.h"
#include "BackupArchive.h"
#include "EditComponent.h"
#include "MainComponent.h"
#include "ModalDialogScript.h"
#include "OptionsDialog.h"
#include "SyntheticFirmware.h"
#include "TonecrestParamMap.h"

#include <atomic>

namespace AppTesting
{
namespace
{
using Tonecrest::TonecrestEditorService;
using Tonecrest::Testing::SimulatedPedal;
using Tonecrest::Testing::SimulatedPedalBus;
namespace SyntheticFirmware = Tonecrest::Testing::SyntheticFirmware;

/** Firmware updates run by the service while the application's own USB wiring follows the
    pedal through its restarts. */
class FirmwareUpdateInApp : public AppTest
{
protected:
    SimulatedPedalBus& pedalBelowMinimum()
    {
        SimulatedPedalBus::Options options;
        options.path = "/dev/hidraw-pedal-a";
        options.system = { 3, 3, 0 };
        options.initialMode = SimulatedPedalBus::Mode::Normal;
        return addPedal(options);
    }

    bool beginUpdate(SimulatedPedalBus& pedal, const Tonecrest::TonecrestData::Archive& archive)
    {
        service().addListener(&pedal.userListener()); // plays the user who restarts the pedal
        TonecrestEditorService::RestoreOptions options;
        options.ampModels = true;
        return service().beginFirmwareUpdate(archive, options, {}, [this] { finished = true; }).ok;
    }

    std::atomic<bool> finished { false };
};

TEST_F(FirmwareUpdateInApp, PedalPulledOutDuringTheDSPTransferEndsInTheErrorWithoutTouchingFreedObjects)
{
    SimulatedPedalBus::Options options;
    options.path = "/dev/hidraw-pedal-a";
    options.initialMode = SimulatedPedalBus::Mode::Normal;
    auto& pedal = addPedal(options);
    startApplication();
    ASSERT_TRUE(pumpUntil([&] {
        return serviceState() == TonecrestEditorService::kStateReady
            && containsInOrder(recorder.states(), { TonecrestEditorService::kStateRefreshing, TonecrestEditorService::kStateReady });
    }));

    pedal.pedal().addFaultAt(0xB2, 5, SimulatedPedal::Fault::Unplug);
    ASSERT_TRUE(beginUpdate(pedal, SyntheticFirmware::makeArchive())); // same system version: DSP only
    ASSERT_TRUE(pumpUntil([&] { return finished.load(); }, 60000));
    EXPECT_GE(findLogLine("EdSvc error: Could not update DSP firmware"), 0);
    service().removeListener(&pedal.userListener());
}

// The held pedal leaves the bus on purpose during an update and comes back, in a later poll or
// before the next one. The update follows it; a pedal idle since an earlier poll, and a device
// of the mode the update does not wait for that arrives as the pedal leaves, stay idle, so
// firmware and assets reach only the pedal being updated.
struct UpdateReturn
{
    const char* name;
    SyntheticFirmware::Version archiveSystem; // the pedals run 3.4.1: the same version updates the DSPs only
    unsigned backAtOnce;                      // restarts the pedal returns from before the next poll
    bool idlePedal;                           // a second pedal, idle since an earlier poll
    unsigned otherModeArrivesAt;              // the restart at which a device of the other mode arrives
};

void PrintTo(const UpdateReturn& row, std::ostream* out)
{
    *out << row.name;
}

class PedalFollowedThroughUpdate : public FirmwareUpdateInApp, public ::testing::WithParamInterface<UpdateReturn>
{
};

TEST_P(PedalFollowedThroughUpdate, AndOnlyItReceivesTheUpdate)
{
    const UpdateReturn& row = GetParam();
    SimulatedPedalBus::Options options;
    options.path = "/dev/hidraw-pedal-a";
    options.initialMode = SimulatedPedalBus::Mode::Absent;
    options.quickReturns = row.backAtOnce;
    auto& held = addPedal(options);
    auto& idle = addPedal("/dev/hidraw-pedal-b");
    held.pedal().setPresetName(0, "Held Own");
    idle.pedal().setPresetName(0, "Idle Own");

    // Waiting for the bootloader, the other mode is normal; waiting for the pedal, bootloader.
    const auto other = std::make_shared<Tonecrest::Testing::SimulatedHIDDevice>(
        SimulatedPedalBus::kVendorID, row.otherModeArrivesAt == SimulatedPedalBus::kIntoBootloader
                                          ? SimulatedPedalBus::kNormalProductID
                                          : SimulatedPedalBus::kBootloaderProductID);
    held.setRestartHandler([this, &row, other](SimulatedPedalBus::Restart restart) {
        if (restart == row.otherModeArrivesAt)
            backend.plug("/dev/hidraw-other", other);
    });

    startApplication();
    ASSERT_TRUE(plugInReady(held));
    if (row.idlePedal)
    {
        idle.plugIn(SimulatedPedalBus::Mode::Normal);
        ASSERT_TRUE(idle.waitForMode(SimulatedPedalBus::Mode::Normal, std::chrono::seconds(5)));
        ASSERT_TRUE(pumpUntil([&] { return app->getNumWaitingDevices() == 1; }));
    }

    auto archive = SyntheticFirmware::makeArchive({ row.archiveSystem, { 6, 3, 0 } });
    Tonecrest::TonecrestData::Preset factoryPreset;
    factoryPreset.name = "Factory One";
    archive.presets.push_back({ 0, factoryPreset });
    service().addListener(&held.userListener());
    TonecrestEditorService::RestoreOptions restoreOptions;
    restoreOptions.presets = true;
    ASSERT_TRUE(service().beginFirmwareUpdate(archive, restoreOptions, {}, [this] { finished = true; }).ok);
    EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 60000)) << "state " << serviceState();
    EXPECT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateReady; }));
    service().removeListener(&held.userListener());
    EXPECT_EQ(service().getLastError(), "");

    EXPECT_EQ(held.systemVersion(), row.archiveSystem);
    EXPECT_EQ(held.pedal().loadedDSPImage(0), archive.dspFirmware);
    EXPECT_EQ(held.pedal().loadedDSPImage(1), archive.dspFirmware2);
    EXPECT_EQ(held.pedal().presetName(0), "Factory One");
    EXPECT_FALSE(app->isConnectedToBootloader());
    EXPECT_EQ(backend.openHandleCount(held.currentDevice().get()), 1);

    EXPECT_EQ(idle.pedal().presetName(0), "Idle Own");
    EXPECT_TRUE(idle.pedal().receivedPackets().empty()) << "nothing is sent to the idle pedal";
    EXPECT_TRUE(other->writtenReports().empty()) << "nothing is sent to the device of the other mode";
    const bool otherArrived = row.otherModeArrivesAt != 0;
    if (row.idlePedal)
        EXPECT_EQ(backend.openHandleCount(idle.currentDevice().get()), 1) << "left open";
    EXPECT_EQ(backend.openHandleCount(other.get()), otherArrived ? 1 : 0);
    EXPECT_EQ(app->getNumWaitingDevices(), size_t(row.idlePedal) + size_t(otherArrived));
}

constexpr SyntheticFirmware::Version dspOnly { 3, 4, 1 }, withSystem { 3, 5, 0 };
constexpr unsigned afterDSP = SimulatedPedalBus::kAfterDSPUpdate, intoBootloader = SimulatedPedalBus::kIntoBootloader,
                   afterReset = SimulatedPedalBus::kAfterSystemUpdate;

INSTANTIATE_TEST_SUITE_P(
    Archive, PedalFollowedThroughUpdate,
    ::testing::Values(UpdateReturn { "DSPOnly", dspOnly, 0, true, 0 }, UpdateReturn { "SystemAndDSP", withSystem, 0, true, 0 },
                      UpdateReturn { "NormalPedalArrivesAsItLeavesForItsBootloader", withSystem, 0, false, intoBootloader },
                      UpdateReturn { "BackAtOnceAfterDSP", dspOnly, afterDSP, false, 0 },
                      UpdateReturn { "BackAtOnceAfterDSPBesideAnIdlePedal", dspOnly, afterDSP, true, 0 },
                      UpdateReturn { "BackAtOnceAfterDSPWithABootloaderArriving", dspOnly, afterDSP, false, afterDSP },
                      UpdateReturn { "BackAtOnceIntoBootloader", withSystem, intoBootloader, false, 0 },
                      UpdateReturn { "BackAtOnceIntoBootloaderBesideAnIdlePedal", withSystem, intoBootloader, true, 0 },
                      UpdateReturn { "BackAtOnceIntoBootloaderWithANormalPedalArriving", withSystem, intoBootloader, false, intoBootloader },
                      UpdateReturn { "BackAtOnceAfterReset", withSystem, afterReset, false, 0 },
                      UpdateReturn { "BackAtOnceAfterResetBesideAnIdlePedal", withSystem, afterReset, true, 0 },
                      UpdateReturn { "BackAtOnceAfterResetWithABootloaderArriving", withSystem, afterReset, false, afterReset }),
    [](const auto& info) { return std::string(info.param.name); });

// A system image that does not boot brings the bootloader back, here before the next poll.
// The update waits for the normal pedal, so the bootloader stays idle; the update fails and
// the user's replug connects it.
TEST_F(FirmwareUpdateInApp, BootloaderBackAtOnceAfterTheResetStaysIdleUntilReplugged)
{
    SimulatedPedalBus::Options options;
    options.path = "/dev/hidraw-pedal-a";
    options.initialMode = SimulatedPedalBus::Mode::Absent;
    options.quickReturns = SimulatedPedalBus::kAfterSystemUpdate;
    auto& held = addPedal(options);
    held.setComebackAfterSystemUpdate(SimulatedPedalBus::Comeback::Bootloader);
    startApplication();
    ASSERT_TRUE(plugInReady(held));

    ASSERT_TRUE(beginUpdate(held, SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 3, 0 } })));
    EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 60000)) << "state " << serviceState();
    service().removeListener(&held.userListener());
    EXPECT_EQ(serviceState(), TonecrestEditorService::kStateError);
    EXPECT_EQ(service().getLastError(), "Could not reconnect to the device (2)");
    const auto returned = held.currentDevice();
    ASSERT_NE(returned, nullptr);
    EXPECT_EQ(returned->getProductID(), SimulatedPedalBus::kBootloaderProductID);
    EXPECT_TRUE(returned->writtenReports().empty()) << "nothing is sent to the idle bootloader";
    EXPECT_EQ(app->getConnectedDevice(), nullptr);
    EXPECT_EQ(app->getNumWaitingDevices(), 1u);

    held.unplug();
    held.plugIn(SimulatedPedalBus::Mode::Bootloader);
    EXPECT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateBootloader; }));
    EXPECT_TRUE(app->isConnectedToBootloader());
    EXPECT_EQ(app->getNumWaitingDevices(), 0u);
}

TEST_F(FirmwareUpdateInApp, UpdateFromAFileChosenInTheMainMenuRestoresWhatTheUserTicked)
{
    auto& pedal = pedalBelowMinimum();
    startApplication();
    ASSERT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateBootloader; }));
    service().addListener(&pedal.userListener());

    // A firmware file with factory presets and globals besides the firmware and amp models.
    auto archive = SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 3, 0 } });
    Tonecrest::TonecrestData::Preset factoryPreset;
    factoryPreset.name = "Factory One";
    archive.presets.push_back({ 0, factoryPreset });
    static const Tonecrest::TonecrestParamMap table;
    const auto* global = table.findParameterInfo(14); // the cabinet output, a global setting
    ASSERT_NE(global, nullptr);
    pedal.pedal().setGlobals({ { uint32_t(global->deviceIndex), 0.0f } });
    const Tonecrest::TonecrestData::ParameterMap factoryGlobals { { uint32_t(global->deviceIndex), 2.0f } };
    archive.globals = factoryGlobals;
    Tonecrest::Testing::ScratchFolder folder;
    const auto file = folder.child("update.tfu");
    ASSERT_TRUE(Tonecrest::BackupArchive::write(archive, file).ok);
    const auto presetBefore = pedal.pedal().presetName(0);

    auto& main = *app->getMainWindow()->getMainComponent();
    std::vector<EditComponent::FileRequest> requests;
    main.getEditPage().setFileChooserRunner([&](const EditComponent::FileRequest& request) {
        requests.push_back(request);
        return file;
    });
    juce::StringArray offered;
    ModalDialogScript script({ [&](juce::Component& modal) {
        auto* options = ModalDialogScript::find<OptionsDialog>(modal);
        if (options == nullptr)
            return;
        for (int i = 0; i < options->getNumToggles(); ++i)
            offered.add(options->getToggle(i).getButtonText());
        options->getToggle(0).setToggleState(false, juce::dontSendNotification); // keep my presets
        options->getOkButton().triggerClick();
    } });
    main.handleMenuResult(MainComponent::updateFirmwareFromFileItem);

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Load Firmware");
    EXPECT_EQ(requests[0].patterns, "*.tfu");
    EXPECT_EQ(script.seen, juce::StringArray("Firmware Update Options"));
    EXPECT_EQ(offered, juce::StringArray({ "Factory Presets", "Factory Globals" })) << "never amp models";

    // The overlay follows the update with its progress until the pedal is ready again.
    double progressShown = 0.0;
    ASSERT_TRUE(pumpUntil(
        [&] {
            auto& overlay = main.getOverlay();
            if (overlay.isVisible() && overlay.getTitle() == "Updating firmware...")
                progressShown = std::max(progressShown, overlay.getProgress());
            return serviceState() == TonecrestEditorService::kStateReady
                && containsInOrder(recorder.states(), { TonecrestEditorService::kStateFirmwareUpdate,
                                                        TonecrestEditorService::kStateReady });
        },
        60000))
        << service().getLastError();
    EXPECT_GT(progressShown, 0.0);
    EXPECT_EQ(pedal.systemVersion(), (SyntheticFirmware::Version { 3, 5, 0 }));
    EXPECT_EQ(pedal.pedal().presetName(0), presetBefore) << "factory presets were not ticked";
    EXPECT_EQ(pedal.pedal().globals(), factoryGlobals);
    EXPECT_TRUE(containsInOrder(recorder.states(), { TonecrestEditorService::kStateBootloader,
                                                     TonecrestEditorService::kStateFirmwareUpdate,
                                                     TonecrestEditorService::kStateReady }))
        << "followed the pedal through its restarts";
    EXPECT_FALSE(app->isConnectedToBootloader());
    EXPECT_EQ(backend.openHandleCount(), 1) << "only the pedal in use is still open";
    service().removeListener(&pedal.userListener());
}

} // namespace
} // namespace AppTesting
