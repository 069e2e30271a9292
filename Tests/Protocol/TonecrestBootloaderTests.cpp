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

// The programming sequence itself is pinned in Tests/PICLoader (and end to end by the firmware
// update tests); the wrapper's own duty is letting go of its device when deleted mid-update.
TEST(TonecrestBootloader, DeletingItDuringAnUpdateDetachesTheDevice)
{
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader simulator { device, SimulatedPedalBus::defaultChip() };
    auto bootloader = std::make_unique<TonecrestBootloader>(&device);
    simulator.dropRepliesTo(0x07);
    const auto image = SyntheticFirmware::makeSystemHex({ 3, 5, 0 });
    TonecrestBootloader* running = bootloader.get();
    auto outcome = std::async(std::launch::async, [running, &image] { return running->updateFirmware(image, nullptr); });

    // Wait for the read-back request that will never be answered, then delete mid-read.
    for (int i = 0; i < 5000; ++i)
    {
        auto commands = simulator.commands();
        if (!commands.empty() && commands.back() == 0x07)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bootloader.reset();
    const size_t reportsAtDeletion = device.writtenReports().size();

    EXPECT_EQ(errorText(outcome.get()), "PIC update failed!");
    EXPECT_EQ(device.writtenReports().size(), reportsAtDeletion) << "nothing reached the device after deletion";
    EXPECT_EQ(simulator.resetCount(), 0);
}
