#include "AppTestRig.h"

#include "SyntheticFirmware.h"

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

} // namespace
} // namespace AppTesting
