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

/** A firmware update run by the service while the application's own USB wiring follows the
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

TEST_F(FirmwareUpdateInApp, FullUpdateFollowsThePedalThroughItsRestarts)
{
    auto& pedal = pedalBelowMinimum();
    startApplication();
    ASSERT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateBootloader; }))
        << "3.3.0 is below the minimum";

    ASSERT_TRUE(beginUpdate(pedal, SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 3, 0 } })));
    ASSERT_TRUE(pumpUntil([&] { return finished.load(); }, 60000));
    ASSERT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateReady; }))
        << service().getLastError();

    EXPECT_GE(findLogLine("TonecrestEditorService: Update complete"), 0);
    EXPECT_EQ(findLogLine("EdSvc error"), -1) << service().getLastError();
    EXPECT_EQ(pedal.systemVersion(), (SyntheticFirmware::Version { 3, 5, 0 }));
    EXPECT_EQ(service().getDeviceVersion().systemVersionNumber(), 0x03050000u);
    EXPECT_TRUE(containsInOrder(recorder.states(), { TonecrestEditorService::kStateReconnecting,
                                                     TonecrestEditorService::kStateFirmwareUpdate,
                                                     TonecrestEditorService::kStateReady }));
    EXPECT_FALSE(app->isConnectedToBootloader());
    EXPECT_EQ(backend.openHandleCount(), 1) << "only the pedal in use is still open";
    service().removeListener(&pedal.userListener());
}

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

// The held pedal leaves the bus on purpose during an update; a second pedal plugged in
// earlier stays idle all along, so firmware and assets reach only the pedal being updated.
class SecondPedalDuringUpdate : public FirmwareUpdateInApp, public ::testing::WithParamInterface<SyntheticFirmware::Version>
{
};

TEST_P(SecondPedalDuringUpdate, StaysIdleAndUntouched)
{
    const SyntheticFirmware::Version archiveSystem = GetParam();
    auto& held = addPedal("/dev/hidraw-pedal-a");
    auto& idle = addPedal("/dev/hidraw-pedal-b");
    held.pedal().setPresetName(0, "Held Own");
    idle.pedal().setPresetName(0, "Idle Own");
    startApplication();
    ASSERT_TRUE(plugInReady(held));
    idle.plugIn(SimulatedPedalBus::Mode::Normal);
    ASSERT_TRUE(idle.waitForMode(SimulatedPedalBus::Mode::Normal, std::chrono::seconds(5)));
    ASSERT_TRUE(pumpUntil([&] { return app->getNumWaitingDevices() == 1; }));

    auto archive = SyntheticFirmware::makeArchive({ archiveSystem, { 6, 3, 0 } });
    Tonecrest::TonecrestData::Preset factoryPreset;
    factoryPreset.name = "Factory One";
    archive.presets.push_back({ 0, factoryPreset });
    service().addListener(&held.userListener());
    TonecrestEditorService::RestoreOptions options;
    options.presets = true;
    ASSERT_TRUE(service().beginFirmwareUpdate(archive, options, {}, [this] { finished = true; }).ok);
    EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 60000)) << "state " << serviceState();
    EXPECT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateReady; }));
    EXPECT_EQ(service().getLastError(), "");

    EXPECT_EQ(held.systemVersion(), archiveSystem);
    EXPECT_EQ(held.pedal().loadedDSPImage(0), archive.dspFirmware);
    EXPECT_EQ(held.pedal().loadedDSPImage(1), archive.dspFirmware2);
    EXPECT_EQ(held.pedal().presetName(0), "Factory One");
    EXPECT_EQ(idle.pedal().presetName(0), "Idle Own");
    EXPECT_TRUE(idle.pedal().receivedPackets().empty()) << "nothing is sent to the idle pedal";
    EXPECT_EQ(backend.openHandleCount(held.currentDevice().get()), 1);
    EXPECT_EQ(backend.openHandleCount(idle.currentDevice().get()), 1);
    EXPECT_EQ(app->getNumWaitingDevices(), 1u);
    service().removeListener(&held.userListener());
}

// The pedals run 3.4.1: the same system version updates the DSPs only.
INSTANTIATE_TEST_SUITE_P(Archive, SecondPedalDuringUpdate,
                         ::testing::Values(SyntheticFirmware::Version { 3, 4, 1 }, SyntheticFirmware::Version { 3, 5, 0 }),
                         [](const auto& info) { return info.index == 0 ? "DSPOnly" : "SystemAndDSP"; });

TEST_F(FirmwareUpdateInApp, PedalArrivingInThePollThatSeesTheHeldOneLeaveForItsBootloaderStaysIdle)
{
    auto& held = addPedal("/dev/hidraw-pedal-a");
    startApplication();
    ASSERT_TRUE(plugInReady(held));
    held.setUserIgnoresRequest(true);
    ASSERT_TRUE(beginUpdate(held, SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 3, 0 } })));
    ASSERT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateReconnecting; }));

    // No message is dispatched in between: the next poll sees both.
    const auto other = backend.plugNew("/dev/hidraw-pedal-b", SimulatedPedalBus::kVendorID, SimulatedPedalBus::kNormalProductID);
    held.powerCycleIntoBootloader();
    EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 60000)) << "state " << serviceState();
    EXPECT_TRUE(pumpUntil([&] { return serviceState() == TonecrestEditorService::kStateReady; }));
    EXPECT_EQ(service().getLastError(), "");
    EXPECT_EQ(held.systemVersion(), (SyntheticFirmware::Version { 3, 5, 0 }));
    EXPECT_TRUE(other->writtenReports().empty()) << "nothing is sent to the idle pedal";
    EXPECT_EQ(app->getNumWaitingDevices(), 1u);
    service().removeListener(&held.userListener());
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
    service().removeListener(&pedal.userListener());
}

} // namespace
} // namespace AppTesting
