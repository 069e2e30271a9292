#include "ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedPedalBus.h"
#include "SyntheticFirmware.h"
#include "TonecrestBootloader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

// The programming sequence itself is pinned in Tests/PICLoader; these are the wrapper's own
// duties: driving the device it was made with, and letting go of it when deleted mid-update.
namespace
{
const SyntheticFirmware::Version kNewSystem { 3, 5, 0 };

struct BootloaderBench
{
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader simulator { device, SimulatedPedalBus::defaultChip() };
    std::unique_ptr<TonecrestBootloader> bootloader = std::make_unique<TonecrestBootloader>(&device);
};
} // namespace

TEST(TonecrestBootloader, UpdatesTheDeviceItWasMadeWith)
{
    BootloaderBench bench;
    std::vector<double> progress;
    ASSERT_TRUE(bench.bootloader->updateFirmware(SyntheticFirmware::makeSystemHex(kNewSystem),
                                                 [&](double value) { progress.push_back(value); })
                    .ok);
    EXPECT_EQ(bench.bootloader->getDevice(), &bench.device);
    EXPECT_EQ(progress, (std::vector<double> { 0.0, 0.0, 2.0 / 3.0, 1.0 }));
    EXPECT_EQ(SyntheticFirmware::versionInFlash(bench.simulator.flash(0x1000), 0x1000, 1), kNewSystem);
    EXPECT_TRUE(bench.device.isUnplugged()) << "the chip left the bus at its reset";
}

TEST(TonecrestBootloader, DeletingItDuringAnUpdateDetachesTheDevice)
{
    BootloaderBench bench;
    bench.simulator.dropRepliesTo(0x07);
    const auto image = SyntheticFirmware::makeSystemHex(kNewSystem);
    TonecrestBootloader* running = bench.bootloader.get();
    auto outcome = std::async(std::launch::async, [running, &image] { return running->updateFirmware(image, nullptr); });

    // Wait for the read-back request that will never be answered, then delete mid-read.
    for (int i = 0; i < 5000; ++i)
    {
        auto commands = bench.simulator.commands();
        if (!commands.empty() && commands.back() == 0x07)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bench.bootloader.reset();
    const size_t reportsAtDeletion = bench.device.writtenReports().size();

    EXPECT_EQ(errorText(outcome.get()), "PIC update failed!");
    EXPECT_EQ(bench.device.writtenReports().size(), reportsAtDeletion) << "nothing reached the device after deletion";
    EXPECT_EQ(bench.simulator.resetCount(), 0);
}
