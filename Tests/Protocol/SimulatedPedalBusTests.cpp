#include "EditorServiceTestRig.h"
#include "FakeHIDBackend.h"
#include "PICLoader/PICTestHelpers.h"
#include "SimulatedDeviceWiring.h"
#include "SimulatedPedalBus.h"
#include "SyntheticFirmware.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Mode = SimulatedPedalBus::Mode;
using Comeback = SimulatedPedalBus::Comeback;
using std::chrono::milliseconds;

namespace
{
constexpr milliseconds kWait { 5000 };
const SyntheticFirmware::Version kOldSystem { 3, 4, 0 };
const SyntheticFirmware::Version kNewSystem { 3, 5, 0 };
const SyntheticFirmware::Version kNewDSP { 6, 3, 0 };

SimulatedPedalBus::Options oldPedal()
{
    SimulatedPedalBus::Options options;
    options.system = kOldSystem;
    options.dsp = { 6, 1, 0 };
    options.subType = 2;
    return options;
}

TonecrestData::FirmwareVersionInfo versionOf(TonecrestProtocol* protocol)
{
    TonecrestData::FirmwareVersionInfo info;
    EXPECT_NE(protocol, nullptr);
    if (protocol != nullptr)
        EXPECT_TRUE(protocol->getFirmwareVersionInfo(info).ok);
    return info;
}

std::array<uint8_t, 4> withZero(const SyntheticFirmware::Version& version)
{
    return { version[0], version[1], version[2], 0 };
}

/** The bus and the application's wiring without an editor service: the test drives the
    protocol and bootloader objects the wiring makes. */
struct BusBench
{
    explicit BusBench(SimulatedPedalBus::Options options = oldPedal()) : bus(backend, std::move(options)) {}

    FakeHIDBackend backend;
    SimulatedPedalBus bus;
    SimulatedDeviceWiring wiring { backend, nullptr };
};

/** Normal pedal into its bootloader, the new image programmed; returns the update's result. */
Result programNewSystem(BusBench& bench, const std::vector<uint8_t>& image)
{
    bench.bus.powerCycleIntoBootloader();
    EXPECT_TRUE(bench.wiring.waitForConnection(true, kWait));
    TonecrestBootloader* bootloader = bench.wiring.bootloader();
    return bootloader != nullptr ? bootloader->updateFirmware(image, nullptr) : Result { false, "no bootloader" };
}
} // namespace

TEST(SimulatedPedalBus, WholeUpdateRoadReEnumeratesWithTheProgrammedVersions)
{
    BusBench bench;
    ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
    EXPECT_EQ(versionOf(bench.wiring.protocol()).system, withZero(kOldSystem));

    ASSERT_TRUE(programNewSystem(bench, SyntheticFirmware::makeSystemHex(kNewSystem)).ok);
    ASSERT_TRUE(bench.bus.waitForMode(Mode::Normal, kWait));
    ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
    auto afterSystem = versionOf(bench.wiring.protocol());
    EXPECT_EQ(afterSystem.system, withZero(kNewSystem)) << "the pedal reports the version of the image it runs";
    EXPECT_EQ(afterSystem.subType, 2);

    const auto qv6 = SyntheticFirmware::makeDSPImage("QV6", kNewDSP, 300);
    const auto second = SyntheticFirmware::makeDSPImage("DSP2", kNewDSP, 200);
    ASSERT_TRUE(bench.wiring.protocol()->updateDSPFirmware({ qv6, second }, nullptr).ok);
    ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait)) << "the pedal leaves the bus as its DSPs restart";
    ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
    auto afterDSP = versionOf(bench.wiring.protocol());
    EXPECT_EQ(afterDSP.system, withZero(kNewSystem));
    EXPECT_EQ(afterDSP.dsp, withZero(kNewDSP));

    SimulatedPedal& pedal = bench.bus.pedal();
    EXPECT_EQ(pedal.loadedDSPImage(0), qv6);
    EXPECT_EQ(pedal.loadedDSPImage(1), second);
    auto received = pedal.receivedDSPImages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].dsp, 0u);
    EXPECT_EQ(received[1].dsp, 1u);
    EXPECT_EQ(bench.bus.enumerations(Mode::Normal), 3);
    EXPECT_EQ(bench.bus.enumerations(Mode::Bootloader), 1);
    EXPECT_TRUE(bench.bus.bootloader().violations().empty());
}

TEST(SimulatedPedalBus, ComebackHooksScriptThePedalsFailures)
{
    {
        BusBench bench;
        bench.bus.setComebackAfterSystemUpdate(Comeback::Never);
        ASSERT_TRUE(programNewSystem(bench, SyntheticFirmware::makeSystemHex(kNewSystem)).ok);
        ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
        EXPECT_FALSE(bench.bus.waitForMode(Mode::Normal, milliseconds(200))) << "never comes back";
    }
    {
        BusBench bench;
        bench.bus.setComebackAfterSystemUpdate(Comeback::Bootloader);
        ASSERT_TRUE(programNewSystem(bench, SyntheticFirmware::makeSystemHex(kNewSystem)).ok);
        ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
        ASSERT_TRUE(bench.wiring.waitForConnection(true, kWait)) << "a bootloader where the pedal was expected";
        EXPECT_EQ(bench.bus.enumerations(Mode::Bootloader), 2);
    }
    {
        // An image without the version block does not boot: the bootloader stays.
        BusBench bench;
        const auto noVersion = hexImage({ hexRecord(0, 0x1000, { 0x11, 0x22 }), ":00000001FF" });
        ASSERT_TRUE(programNewSystem(bench, noVersion).ok);
        ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
        ASSERT_TRUE(bench.wiring.waitForConnection(true, kWait));
        EXPECT_EQ(bench.bus.systemVersion(), kOldSystem);
    }
    {
        BusBench bench;
        ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
        bench.bus.setComebackAfterDSPUpdate(Comeback::NormalNotReady);
        ASSERT_TRUE(bench.wiring.protocol()->updateDSPFirmware({ { 1, 2, 3 }, { 4, 5 } }, nullptr).ok);
        ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
        ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
        bool responded = true;
        EXPECT_TRUE(bench.wiring.protocol()->ping(responded).ok);
        EXPECT_FALSE(responded) << "back on the bus but never ready";
    }
    {
        BusBench bench;
        ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
        bench.bus.setComebackAfterDSPUpdate(Comeback::Never);
        ASSERT_TRUE(bench.wiring.protocol()->updateDSPFirmware({ { 1 }, { 2 } }, nullptr).ok);
        ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
        EXPECT_FALSE(bench.bus.waitForMode(Mode::Normal, milliseconds(200)));
    }
}

TEST(SimulatedPedalBus, UserListenerPowerCyclesOnStateTwelveUnlessTheUserIgnoresIt)
{
    BusBench bench;
    ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
    auto& user = bench.bus.userListener();

    bench.bus.setUserIgnoresRequest(true);
    user.onEditorServiceStateChanged(TonecrestEditorService::kStateReconnecting);
    EXPECT_FALSE(bench.bus.waitForMode(Mode::Bootloader, milliseconds(100)));
    user.onEditorServiceStateChanged(TonecrestEditorService::kStateError);

    bench.bus.setUserIgnoresRequest(false);
    user.onEditorServiceStateChanged(TonecrestEditorService::kStateReconnecting);
    user.onEditorServiceStateChanged(TonecrestEditorService::kStateReconnecting);
    EXPECT_TRUE(bench.wiring.waitForConnection(true, kWait));
    EXPECT_EQ(bench.bus.reconnectRequestsSeen(), 2);
    EXPECT_EQ(bench.bus.enumerations(Mode::Bootloader), 1) << "one power cycle per visit to state 12";
}

TEST(SimulatedPedalBus, WiringConnectsTheServiceInEachMode)
{
    FakeHIDBackend backend;
    SimulatedPedalBus bus(backend);
    TonecrestData::FirmwareVersionInfo minimum;
    minimum.system = { 3, 4, 1, 0 };
    minimum.dsp = { 6, 2, 0, 0 };
    TonecrestEditorService service(&minimum);
    RecordingServiceListener listener;
    service.addListener(&listener);
    {
        SimulatedDeviceWiring wiring(backend, &service);
        ASSERT_TRUE(wiring.waitForConnection(false, kWait));
        // Ready comes twice: after the wait for ready and after the refresh that follows it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline && !(service.isReady() && listener.count("state 4") > 0))
            std::this_thread::sleep_for(milliseconds(2));
        EXPECT_EQ(service.getState(), TonecrestEditorService::kStateReady) << service.getLastError();

        bus.powerCycleIntoBootloader();
        ASSERT_TRUE(wiring.waitForConnection(true, kWait));
        for (int i = 0; i < 5000 && service.getState() != TonecrestEditorService::kStateBootloader; ++i)
            std::this_thread::sleep_for(milliseconds(1));
        EXPECT_EQ(service.getState(), TonecrestEditorService::kStateBootloader);
        EXPECT_EQ(wiring.connectionsDeleted(), 1);
    }
    EXPECT_EQ(service.getState(), TonecrestEditorService::kStateNotConnected);
    service.removeListener(&listener);
}

TEST(SimulatedPedalBus, WireTraceNamesEachDeviceItsPart)
{
    const std::string path = ::testing::TempDir() + "bus-trace.txt";
    std::remove(path.c_str());
    ::setenv("TONECREST_WIRE_TRACE", path.c_str(), 1);
    {
        BusBench bench;
        ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
        ASSERT_TRUE(programNewSystem(bench, SyntheticFirmware::makeSystemHex(kNewSystem)).ok);
        ASSERT_TRUE(bench.wiring.waitForConnection(false, kWait));
        bool responded = false;
        EXPECT_TRUE(bench.wiring.protocol()->ping(responded).ok);
    }
    ::unsetenv("TONECREST_WIRE_TRACE");

    std::ifstream trace(path);
    std::vector<std::string> comments;
    std::string lastHostLine;
    for (std::string line; std::getline(trace, line);)
    {
        if (line[0] == '#')
            comments.push_back(line);
        else if (line.rfind("H>D", 0) == 0)
            lastHostLine = line;
    }
    EXPECT_EQ(comments, (std::vector<std::string> { "# device: bootloader", "# device: pedal" }));
    EXPECT_EQ(lastHostLine, "H>D 00b400") << "the ping went to the pedal's new device";
}
