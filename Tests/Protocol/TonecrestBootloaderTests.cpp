#include "PICLoader/PICTestHelpers.h"
#include "ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"
#include "SimulatedPedalBus.h"
#include "SyntheticFirmware.h"
#include "TonecrestBootloader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
constexpr uint8_t kGetData = 0x07;
const SyntheticFirmware::Version kNewSystem { 3, 5, 0 };

struct BootloaderBench
{
    explicit BootloaderBench(SimulatedBootloader::Config config = SimulatedPedalBus::defaultChip())
        : simulator(device, std::move(config)), bootloader(std::make_unique<TonecrestBootloader>(&device))
    {
    }

    Result update(const std::vector<uint8_t>& image)
    {
        return bootloader->updateFirmware(image, [this](double value) { progress.push_back(value); });
    }

    PICLogCapture log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader simulator;
    std::unique_ptr<TonecrestBootloader> bootloader;
    std::vector<double> progress;
};
} // namespace

TEST(TonecrestBootloader, ProgramsVerifiesAndResetsIntoTheNewImage)
{
    BootloaderBench bench;
    ASSERT_TRUE(bench.update(SyntheticFirmware::makeSystemHex(kNewSystem)).ok);

    EXPECT_EQ(bench.progress, (std::vector<double> { 0.0, 0.0, 2.0 / 3.0, 1.0 }));
    EXPECT_EQ(bench.simulator.flash(0x1000), SyntheticFirmware::systemImageBytes(kNewSystem, 0x1000, 0x3000));
    EXPECT_EQ(SyntheticFirmware::versionInFlash(bench.simulator.flash(0x1000), 0x1000, 1), kNewSystem);
    EXPECT_EQ(bench.simulator.eraseCount(), 1);
    EXPECT_EQ(bench.simulator.resetCount(), 1);
    EXPECT_TRUE(bench.simulator.violations().empty());
    EXPECT_EQ(bench.simulator.flash(0x300000), std::vector<uint8_t>(14, 0x5A)) << "configuration is never written";
    EXPECT_TRUE(bench.device.isUnplugged()) << "the chip left the bus at its reset";
}

TEST(TonecrestBootloader, FamilyTwoChipTakesTheSameImageAndReadsItsVersionBack)
{
    SimulatedBootloader::Config chip;
    chip.family = 2;
    chip.bytesPerPacket = 56;
    chip.regions = { { 1, 0x800, 0x2000 }, { 3, 0xF80000, 0x0C } };
    BootloaderBench bench(chip);
    ASSERT_TRUE(bench.update(SyntheticFirmware::makeSystemHex(kNewSystem)).ok);
    EXPECT_EQ(SyntheticFirmware::versionInFlash(bench.simulator.flash(0x800), 0x800, 2), kNewSystem);
    EXPECT_TRUE(bench.simulator.violations().empty());
}

TEST(TonecrestBootloader, VerifyMismatchFailsAndLeavesThePedalInItsBootloader)
{
    BootloaderBench bench;
    bench.simulator.corruptReadBackAt(0x1005);
    Result result = bench.update(SyntheticFirmware::makeSystemHex(kNewSystem));
    EXPECT_EQ(errorText(result), "PIC update failed!");
    EXPECT_TRUE(bench.log.contains("Failed verify at address 0x1005"));
    EXPECT_EQ(bench.simulator.resetCount(), 0);
    EXPECT_FALSE(bench.device.isUnplugged());
}

TEST(TonecrestBootloader, UntrustedRepliesFailWithoutLoopingOrHugeBuffers)
{
    struct Case
    {
        const char* name;
        std::function<void(SimulatedBootloader&)> fault;
        SimulatedBootloader::Config chip;
        int erasesExpected;
        const char* logged;
    };
    const SimulatedBootloader::Config chip = SimulatedPedalBus::defaultChip();
    SimulatedBootloader::Config family3 = chip;
    family3.family = 3;
    family3.bytesPerPacket = 3;
    SimulatedBootloader::Config family1 = chip;
    family1.bytesPerPacket = 1;

    const Case cases[] = {
        { "get-data reply of 0 bytes", [](SimulatedBootloader& s) { s.setGetDataReplySize(0); },
          chip, 1, "Error reading device." },
        { "get-data reply larger than asked", [](SimulatedBootloader& s) { s.setGetDataReplySize(58); },
          chip, 1, "Error reading device." },
        { "get-data reply larger than a report holds", [](SimulatedBootloader& s) { s.setGetDataReplySize(255); },
          chip, 1, "Error reading device." },
        { "packet smaller than a 4-byte word", nullptr, family3, 0, "less than a word" },
        { "packet smaller than a 2-byte word", nullptr, family1, 0, "less than a word" },
        { "region start and size past 4 GiB",
          [](SimulatedBootloader& s) { s.setRawQueryReply(queryReply(56, 1, { { 1, 0xFFFFF000, 0x2000 } })); },
          chip, 0, "cannot be programmed" },
        { "region of 512 MiB",
          [](SimulatedBootloader& s) { s.setRawQueryReply(queryReply(56, 2, { { 1, 0x800, 0xFFFFFFFF } })); },
          chip, 0, "cannot be programmed" },
        { "three regions of 8 MiB",
          [](SimulatedBootloader& s) {
              s.setRawQueryReply(queryReply(56, 1, { { 1, 0x1000, 0x800000 }, { 2, 0x1000000, 0x800000 },
                                                     { 3, 0x2000000, 0x800000 } }));
          },
          chip, 0, "cannot be programmed" },
    };
    for (const Case& c : cases)
    {
        BootloaderBench bench(c.chip);
        if (c.fault)
            c.fault(bench.simulator);
        Result result = bench.update(SyntheticFirmware::makeSystemHex(kNewSystem));
        EXPECT_EQ(errorText(result), "PIC update failed!") << c.name;
        EXPECT_TRUE(bench.log.contains(c.logged)) << c.name;
        EXPECT_EQ(bench.simulator.eraseCount(), c.erasesExpected) << c.name;
        EXPECT_EQ(bench.simulator.resetCount(), 0) << c.name;
        // One verify request at most after the programming: no request is repeated.
        size_t requests = 0;
        for (uint8_t command : bench.simulator.commands())
            requests += command == kGetData ? 1 : 0;
        EXPECT_LE(requests, 1u) << c.name;
    }
}

TEST(TonecrestBootloader, DeletingItDuringAnUpdateDetachesTheDevice)
{
    BootloaderBench bench;
    bench.simulator.dropRepliesTo(kGetData);
    const auto image = SyntheticFirmware::makeSystemHex(kNewSystem);
    TonecrestBootloader* running = bench.bootloader.get();
    auto outcome = std::async(std::launch::async, [running, &image] { return running->updateFirmware(image, nullptr); });

    // Wait for the read-back request that will never be answered, then delete mid-read.
    for (int i = 0; i < 5000; ++i)
    {
        auto commands = bench.simulator.commands();
        if (!commands.empty() && commands.back() == kGetData)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bench.bootloader.reset();
    const size_t reportsAtDeletion = bench.device.writtenReports().size();

    EXPECT_EQ(errorText(outcome.get()), "PIC update failed!");
    EXPECT_EQ(bench.device.writtenReports().size(), reportsAtDeletion) << "nothing reached the device after deletion";
    EXPECT_EQ(bench.simulator.resetCount(), 0);
}
