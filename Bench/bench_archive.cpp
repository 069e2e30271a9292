// Time to write and to read a full backup archive: 128 presets each with its own cabinet,
// 32 user cabinets and the globals, as the backup page does it (to and from a file, the write
// flushed to disk), and the same in memory to separate the file system from the format work.

#include "BackupArchive.h"
#include "ByteInputStream.h"
#include "ByteOutputStream.h"
#include "TonecrestData.h"
#include "TonecrestDataFile.h"
#include "TonecrestPresetMigration.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace Tonecrest;
using namespace Tonecrest::TonecrestData;

namespace
{
// Roughly what a pedal's preset and globals hold.
constexpr uint32_t kPresetParameterCount = 300;
constexpr uint32_t kGlobalsParameterCount = 100;

void fillSamples(Cabinet& cabinet, std::mt19937& random)
{
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (float& value : cabinet.samples)
        value = sample(random);
}

const Archive& fullBackup()
{
    static const Archive archive = [] {
        std::mt19937 random(11);
        std::uniform_real_distribution<float> value(-100.0f, 100.0f);
        Archive backup;
        for (int slot = 0; slot < presetSlotCount; ++slot)
        {
            Archive::PresetEntry entry;
            entry.index = slot;
            entry.preset.name = "Preset " + std::to_string(slot);
            for (uint32_t key = 0; key < kPresetParameterCount; ++key)
                entry.preset.params[key] = value(random);
            entry.preset.params[kPresetVersionKey] = static_cast<float>(kCurrentPresetVersion);
            entry.preset.cabinet = std::make_unique<Cabinet>();
            entry.preset.cabinet->name = "Cab " + std::to_string(slot);
            fillSamples(*entry.preset.cabinet, random);
            backup.presets.push_back(std::move(entry));
        }
        for (int slot = 0; slot < userCabinetSlotCount; ++slot)
        {
            Archive::CabinetEntry entry;
            entry.index = slot;
            entry.cabinet.name = "User " + std::to_string(slot);
            fillSamples(entry.cabinet, random);
            backup.userCabinets.push_back(std::move(entry));
        }
        backup.globals.emplace();
        for (uint32_t key = 0; key < kGlobalsParameterCount; ++key)
            (*backup.globals)[key] = value(random);
        return backup;
    }();
    return archive;
}

juce::File benchFile()
{
    static const juce::File file = juce::File::createTempFile(".tbu");
    return file;
}

void BM_WriteBackupArchiveToFile(benchmark::State& state)
{
    const Archive& archive = fullBackup();
    const juce::File file = benchFile();
    for (auto _ : state)
        if (!BackupArchive::write(archive, file))
            state.SkipWithError("write failed");
    state.counters["archive_bytes"] = static_cast<double>(file.getSize());
}
BENCHMARK(BM_WriteBackupArchiveToFile)->Unit(benchmark::kMillisecond);

void BM_ReadBackupArchiveFromFile(benchmark::State& state)
{
    const juce::File file = benchFile();
    if (!BackupArchive::write(fullBackup(), file))
        state.SkipWithError("write failed");
    for (auto _ : state)
    {
        Archive archive;
        if (!BackupArchive::loadFromFile(file, archive))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(archive.presets.data());
    }
    file.deleteFile();
}
BENCHMARK(BM_ReadBackupArchiveFromFile)->Unit(benchmark::kMillisecond);

void BM_WriteBackupArchiveToMemory(benchmark::State& state)
{
    const Archive& archive = fullBackup();
    size_t bytes = 0;
    for (auto _ : state)
    {
        juce::MemoryOutputStream out;
        if (!BackupArchive::writeToStream(archive, out))
            state.SkipWithError("write failed");
        bytes = out.getDataSize();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteBackupArchiveToMemory)->Unit(benchmark::kMillisecond);

void BM_ReadBackupArchiveFromMemory(benchmark::State& state)
{
    juce::MemoryOutputStream zip;
    if (!BackupArchive::writeToStream(fullBackup(), zip))
        state.SkipWithError("write failed");
    for (auto _ : state)
    {
        Archive archive;
        if (!BackupArchive::loadFromMemory(zip.getData(), zip.getDataSize(), archive))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(archive.presets.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * zip.getDataSize()));
}
BENCHMARK(BM_ReadBackupArchiveFromMemory)->Unit(benchmark::kMillisecond);

// One preset file on its own, the unit of an export and of every archive entry.
void BM_PresetFileWriteAndRead(benchmark::State& state)
{
    const Preset& preset = fullBackup().presets.front().preset;
    for (auto _ : state)
    {
        ByteOutputStream out;
        if (!writePresetFile(preset, out, 0))
            state.SkipWithError("write failed");
        Preset back;
        ByteInputStream in(out.bytes().data(), out.bytes().size());
        if (!readPresetFile(in, back, nullptr))
            state.SkipWithError("read failed");
    }
}
BENCHMARK(BM_PresetFileWriteAndRead)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
