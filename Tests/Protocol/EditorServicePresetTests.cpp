#include "EditorServiceTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Service = TonecrestEditorService;

namespace
{
constexpr uint8_t kReadRequest = 0xC5;
constexpr uint8_t kTransferStart = 0xC2;
constexpr uint8_t kTransferEnd = 0xC4;
constexpr uint8_t kProgramChange = 0xC9;

// Each preset carries its slot number in key 2, so its travels can be followed.
struct PresetRig : EditorServiceRig
{
    PresetRig()
    {
        stock();
        for (unsigned i = 0; i < 32; ++i)
            connection.pedal.setCabinetName(9, i, "U" + std::to_string(i));
        connection.pedal.setCurrentPreset(3);
        connectAndRefresh();
    }

    void stock()
    {
        for (unsigned i = 0; i < 128; ++i)
        {
            connection.pedal.setPresetName(i, "P" + std::to_string(i));
            connection.pedal.setPresetParams(i, { { 2, static_cast<float>(i) }, { 11, -1.0f } });
            connection.pedal.setCabinetName(12, i, "PC" + std::to_string(i));
        }
    }

    /** The pedal as it was made (power-cycled, so nothing staged) and the service connected
        to it again, without the slow refresh. */
    void restock()
    {
        connection.pedal.clearFaults();
        connection.pedal.restart();
        stock();
        connection.protocol->clearError();
        connect();
    }

    TonecrestData::Preset readBack(unsigned slot)
    {
        std::promise<TonecrestData::Preset> read;
        EXPECT_TRUE(service->getPreset(static_cast<int>(slot), [&](const TonecrestData::Preset& p) { read.set_value(p); }).ok);
        auto future = read.get_future();
        if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
        {
            ADD_FAILURE() << "no preset from slot " << slot << ", state " << service->getState();
            return {};
        }
        return future.get();
    }

    /** The slot number that the preset now stored in `slot` came from. */
    int originOf(unsigned slot)
    {
        const auto params = connection.pedal.presetParams(slot);
        return params.count(2) != 0 ? static_cast<int>(params.at(2)) : -1;
    }

    /** Name, origin and cabinet name of each of the first `count` slots: "P0 0 PC0" for a
        preset that is whole. */
    std::vector<std::string> contents(unsigned count, SimulatedPedal::Copy copy = SimulatedPedal::Copy::Stored)
    {
        std::vector<std::string> texts;
        for (unsigned slot = 0; slot < count; ++slot)
        {
            const auto preset = connection.pedal.preset(slot, copy);
            const auto origin = preset.params.find(2);
            texts.push_back(preset.name + " " + (origin != preset.params.end() ? std::to_string(static_cast<int>(origin->second)) : "-")
                            + " " + preset.cabinet->name);
        }
        return texts;
    }
};

std::vector<int> identity()
{
    std::vector<int> order(128);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

/** The slot order with the first `count` slots rotated left by `by`. */
std::vector<int> rotatedFirst(int count, int by)
{
    auto order = identity();
    std::rotate(order.begin(), order.begin() + by, order.begin() + count);
    return order;
}
} // namespace

TEST(EditorServicePresets, ReorderStepCounts)
{
    EXPECT_EQ(Service::countPresetReorderSteps({ 0, 1, 2 }, { 0, 1, 2 }), 0);
    EXPECT_EQ(Service::countPresetReorderSteps({ 0, 1, 2 }, { 1, 0, 2 }), 4);
    EXPECT_EQ(Service::countPresetReorderSteps({ 0, 1, 2 }, { 1, 2, 0 }), 6);
    EXPECT_EQ(Service::countPresetReorderSteps({ 0, 1, 2, 3 }, { 1, 0, 3, 2 }), 8);
    EXPECT_EQ(Service::countPresetReorderSteps({ 0, 1 }, { 5, 5 }), 2) << "bounded on input that is no permutation";
}

TEST(EditorServicePresets, WriteAndReadAPresetRoundTrip)
{
    PresetRig rig;
    TonecrestData::Preset preset;
    preset.name = "Crunch~Lead";
    preset.params = { { 2, 0.75f }, { 8, 3.0f }, { 11, 10002.0f } };
    preset.cabinet = std::make_unique<TonecrestData::Cabinet>();
    preset.cabinet->name = "MyCab";
    preset.cabinet->samples[5] = -0.25f;

    rig.runTask([&](auto done) { return rig.service->setPreset(40, preset, done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    Service::PresetInfo info;
    rig.service->getPresetInfo(40, info);
    EXPECT_EQ(info.name, "Crunch?Lead") << "names are sanitised on the way to the pedal";
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(kProgramChange).empty()) << "not the current slot";

    TonecrestData::Preset back = rig.readBack(40);
    EXPECT_EQ(back.name, "Crunch?Lead");
    EXPECT_FLOAT_EQ(back.params.at(2), 0.75f);
    EXPECT_FLOAT_EQ(back.params.at(11), -4.0f) << "a cabinet held by the preset itself";
    ASSERT_NE(back.cabinet, nullptr);
    EXPECT_EQ(back.cabinet->name, "MyCab");
    EXPECT_EQ(back.cabinet->samples[5], -0.25f);

    rig.runTask([&](auto done) { return rig.service->setPresetName(40, "Renamed", done); });
    EXPECT_EQ(rig.connection.pedal.presetName(40), "Renamed");
}

TEST(EditorServicePresets, WritingTheCurrentSlotReselectsIt)
{
    PresetRig rig;
    rig.runTask([&](auto done) { return rig.service->setParameterValue(3, { 1, 1.0 }, done); });
    ASSERT_TRUE(rig.service->isCurrentPresetModified());

    TonecrestData::Preset preset;
    preset.name = "Fresh";
    rig.runTask([&](auto done) { return rig.service->setPreset(3, preset, done); });
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(kProgramChange).size(), 1u);
    EXPECT_FALSE(rig.service->isCurrentPresetModified());
    EXPECT_STREQ(rig.service->setPreset(128, preset, nullptr).error, "Invalid preset index: %d");
}

TEST(EditorServicePresets, UserCabinetRoundTripAndRename)
{
    PresetRig rig;
    TonecrestData::Cabinet cabinet;
    cabinet.name = "A very long cabinet name";
    cabinet.samples[1024] = 0.5f;
    rig.runTask([&](auto done) { return rig.service->setUserCabinet(6, cabinet, done); });

    std::promise<TonecrestData::Cabinet> read;
    ASSERT_TRUE(rig.service->getUserCabinet(6, [&](const TonecrestData::Cabinet& c) { read.set_value(c); }).ok);
    TonecrestData::Cabinet back = read.get_future().get();
    EXPECT_EQ(back.name, "A very long cab");
    EXPECT_EQ(back.samples[1024], 0.5f);

    rig.runTask([&](auto done) { return rig.service->setUserCabinetName(6, "Room", done); });
    Service::UserCabinetInfo info;
    rig.service->getUserCabinetInfo(6, info);
    EXPECT_EQ(info.name, "Room");
    Service::ParameterInfo cabinetParam;
    rig.service->getParameterInfo(13, cabinetParam);
    EXPECT_EQ(cabinetParam.values.back().name, "U31");
    EXPECT_EQ(cabinetParam.values[cabinetParam.values.size() - 26].name, "Room");
    EXPECT_STREQ(rig.service->getUserCabinet(32, nullptr).error, "Invalid cabinet index: %d");
}

TEST(EditorServicePresets, RenameOrSaveBeforeTheRefreshIsRefusedWithoutAnError)
{
    // Nothing read yet: no valid entry to rename and no current preset to save.
    EditorServiceRig rig;
    rig.connect();
    rig.runTask([&](auto done) { return rig.service->setPresetName(4, "X", done); });
    rig.runTask([&](auto done) { return rig.service->saveCurrentPreset(done); });
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_EQ(rig.service->getLastError(), "");
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(kTransferStart).empty());
}

TEST(EditorServicePresets, SavingTheEditBuffer)
{
    PresetRig rig;
    // Into its own slot without a cabinet change: name and data only.
    rig.connection.pedal.clearReceivedPackets();
    rig.runTask([&](auto done) { return rig.service->saveCurrentPreset(done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(kTransferStart).size(), 2u);

    // Into another slot with a new name: the edit buffer's cabinet goes along.
    rig.connection.pedal.setCabinetName(14, 0, "EditBufCab");
    rig.runTask([&](auto done) { return rig.service->saveCurrentPresetToLocation(90, std::string("Copy"), done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 90);
    EXPECT_EQ(rig.originOf(90), 3);
    TonecrestData::Preset back = rig.readBack(90);
    EXPECT_EQ(back.name, "Copy");
    EXPECT_EQ(back.cabinet->name, "EditBufCab");
}

TEST(EditorServicePresets, WriteFaultAtEveryTransferEndsInErrorAndCommitsNothingLater)
{
    // A preset with a cabinet is four block writes: name, data, cabinet data, cabinet name.
    for (int failAt = 0; failAt < 4; ++failAt)
    {
        PresetRig rig;
        TonecrestData::Preset preset;
        preset.name = "New";
        preset.params = { { 2, 99.0f } };
        preset.cabinet = std::make_unique<TonecrestData::Cabinet>();
        rig.connection.pedal.addFault({ kTransferStart, SimulatedPedal::Fault::Nack, failAt, 1 });
        rig.runTask([&](auto done) { return rig.service->setPreset(20, preset, done); });
        EXPECT_EQ(rig.service->getState(), 13);
        const char* texts[] = { "Could not set preset name", "Could not set preset data", "Could not set preset cabinet data",
                                "Could not set preset cabinet name" };
        EXPECT_EQ(rig.service->getLastError(), texts[failAt]);
        Service::PresetInfo info;
        rig.service->getPresetInfo(20, info);
        EXPECT_EQ(info.name, "P20") << "the cached name changes only on success";
        if (failAt <= 1)
        {
            EXPECT_EQ(rig.originOf(20), 20) << "the stored data was not replaced";
        }
    }
}

TEST(EditorServiceSelection, RapidRequestsEndOnTheLastOne)
{
    PresetRig rig;
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(rig.service->requestChangePreset(i).ok);
    rig.drain();
    EXPECT_EQ(rig.connection.pedal.currentPreset(), 10u);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 10);
    EXPECT_LE(rig.connection.pedal.receivedPacketsOfType(kProgramChange).size(), 10u);
    EXPECT_STREQ(rig.service->requestChangePreset(128).error, "Invalid preset index: %d");
}

TEST(EditorServiceSelection, FailedProgramChangeLetsTheNextRequestQueue)
{
    PresetRig rig;
    rig.connection.pedal.addFault({ kProgramChange, SimulatedPedal::Fault::Nack });
    ASSERT_TRUE(rig.service->requestChangePreset(5).ok);
    rig.drain();
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 3);
    // The NACK left the protocol in its error state, as a re-attached pedal would not be.
    rig.connection.protocol->clearError();
    ASSERT_TRUE(rig.service->requestChangePreset(6).ok);
    rig.drain();
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 6);
}

TEST(EditorServiceSelection, PedalThatStaysOnAnotherPresetIsAskedThreeTimes)
{
    PresetRig rig;
    rig.connection.pedal.addFault({ kProgramChange, SimulatedPedal::Fault::Ignore, 0, SimulatedPedal::kAlways });
    ASSERT_TRUE(rig.service->requestChangePreset(5).ok);
    rig.drain();
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(kProgramChange).size(), 3u);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 3);
}

TEST(EditorServiceSelection, RefreshingTheCurrentPresetReadsTheEditBufferOfASlotThePedalNames)
{
    PresetRig rig;
    rig.runTask([&](auto done) { return rig.service->setParameterValue(3, { 1, 1.0 }, done); });
    rig.connection.pedal.setPresetParams(SimulatedPedal::kEditBuffer, { { 8, 7.0f } });
    rig.connection.pedal.setCurrentPreset(8);
    rig.listener.clear();
    ASSERT_TRUE(rig.service->requestRefreshCurrentPreset().ok);
    rig.drain();
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 8);
    Service::ParameterValue level;
    ASSERT_TRUE(rig.service->getParameterValue(9, level).ok);
    EXPECT_DOUBLE_EQ(level.value, 7.0) << "the edit buffer, not the stored preset";
    EXPECT_FALSE(rig.service->isCurrentPresetModified());
    const auto events = rig.listener.eventsSeen();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()), (std::vector<std::string> { "current 8", "params" }));

    // A current preset number beyond the slots reads nothing and changes nothing.
    rig.connection.pedal.setCurrentPreset(200);
    rig.connection.pedal.clearReceivedPackets();
    ASSERT_TRUE(rig.service->requestRefreshCurrentPreset().ok);
    rig.drain();
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 8);
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(kReadRequest).empty());
}

TEST(EditorServicePresetOrder, RejectsBadOrdersBeforeTouchingThePedal)
{
    PresetRig rig;
    auto wanted = identity();
    wanted[5] = 6;
    EXPECT_FALSE(rig.service->updatePresets(nullptr, identity(), wanted, nullptr).ok) << "a slot given twice";
    EXPECT_FALSE(rig.service->updatePresets(nullptr, identity(), { 1, 0 }, nullptr).ok);
    auto current = identity();
    std::swap(current[0], current[1]);
    EXPECT_FALSE(rig.service->updatePresets(nullptr, current, identity(), nullptr).ok);
    EXPECT_EQ(rig.service->getState(), 1);
}

TEST(EditorServicePresetOrder, UnchangedOrderOnlyFlushes)
{
    PresetRig rig;
    rig.connection.pedal.clearReceivedPackets();
    std::vector<double> progress;
    rig.runTask([&](auto done) { return rig.service->updatePresets([&](double p) { progress.push_back(p); }, identity(), identity(), done); });
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(kReadRequest).empty());
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(kTransferStart).empty());
    EXPECT_EQ(progress, (std::vector<double> { 1.0 }));
}

TEST(EditorServicePresetOrder, RotationStoresEveryPresetWithItsNameAndCabinet)
{
    PresetRig rig;
    const auto wanted = rotatedFirst(3, 1);
    std::vector<double> progress;
    rig.runTask([&](auto done) { return rig.service->updatePresets([&](double p) { progress.push_back(p); }, identity(), wanted, done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.contents(4), (std::vector<std::string> { "P1 1 PC1", "P2 2 PC2", "P0 0 PC0", "P3 3 PC3" }));
    Service::PresetInfo info;
    rig.service->getPresetInfo(2, info);
    EXPECT_EQ(info.name, "P0");

    ASSERT_EQ(progress.size(), 7u) << "one report before device work, one per read and write";
    EXPECT_EQ(progress.front(), 0.0);
    EXPECT_EQ(progress.back(), 1.0);
    for (double p : progress)
        EXPECT_TRUE(p >= 0.0 && p <= 1.0);
}

TEST(EditorServicePresetOrder, RewritingTheCurrentSlotRereadsTheCurrentPreset)
{
    PresetRig rig; // preset 3 is current, with the matched cabinet
    rig.connection.pedal.setPresetParams(10, { { 2, 10.0f }, { 11, -4.0f } }); // a cabinet of its own
    auto wanted = identity();
    std::swap(wanted[3], wanted[10]);
    rig.connection.pedal.clearReceivedPackets();
    rig.listener.clear();
    rig.runTask([&](auto done) { return rig.service->updatePresets(nullptr, identity(), wanted, done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();

    // The pedal plays what its slot 3 now holds, and the page is told to show it.
    EXPECT_EQ(rig.connection.pedal.receivedPacketsOfType(kProgramChange), (std::vector<std::vector<uint8_t>> { { kProgramChange, 1, 3 } }));
    EXPECT_FLOAT_EQ(rig.connection.pedal.presetParams(SimulatedPedal::kEditBuffer).at(2), 10.0f);
    EXPECT_GE(rig.listener.count("current 3"), 1);
    EXPECT_GE(rig.listener.count("params"), 1);
    Service::ParameterValue gain;
    ASSERT_TRUE(rig.service->getParameterValue(3, gain).ok);
    EXPECT_EQ(gain.value, 100.0) << "preset 10's values (Gain shows its 0..1 as 0..10)";
    std::string cabinet;
    ASSERT_TRUE(rig.service->getCurrentCabinetName(cabinet).ok);
    EXPECT_EQ(cabinet, "PC10");

    // One knob turned and saved: both presets stay stored, each in its new slot.
    rig.runTask([&](auto done) { return rig.service->setParameterValue(4, { 1, 8.0 }, done); });
    rig.runTask([&](auto done) { return rig.service->saveCurrentPreset(done); });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.contents(11)[3], "P10 10 PC10");
    EXPECT_EQ(rig.contents(11)[10], "P3 3 PC3");
    EXPECT_FLOAT_EQ(rig.connection.pedal.presetParams(3).at(3), 0.8f);

    // Swapped back, with the re-read refused (its read follows the swap's eight): the pedal
    // keeps the new order, and the service reports the failure instead of staying busy.
    rig.connection.pedal.addFault({ kReadRequest, SimulatedPedal::Fault::Nack, 8, 1 });
    ASSERT_TRUE(rig.service->updatePresets(nullptr, identity(), wanted, nullptr).ok);
    EXPECT_TRUE(rig.waitForError("Could not refresh current preset"));
    EXPECT_EQ(rig.contents(11)[3], "P3 3 PC3");
}

TEST(EditorServicePresetOrder, FaultAtAnyTransferLeavesEveryPresetStored)
{
    // Slots 0 and 1 swap, then 2, 3 and 4 rotate. The walk's preset transfers in order: read 0,
    // read 1, write 1, write 0; read 2, read 4, write 4, read 3, write 3, write 2. Each is four
    // block transfers (name, data, cabinet data, cabinet name). `inMemory`: a failure there
    // leaves a preset held in memory only, or a slot half written, so the walk writes it back
    // and commits that.
    struct Transfer
    {
        bool write;
        bool inMemory;
    };
    const Transfer walk[] = { { false, false }, { false, false }, { true, true }, { true, true }, { false, false },
                              { false, false }, { true, true },   { false, true }, { true, true }, { true, true } };
    enum Kind
    {
        StartRefused,          // the transfer's first packet refused (a refused write start leaves the connection usable)
        EndRefused,            // the pedal refuses a written block: the connection is in error
        StartRefusedAndNext    // and the next write start: the first write-back is refused too
    };
    auto wanted = identity();
    std::rotate(wanted.begin(), wanted.begin() + 1, wanted.begin() + 2);
    std::rotate(wanted.begin() + 2, wanted.begin() + 3, wanted.begin() + 5);
    const std::multiset<std::string> everyPreset { "P0 0 PC0", "P1 1 PC1", "P2 2 PC2", "P3 3 PC3", "P4 4 PC4" };

    PresetRig rig;
    int reads = 0;
    int writes = 0;
    for (const Transfer& transfer : walk)
    {
        const uint8_t packet = transfer.write ? kTransferStart : kReadRequest;
        const int before = 4 * (transfer.write ? writes : reads);
        for (int block : { 0, 1 })
            for (Kind kind : { StartRefused, EndRefused, StartRefusedAndNext })
            {
                if (!transfer.write && (block != 0 || kind == EndRefused))
                    continue; // a read fails alike at any block, and its end comes from the pedal
                const std::string where = std::string(transfer.write ? "write " : "read ") + std::to_string(transfer.write ? writes : reads)
                                        + ", block " + std::to_string(block) + ", kind " + std::to_string(kind);
                rig.restock();
                rig.connection.pedal.addFault({ kind == EndRefused ? kTransferEnd : packet, SimulatedPedal::Fault::Nack, before + block, 1 });
                if (kind == StartRefusedAndNext)
                    rig.connection.pedal.addFault({ kTransferStart, SimulatedPedal::Fault::Nack, transfer.write ? 0 : 4 * writes, 1 });

                ASSERT_TRUE(rig.service->updatePresets(nullptr, identity(), wanted, nullptr).ok) << where;
                EXPECT_TRUE(rig.waitForError(transfer.write ? "Failed to set preset" : "Failed to get preset")) << where;
                const auto stored = rig.contents(5);
                EXPECT_EQ(std::multiset<std::string>(stored.begin(), stored.end()), everyPreset) << where;
                if (transfer.inMemory && kind != StartRefusedAndNext)
                {
                    EXPECT_EQ(stored, rig.contents(5, SimulatedPedal::Copy::Working)) << where << ": the write-back is committed";
                }
            }
        ++(transfer.write ? writes : reads);
    }
}
