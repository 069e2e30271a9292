// Backing a populated simulated pedal up to a ".tbu" file and restoring it into a blank one,
// through the editor service, the archive writer and reader, and the real transport.

#include "BackupArchive.h"
#include "Protocol/EditorServiceTestRig.h"
#include "TonecrestPresetMigration.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Service = TonecrestEditorService;

namespace
{
void populate(SimulatedPedal& pedal)
{
    for (unsigned i = 0; i < 128; ++i)
    {
        TonecrestData::Preset preset;
        preset.name = "Song " + std::to_string(i);
        // Current presets: reading the backup file back migrates nothing, it only stamps the version.
        preset.params = { { 2, static_cast<float>(i) / 128.0f }, { 8, -3.0f }, { 11, -4.0f },
                          { kPresetVersionKey, static_cast<float>(kCurrentPresetVersion) } };
        preset.cabinet = std::make_unique<TonecrestData::Cabinet>();
        preset.cabinet->name = "PCab " + std::to_string(i);
        preset.cabinet->samples[3] = static_cast<float>(i) / 1000.0f;
        pedal.setPreset(i, preset);
    }
    for (unsigned i = 0; i < 32; ++i)
    {
        TonecrestData::Cabinet cabinet;
        cabinet.name = "IR " + std::to_string(i);
        cabinet.samples[1500] = -static_cast<float>(i) / 64.0f;
        pedal.setUserCabinet(i, cabinet);
    }
    pedal.setGlobals({ { 30, 0.0f }, { 1, 0.5f }, { 2, 0.75f } });
}

struct Recorder
{
    std::mutex mutex;
    std::vector<double> progress;
    Service::Progress callback()
    {
        return [this](double p) {
            std::lock_guard<std::mutex> lock(mutex);
            progress.push_back(p);
        };
    }
};

/** Runs a backup and returns the archive, or nothing when the task failed. */
std::optional<TonecrestData::Archive> backUp(EditorServiceRig& rig, Recorder* recorder = nullptr)
{
    std::promise<std::optional<TonecrestData::Archive>> result;
    auto future = result.get_future();
    EXPECT_TRUE(rig.service
                    ->beginBackup(recorder != nullptr ? recorder->callback() : nullptr,
                                  [&](const TonecrestData::Archive& archive) { result.set_value(archive); })
                    .ok);
    // The task has no completion: a failure shows as the error state instead.
    for (int attempt = 0; attempt < 12000; ++attempt)
    {
        if (future.wait_for(std::chrono::milliseconds(5)) == std::future_status::ready)
            return future.get();
        if (rig.service->getState() == Service::kStateError)
            return std::nullopt;
    }
    ADD_FAILURE() << "backup neither finished nor failed";
    return std::nullopt;
}

void restore(EditorServiceRig& rig, const TonecrestData::Archive& archive, const Service::RestoreOptions& options,
             Recorder* recorder = nullptr)
{
    CompletionLatch done;
    ASSERT_TRUE(rig.service->beginRestore(archive, options, recorder != nullptr ? recorder->callback() : nullptr, done.callback()).ok);
    ASSERT_TRUE(done.wait());
    // A successful restore queues a full refresh behind itself; a failed one leaves the error state.
    rig.drain();
}

void expectSameStorage(const SimulatedPedal& a, const SimulatedPedal& b)
{
    for (unsigned i = 0; i < 128; ++i)
    {
        ASSERT_EQ(a.presetName(i), b.presetName(i)) << "preset " << i;
        ASSERT_EQ(a.presetParams(i), b.presetParams(i)) << "preset " << i;
        ASSERT_EQ(a.presetCabinet(i).name, b.presetCabinet(i).name) << "preset " << i;
        ASSERT_EQ(a.presetCabinet(i).samples, b.presetCabinet(i).samples) << "preset " << i;
    }
    for (unsigned i = 0; i < 32; ++i)
    {
        ASSERT_EQ(a.userCabinet(i).name, b.userCabinet(i).name) << "cabinet " << i;
        ASSERT_EQ(a.userCabinet(i).samples, b.userCabinet(i).samples) << "cabinet " << i;
    }
    EXPECT_EQ(a.globals(), b.globals());
}

const Service::RestoreOptions kEverything { true, true, true, true };
} // namespace

TEST(BackupRestore, BackupFileRestoresIntoABlankPedal)
{
    EditorServiceRig source;
    populate(source.connection.pedal);
    source.connectAndRefresh();
    Recorder progress;
    auto archive = backUp(source, &progress);
    ASSERT_TRUE(archive.has_value()) << source.service->getLastError();
    EXPECT_EQ(source.service->getState(), 1);
    ASSERT_EQ(progress.progress.size(), 161u);
    EXPECT_DOUBLE_EQ(progress.progress[0], 1.0 / 161.0);
    EXPECT_EQ(progress.progress.back(), 1.0);
    EXPECT_EQ(archive->presets[5].preset.name, "Song 5");

    juce::TemporaryFile file(".tbu");
    ASSERT_TRUE(BackupArchive::write(*archive, file.getFile()).ok);
    TonecrestData::Archive loaded;
    ASSERT_TRUE(BackupArchive::loadFromFile(file.getFile(), loaded).ok);
    EXPECT_FALSE(loaded.versionInfo) << "a backup carries no firmware";
    EXPECT_TRUE(loaded.ampModels.empty());

    EditorServiceRig target;
    target.connectAndRefresh();
    restore(target, loaded, kEverything);
    ASSERT_EQ(target.service->getState(), 1) << target.service->getLastError();
    expectSameStorage(source.connection.pedal, target.connection.pedal);

    Service::PresetInfo info;
    target.service->getPresetInfo(77, info);
    EXPECT_EQ(info.name, "Song 77") << "the refresh after the restore shows the new names";
}

TEST(BackupRestore, FaultDuringBackupWritesNoArchive)
{
    EditorServiceRig source;
    populate(source.connection.pedal);
    source.connectAndRefresh();
    // Four reads per preset: fail inside preset 60.
    source.connection.pedal.addFault({ 0xC5, SimulatedPedal::Fault::Nack, 4 * 60 + 2, 1 });
    EXPECT_FALSE(backUp(source).has_value());
    EXPECT_EQ(source.service->getState(), 13);
    EXPECT_EQ(source.service->getLastError(), "Could not get preset cabinet data");
}

TEST(BackupRestore, FaultDuringRestoreCommitsNothingUnflushed)
{
    EditorServiceRig source;
    populate(source.connection.pedal);
    source.connectAndRefresh();
    auto archive = backUp(source);
    ASSERT_TRUE(archive.has_value());

    for (int failAt : { 0, 3, 200, 4 * 128 + 10, 4 * 128 + 2 * 32 })
    {
        EditorServiceRig target;
        target.connectAndRefresh();
        const auto blankName = target.connection.pedal.presetName(0);
        target.connection.pedal.addFault({ 0xC2, SimulatedPedal::Fault::Nack, failAt, 1 });
        restore(target, *archive, kEverything);
        EXPECT_EQ(target.service->getState(), 13) << "fault at write " << failAt;
        EXPECT_EQ(target.service->getLastError(), "Could not complete restore");
        EXPECT_EQ(target.connection.pedal.presetName(0), blankName) << "deferred writebacks were dropped";
        EXPECT_TRUE(target.connection.pedal.writebacks().empty()) << "fault at write " << failAt;
    }
}

TEST(BackupRestore, RestoreChecksEverySlotBeforeWriting)
{
    EditorServiceRig target;
    target.connectAndRefresh();
    TonecrestData::Archive archive;
    archive.presets.resize(2);
    archive.presets[0].index = 3;
    archive.presets[1].index = 128;
    restore(target, archive, kEverything);
    EXPECT_EQ(target.service->getLastError(), "Could not complete restore");
    EXPECT_TRUE(target.connection.pedal.blockWrites().empty());
}

TEST(BackupRestore, OptionEdgeCases)
{
    EditorServiceRig rig;
    rig.connectAndRefresh();

    // Nothing chosen: nothing written, still flushed, no progress.
    Recorder none;
    TonecrestData::Archive archive;
    archive.presets.resize(1);
    restore(rig, archive, { false, false, false, false }, &none);
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_TRUE(rig.connection.pedal.blockWrites().empty());
    EXPECT_TRUE(none.progress.empty());

    // A preset slot out of range is harmless when presets are not restored.
    archive.presets[0].index = 128;
    restore(rig, archive, { false, true, true, false });
    EXPECT_EQ(rig.service->getState(), 1);

    // Only globals, and the archive has none: 1/1.
    Recorder globalsOnly;
    restore(rig, TonecrestData::Archive {}, { false, false, true, false }, &globalsOnly);
    EXPECT_EQ(globalsOnly.progress, (std::vector<double> { 1.0 }));

    // Amp models chosen but none in the archive: no amp-model writeback.
    restore(rig, TonecrestData::Archive {}, { false, false, false, true });
    for (const auto& writeback : rig.connection.pedal.writebacks())
        EXPECT_NE(writeback.index, 65534u);

    // Presets without cabinets: only data and name are written.
    TonecrestData::Archive bare;
    bare.presets.resize(1);
    bare.presets[0].index = 9;
    bare.presets[0].preset.name = "Bare";
    const size_t before = rig.connection.pedal.blockWrites().size();
    restore(rig, bare, { true, false, false, false });
    EXPECT_EQ(rig.connection.pedal.blockWrites().size() - before, 2u);
    EXPECT_EQ(rig.connection.pedal.presetName(9), "Bare");
}

TEST(BackupRestore, AmpModelsGoFirstWithTheirWritebacks)
{
    EditorServiceRig rig;
    rig.connectAndRefresh();
    TonecrestData::Archive archive;
    archive.ampModels.resize(1);
    archive.ampModels[0].index = 7;
    archive.ampModels[0].model.info = { 42, "Custom" };
    archive.ampModels[0].model.longName1 = "Custom amp";
    archive.ampModels[0].model.dataWords1[10] = 0xDEADBEEF;
    archive.presets.resize(1);
    archive.presets[0].index = 0;
    restore(rig, archive, kEverything);
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.connection.pedal.ampModelInfo(7).id, 42u);
    EXPECT_EQ(rig.connection.pedal.ampModel(7).dataWords1[10], 0xDEADBEEFu);
    auto writebacks = rig.connection.pedal.writebacks();
    ASSERT_FALSE(writebacks.empty());
    EXPECT_EQ(writebacks.front().type, 5u);
    EXPECT_EQ(writebacks.front().index, 65534u);

    Service::ParameterInfo model;
    rig.service->getParameterInfo(1, model);
    ASSERT_EQ(model.values.size(), 2u);
    EXPECT_EQ(model.values[1].name, "Custom");
}
