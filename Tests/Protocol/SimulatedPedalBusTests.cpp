#include "FakeHIDBackend.h"
#include "PICLoader/PICTestHelpers.h"
#include "SimulatedDeviceWiring.h"
#include "SimulatedPedalBus.h"
#include "SyntheticFirmware.h"
#include "TonecrestEditorService.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Mode = SimulatedPedalBus::Mode;
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
    {
        EXPECT_TRUE(protocol->getFirmwareVersionInfo(info).ok);
    }
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

// The other ways back from an update are scripted by the comeback hooks, each pinned by the
// text the firmware update ends with.
TEST(SimulatedPedalBus, ImageWithoutItsVersionBlockDoesNotBootAndTheBootloaderStays)
{
    BusBench bench;
    const auto noVersion = hexImage({ hexRecord(0, 0x1000, { 0x11, 0x22 }), ":00000001FF" });
    ASSERT_TRUE(programNewSystem(bench, noVersion).ok);
    ASSERT_TRUE(bench.wiring.waitForNoConnection(kWait));
    ASSERT_TRUE(bench.wiring.waitForConnection(true, kWait));
    EXPECT_EQ(bench.bus.systemVersion(), kOldSystem);
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

TEST(SimulatedPedalBus, WireTraceNamesEachDeviceItsPart)
{
    // A file per process: test processes side by side must not share it.
    const std::string path = ::testing::TempDir() + "bus-trace-" + std::to_string(::getpid()) + ".txt";
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
    std::remove(path.c_str());
    EXPECT_EQ(comments, (std::vector<std::string> { "# device: bootloader", "# device: pedal" }));
    EXPECT_EQ(lastHostLine, "H>D 00b400") << "the ping went to the pedal's new device";
}
