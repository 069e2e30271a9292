#include "AppTestRig.h"

#include "SimulatedPedalBus.h"

#include <chrono>

namespace AppTesting
{
namespace
{
using Tonecrest::TonecrestEditorService;
using Tonecrest::Testing::SimulatedPedalBus;
using Mode = SimulatedPedalBus::Mode;

constexpr auto busWait = std::chrono::milliseconds(5000);

class DeviceWiringTest : public AppTest
{
protected:
    bool waitForState(int state) { return pumpUntil([&] { return serviceState() == state; }); }
};

TEST_F(DeviceWiringTest, PluggedPedalIsConnectedWaitedForAndRefreshedThenUnpluggedToDisconnected)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    startApplication();
    EXPECT_EQ(serviceState(), TonecrestEditorService::kStateNotConnected);

    ASSERT_TRUE(plugInReady(pedal));
    EXPECT_TRUE(containsInOrder(recorder.states(), { TonecrestEditorService::kStateWaitingForReady,
                                                     TonecrestEditorService::kStateRefreshing,
                                                     TonecrestEditorService::kStateReady }));
    EXPECT_EQ(recorder.states().back(), TonecrestEditorService::kStateReady);
    ASSERT_NE(app->getConnectedDevice(), nullptr);
    EXPECT_EQ(app->getConnectedDevice()->getProductID(), SimulatedPedalBus::kNormalProductID);
    EXPECT_FALSE(app->isConnectedToBootloader());

    const auto device = pedal.currentDevice();
    pedal.unplug();
    ASSERT_TRUE(waitForState(TonecrestEditorService::kStateNotConnected));
    EXPECT_TRUE(pumpUntil([&] { return app->getConnectedDevice() == nullptr && device->isClosed(); }));
    EXPECT_EQ(backend.openHandleCount(), 0);
    EXPECT_TRUE(plugInReady(pedal)) << "plugged back in, it is connected again";
}

TEST_F(DeviceWiringTest, SecondPedalIsLeftOpenAndIdleWhileTheFirstIsHeld)
{
    auto& first = addPedal("/dev/hidraw-pedal-a");
    auto& second = addPedal("/dev/hidraw-pedal-b");
    startApplication();

    ASSERT_TRUE(plugInReady(first));
    auto* held = app->getConnectedDevice();

    second.plugIn(Mode::Normal);
    ASSERT_TRUE(second.waitForMode(Mode::Normal, busWait));
    ASSERT_TRUE(pumpUntil([&] { return app->getNumWaitingDevices() == 1; }));
    pump(100); // a few more polls change nothing
    const auto secondDevice = second.currentDevice();
    EXPECT_EQ(app->getConnectedDevice(), held);
    EXPECT_EQ(backend.openHandleCount(secondDevice.get()), 1) << "the idle pedal is opened but not closed";
    EXPECT_TRUE(secondDevice->writtenReports().empty()) << "nothing is sent to the idle pedal";

    second.unplug();
    ASSERT_TRUE(pumpUntil([&] { return secondDevice->isClosed(); }));
    EXPECT_EQ(app->getNumWaitingDevices(), 0u);
    EXPECT_EQ(app->getConnectedDevice(), held);
    EXPECT_EQ(serviceState(), TonecrestEditorService::kStateReady);

    // Back in while the first is held, it stays idle also once the first has gone.
    second.plugIn(Mode::Normal);
    ASSERT_TRUE(second.waitForMode(Mode::Normal, busWait));
    ASSERT_TRUE(pumpUntil([&] { return app->getNumWaitingDevices() == 1; }));
    first.unplug();
    ASSERT_TRUE(waitForState(TonecrestEditorService::kStateNotConnected));
    pump(100);
    EXPECT_EQ(app->getConnectedDevice(), nullptr);
    EXPECT_EQ(app->getNumWaitingDevices(), 1u);
    EXPECT_EQ(serviceState(), TonecrestEditorService::kStateNotConnected);
    EXPECT_TRUE(second.pedal().receivedPackets().empty()) << "nothing is sent to the idle pedal";
}

TEST_F(DeviceWiringTest, PedalReplacedBetweenTwoPollsIsPickedUp)
{
    auto& first = addPedal("/dev/hidraw-pedal-a");
    auto& second = addPedal("/dev/hidraw-pedal-b");
    startApplication();
    ASSERT_TRUE(plugInReady(first));
    const auto firstDevice = first.currentDevice();

    // No message is dispatched in between: the next poll sees the new pedal's arrival, which
    // the device manager announces first, and the old one's removal together.
    first.unplug();
    second.plugIn(Mode::Normal);
    ASSERT_TRUE(second.waitForMode(Mode::Normal, busWait));
    recorder.clear();

    ASSERT_TRUE(pumpUntil([&] { return firstDevice->isClosed(); }));
    ASSERT_TRUE(waitForState(TonecrestEditorService::kStateReady));
    EXPECT_TRUE(containsInOrder(recorder.states(), { TonecrestEditorService::kStateNotConnected,
                                                     TonecrestEditorService::kStateWaitingForReady,
                                                     TonecrestEditorService::kStateReady }));
    EXPECT_NE(app->getConnectedDevice(), nullptr);
    EXPECT_EQ(app->getNumWaitingDevices(), 0u);
    EXPECT_EQ(backend.openHandleCount(second.currentDevice().get()), 1);
}

TEST_F(DeviceWiringTest, PedalInBootloaderModeIsConnectedAsBootloader)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    startApplication();

    pedal.plugIn(Mode::Bootloader);
    ASSERT_TRUE(waitForState(TonecrestEditorService::kStateBootloader));
    EXPECT_TRUE(app->isConnectedToBootloader());
    EXPECT_TRUE(service().isConnected());
    EXPECT_FALSE(service().isReady());
    EXPECT_FALSE(containsInOrder(recorder.states(), { TonecrestEditorService::kStateWaitingForReady }))
        << "a bootloader is not waited for";

    pedal.unplug();
    ASSERT_TRUE(waitForState(TonecrestEditorService::kStateNotConnected));
    EXPECT_FALSE(app->isConnectedToBootloader());
}

TEST_F(DeviceWiringTest, QuitWithPedalConnectedShutsDownInOrder)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    startApplication();
    ASSERT_TRUE(plugInReady(pedal));
    const auto device = pedal.currentDevice();

    app->systemRequestedQuit();
    EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent()) << "the main loop was asked to end";

    stopApplication(); // what JUCE's main runs once the loop has ended

    const char* steps[] = {
        "TonecrestApplication: shutdown: disconnecting the editor service",
        "TonecrestEditorService: begin disconnect",
        "TonecrestEditorService: task queue destroyed",
        "TonecrestEditorService: end disconnect",
        "TonecrestApplication: shutdown: main window deleted",
        "TonecrestApplication: shutdown: editor service deleted",
        "TonecrestApplication: shutdown: device connection deleted",
        "TonecrestApplication: shutdown: USB device manager deleted",
        "TonecrestApplication: shutdown: settings saved",
        "TonecrestApplication: shutdown: HID library shut down",
    };
    int line = 0;
    for (const char* step : steps)
    {
        const int found = findLogLine(step, line);
        EXPECT_GT(found, -1) << "missing or out of order: " << step;
        if (found >= 0)
            line = found + 1;
    }

    EXPECT_TRUE(device->isClosed());
    EXPECT_EQ(backend.openHandleCount(), 0);
    juce::PropertiesFile::Options options;
    juce::PropertiesFile saved(settingsFile(), options);
    EXPECT_TRUE(saved.containsKey("windowX") && saved.containsKey("windowY")) << "saved before the HID library went";
}

} // namespace
} // namespace AppTesting
