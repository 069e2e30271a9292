#include "EditorServiceTestRig.h"
#include "TonecrestBootloader.h"

#include <gtest/gtest.h>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Service = TonecrestEditorService;

namespace
{
// Fills the simulated pedal with recognisable content.
void populatePedal(SimulatedPedal& pedal)
{
    pedal.setAmpModelInfo(0, { 5, "Plexi" });
    pedal.setAmpModelInfo(3, { 9, "Twin" });
    pedal.setAmpModelInfo(4, { 0xFFFFFFFDu, "Reserved" }); // -3 would collide with NONE
    pedal.setAmpModelInfo(5, { 10001, "TooHigh" });
    for (unsigned i = 0; i < 128; ++i)
        pedal.setPresetName(i, "Preset " + std::to_string(i));
    for (unsigned i = 0; i < 32; ++i)
        pedal.setCabinetName(9, i, "Cab " + std::to_string(i));
    pedal.setGlobals({ { 30, 0.0f }, { 108, 5.0f } }); // presets numbered from 0
    pedal.setPresetParams(7, { { 2, 0.25f }, { 8, -6.0f }, { 11, 10003.0f } });
    pedal.setPresetName(7, "Lead");
    pedal.setCabinetName(14, 0, "EditCab");
    pedal.setCurrentPreset(7);
}
} // namespace

TEST(EditorServiceCore, NewServiceIsDisconnectedAndRefusesTasks)
{
    Service service(nullptr);
    EXPECT_EQ(service.getState(), 0);
    EXPECT_FALSE(service.isConnected());
    EXPECT_EQ(service.getCurrentPresetIndex(), -1);
    EXPECT_STREQ(service.beginRefreshAll(nullptr).error, "Cannot start task while not running");
    EXPECT_STREQ(service.requestChangePreset(3).error, "Cannot start task while not running");

    Service::PresetInfo info;
    EXPECT_STREQ(service.getPresetInfo(-1, info).error, "Invalid preset index: %d");
    EXPECT_STREQ(service.getPresetInfo(128, info).error, "Invalid preset index: %d");
    ASSERT_TRUE(service.getPresetInfo(127, info).ok);
    EXPECT_EQ(info.index, 127);
    EXPECT_EQ(info.state, 0);
    EXPECT_STREQ(service.getUserCabinetInfo(32, info).error, "Invalid user cabinet index: %d");
    EXPECT_TRUE(service.connect(nullptr).ok);
    EXPECT_EQ(service.getState(), 0);
}

TEST(EditorServiceCore, ConnectWhileConnectedDisconnectsFirst)
{
    EditorServiceRig rig;
    rig.connect();
    EXPECT_EQ(rig.listener.statesSeen(), (std::vector<int> { 1 }));
    rig.connect();
    EXPECT_EQ(rig.listener.statesSeen(), (std::vector<int> { 1, 0, 1 }));
    EXPECT_TRUE(rig.service->isReady());

    SimulatedHIDDevice loaderDevice(0x04D8, 0x003C);
    TonecrestBootloader loader(&loaderDevice);
    rig.service->connectBootloader(&loader);
    rig.connect();
    EXPECT_EQ(rig.listener.statesSeen(), (std::vector<int> { 1, 0, 1, 0, 2, 0, 1 }));
    rig.connection.device.unplug(); // the transport's failure reaches the service
    EXPECT_TRUE(rig.waitForError("A communication error occurred"));
}

TEST(EditorServiceCore, QuickTaskReportsReadyAgainAndLongTaskRefusesSecond)
{
    EditorServiceRig rig;
    rig.connect();
    rig.listener.clear();
    CompletionLatch quick;
    ASSERT_TRUE(rig.service->setParameterValue(3, { 1, 5.0 }, quick.callback()).ok);
    ASSERT_TRUE(quick.wait());
    EXPECT_EQ(rig.listener.statesSeen().front(), 1);

    rig.connection.pedal.addFault({ 0xB4, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways });
    CompletionLatch waited;
    ASSERT_TRUE(rig.service->beginWaitForReady(waited.callback()).ok);
    EXPECT_STREQ(rig.service->beginRefreshAll(nullptr).error, "Cannot start task while busy");
    EXPECT_STREQ(rig.service->setParameterValue(3, { 1, 5.0 }, nullptr).error, "Cannot start task while busy");
    ASSERT_TRUE(waited.wait());
}

TEST(EditorServiceCore, ListenersAddedTwiceAreRemovedTogether)
{
    Service service(nullptr);
    RecordingServiceListener listener;
    service.addListener(&listener);
    service.addListener(&listener);
    SimulatedPedalConnection connection;
    service.connect(connection.protocol.get());
    EXPECT_EQ(listener.statesSeen(), (std::vector<int> { 1, 1 }));
    service.removeListener(&listener);
    service.disconnect();
    EXPECT_EQ(listener.statesSeen().size(), 2u);
}

TEST(EditorServiceWaitForReady, AnsweringPedalWithSupportedFirmwareIsReady)
{
    EditorServiceRig rig;
    rig.connection.pedal.setVersion({ 3, 4, 1 }, { 6, 2, 0 }, 2);
    rig.connectAndWaitForReady();
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_EQ(rig.service->getDeviceVersion().subType, 2);
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(0xB4).size(), 2u) << "one ping, then the second check";
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(0xB5).size(), 1u);
    EXPECT_EQ(rig.listener.statesSeen(), (std::vector<int> { 1, 3, 1 }));
}

TEST(EditorServiceWaitForReady, FirmwareBelowMinimumNeedsAnUpdate)
{
    struct Case
    {
        std::array<uint8_t, 3> system;
        std::array<uint8_t, 3> dsp;
        int state;
    };
    for (const Case& c : { Case { { 3, 4, 0 }, { 6, 3, 0 }, 2 }, Case { { 3, 4, 1 }, { 6, 1, 9 }, 2 },
                           Case { { 4, 0, 0 }, { 6, 2, 0 }, 1 }, Case { { 3, 4, 1 }, { 6, 2, 0 }, 1 } })
    {
        EditorServiceRig rig;
        rig.connection.pedal.setVersion(c.system, c.dsp, 0);
        rig.connectAndWaitForReady();
        EXPECT_EQ(rig.service->getState(), c.state) << int(c.system[0]) << "." << int(c.system[1]) << "." << int(c.system[2]);
    }
}

TEST(EditorServiceWaitForReady, FailedVersionQueryCountsAsZeroVersion)
{
    for (bool withMinimum : { true, false })
    {
        EditorServiceRig rig(withMinimum);
        rig.connection.pedal.addFault({ 0xB5, SimulatedPedal::Fault::Nack });
        rig.connectAndWaitForReady();
        EXPECT_EQ(rig.service->getState(), withMinimum ? 2 : 1);
        EXPECT_EQ(rig.service->getDeviceVersion().systemVersionNumber(), 0u);
    }
}

TEST(EditorServiceWaitForReady, SilentPedalOrUnansweredSecondPingTimesOut)
{
    // The version is asked for only once a ping was answered.
    struct Case
    {
        SimulatedPedal::FaultRule fault;
        size_t versionRequests;
    };
    for (const Case& c : { Case { { 0xB4, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways }, 0 },
                           Case { { 0xB4, SimulatedPedal::Fault::Nack, 1, 1 }, 1 } })
    {
        EditorServiceRig rig;
        rig.connection.pedal.addFault(c.fault);
        rig.connectAndWaitForReady();
        EXPECT_EQ(rig.service->getState(), 13);
        EXPECT_EQ(rig.service->getLastError(), "Timed out waiting for device to become ready");
        EXPECT_GE(rig.connection.pedal.receivedPacketsOfType(0xB4).size(), 2u);
        EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(0xB5).size(), c.versionRequests);
    }
}

TEST(EditorServiceRefresh, CachesEqualThePedalAfterRefresh)
{
    EditorServiceRig rig;
    populatePedal(rig.connection.pedal);
    rig.connectAndRefresh();
    Service& service = *rig.service;

    for (int i : { 0, 7, 127 })
    {
        Service::PresetInfo info;
        ASSERT_TRUE(service.getPresetInfo(i, info).ok);
        EXPECT_EQ(info.state, 3);
        EXPECT_EQ(info.name, i == 7 ? "Lead" : "Preset " + std::to_string(i));
    }
    Service::UserCabinetInfo cabinet;
    ASSERT_TRUE(service.getUserCabinetInfo(31, cabinet).ok);
    EXPECT_EQ(cabinet.name, "Cab 31");

    EXPECT_EQ(service.getCurrentPresetIndex(), 7);
    Service::ParameterValue level;
    ASSERT_TRUE(service.getParameterValue(9, level).ok);
    EXPECT_DOUBLE_EQ(level.value, -6.0) << "the edit buffer was read";
    std::string cabinetName;
    ASSERT_TRUE(service.getCurrentCabinetName(cabinetName).ok);
    EXPECT_EQ(cabinetName, "EditCab");

    // Globals: preset numbering from 0 and the "Default Prst" list built from it.
    EXPECT_EQ(service.getPresetNumberText(127), "127");
    Service::ParameterInfo defaultPreset;
    ASSERT_TRUE(service.getParameterInfo(368, defaultPreset).ok);
    EXPECT_EQ(defaultPreset.values.at(1).name, "0");

    // Amp list: empty slots and ids that collide with reserved values are left out.
    Service::ParameterInfo model;
    ASSERT_TRUE(service.getParameterInfo(1, model).ok);
    ASSERT_EQ(model.values.size(), 3u);
    EXPECT_EQ(model.values[1].name, "Plexi");
    EXPECT_EQ(model.values[2].value.value, 9);

    Service::CabinetChoices choices;
    ASSERT_TRUE(service.getCabinetChoices(choices).ok);
    ASSERT_EQ(choices.ampModelCabinets.size(), 2u);
    ASSERT_EQ(choices.userCabinets.size(), 32u);
    EXPECT_EQ(choices.userCabinets[0].id, 10000);
    EXPECT_EQ(choices.userCabinets[0].text, "1 - Cab 0");
    ASSERT_EQ(choices.presetCabinets.size(), 128u);
    EXPECT_EQ(choices.presetCabinets[7].id, 20007);
    EXPECT_EQ(choices.presetCabinets[7].text, "007 - Lead");

    EXPECT_EQ(rig.listener.count("preset 5"), 2) << "every entry is reported while read and when read";
    EXPECT_EQ(rig.listener.statesSeen().back(), 1);
}

TEST(EditorServiceRefresh, FailingNameReadLeavesEntriesAsTheyWere)
{
    EditorServiceRig rig;
    populatePedal(rig.connection.pedal);
    rig.connectAndWaitForReady();

    // Read requests: 256 amp slots, globals, then the preset names from 0.
    rig.connection.pedal.addFault({ 0xC5, SimulatedPedal::Fault::Nack, 256 + 1 + 5, 1 });
    rig.runTask([&](auto done) { return rig.service->beginRefreshAll(done); });
    EXPECT_EQ(rig.service->getState(), 13);
    EXPECT_EQ(rig.service->getLastError(), "Could not refresh the device");
    Service::PresetInfo info;
    const int states[] = { 3, 2, 1 }; // read, the one that failed, not reached
    for (int i = 0; i < 3; ++i)
    {
        rig.service->getPresetInfo(4 + i, info);
        EXPECT_EQ(info.state, states[i]) << "preset " << 4 + i;
    }
    EXPECT_STREQ(rig.service->beginRefreshAll(nullptr).error, "Cannot start task while busy");

    rig.service->disconnect();
    rig.service->getPresetInfo(4, info);
    EXPECT_EQ(info.state, 0);
    EXPECT_EQ(info.name, "Preset 4") << "names survive a disconnect";
}

TEST(EditorServiceRefresh, FaultInAnySectionStopsTheRefreshThereWithoutHanging)
{
    // Read requests: 256 amp slots, globals, 128 preset names, 32 cabinet names, then the
    // current preset's data, name and cabinet name: 420 in all.
    struct Case
    {
        int failAt;
        SimulatedPedal::Fault fault;
    };
    using F = SimulatedPedal::Fault;
    for (const Case& c : { Case { 0, F::Drop }, Case { 255, F::Nack }, Case { 256, F::Malformed }, Case { 300, F::Nack },
                           Case { 384, F::Malformed }, Case { 416, F::Nack }, Case { 417, F::Nack }, Case { 418, F::Malformed },
                           Case { 419, F::Drop }, Case { 420, F::Nack } })
    {
        SCOPED_TRACE(c.failAt);
        EditorServiceRig rig;
        populatePedal(rig.connection.pedal);
        rig.connectAndWaitForReady();
        rig.connection.pedal.addFault({ 0xC5, c.fault, c.failAt, 1 });
        rig.runTask([&](auto done) { return rig.service->beginRefreshAll(done); });
        const size_t reads = rig.connection.pedal.receivedPacketsOfType(0xC5).size();
        if (c.failAt >= 420)
        {
            EXPECT_EQ(rig.service->getState(), 1) << "past the last read request";
            EXPECT_EQ(reads, 420u);
            continue;
        }
        EXPECT_EQ(rig.service->getState(), 13);
        EXPECT_EQ(rig.service->getLastError(), "Could not refresh the device");
        EXPECT_EQ(reads, static_cast<size_t>(c.failAt + 1)) << "nothing is read after the failure";
        EXPECT_EQ(rig.service->getCurrentPresetIndex(), -1) << "a refresh cut short selects nothing";
    }
}

TEST(EditorServiceTransport, UnplugDuringRefreshIsACommunicationError)
{
    EditorServiceRig rig;
    populatePedal(rig.connection.pedal);
    rig.connectAndWaitForReady();
    rig.connection.pedal.addFault({ 0xC5, SimulatedPedal::Fault::Unplug, 40, 1 });
    rig.runTask([&](auto done) { return rig.service->beginRefreshAll(done); });
    EXPECT_EQ(rig.service->getState(), 13);
    auto states = rig.listener.statesSeen();
    EXPECT_NE(std::find(states.begin(), states.end(), 13), states.end());
    EXPECT_EQ(rig.service->getLastError(), "Could not refresh the device") << "the task's own summary replaces the transport's";

    rig.service->disconnect();
    EXPECT_EQ(rig.service->getState(), 0);
}

TEST(EditorServiceTransport, PedalLostWhileIdleIsACommunicationError)
{
    EditorServiceRig rig;
    rig.connect();
    rig.connection.device.unplug();
    EXPECT_TRUE(rig.waitForError("A communication error occurred")) << rig.service->getLastError();
}

TEST(EditorServiceTransport, DisconnectDuringALongTaskEndsDisconnected)
{
    EditorServiceRig rig;
    populatePedal(rig.connection.pedal);
    rig.connectAndWaitForReady();
    CompletionLatch refreshed;
    ASSERT_TRUE(rig.service->beginRefreshAll(refreshed.callback()).ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    rig.service->disconnect();
    EXPECT_TRUE(refreshed.wait()) << "the completion still runs";
    EXPECT_EQ(rig.service->getState(), 0) << "a late task end never overwrites the disconnected state";
    EXPECT_FALSE(rig.service->isConnected());
}
