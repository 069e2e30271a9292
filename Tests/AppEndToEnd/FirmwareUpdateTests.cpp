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
