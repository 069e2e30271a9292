// Backing the whole pedal up into an archive and writing chosen parts of one back.

#include "TonecrestEditorService.h"

#include "TonecrestDataFile.h"
#include "TonecrestPresetMigration.h"

namespace Tonecrest
{
namespace
{
void report(const TonecrestEditorService::Progress& progress, int step, int total)
{
    if (progress && total > 0)
        progress(static_cast<double>(step) / total);
}
} // namespace

Result TonecrestEditorService::beginBackup(Progress progress, std::function<void(const TonecrestData::Archive&)> done)
{
    log(kLogDebug, "TonecrestEditorService: beginBackup()");
    return startTask(kStateBackup, nullptr, [this, progress = std::move(progress), done = std::move(done)](Task&) {
        return backup(progress, done);
    });
}

Result TonecrestEditorService::backup(const Progress& progress, const std::function<void(const TonecrestData::Archive&)>& done)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    const int total = static_cast<int>(kNumPresets) + kNumUserCabinets + 1;
    int step = 0;
    log(kLogDebug, "TonecrestEditorService: Starting backup");
    TonecrestData::Archive archive;

    for (unsigned slot = 0; slot < kNumPresets; ++slot)
    {
        log(kLogDebug, "TonecrestEditorService: Backing up preset %d", static_cast<int>(slot));
        TonecrestData::Archive::PresetEntry entry;
        entry.index = static_cast<int32_t>(slot);
        Result result = device->readPreset(slot, entry.preset);
        if (!result)
            return failTask("Could not get preset data", result);
        std::string name;
        result = device->readPresetName(slot, name);
        if (!result)
            return failTask("Could not get preset name", result);
        entry.preset.name = sanitizeName(name, TonecrestData::presetNameChars);
        entry.preset.cabinet = std::make_unique<TonecrestData::Cabinet>();
        result = device->readPresetCabinetData(slot, *entry.preset.cabinet);
        if (!result)
            return failTask("Could not get preset cabinet data", result);
        result = device->readPresetCabinetName(slot, entry.preset.cabinet->name);
        if (!result)
            return failTask("Could not get preset cabinet name", result);
        result = fixCabinetID(entry.preset);
        if (!result)
            return failTask("Could not fix cabinet ID", result);
        archive.presets.push_back(std::move(entry));
        report(progress, ++step, total);
    }

    for (int slot = 0; slot < kNumUserCabinets; ++slot)
    {
        log(kLogDebug, "TonecrestEditorService: Backing up cabinet %d", slot);
        TonecrestData::Archive::CabinetEntry entry;
        entry.index = slot;
        Result result = device->readUserCabinetData(static_cast<unsigned>(slot), entry.cabinet);
        if (!result)
            return failTask("Could not get cabinet data", result);
        std::string name;
        result = device->readUserCabinetName(static_cast<unsigned>(slot), name);
        if (!result)
            return failTask("Could not get cabinet name", result);
        entry.cabinet.name = sanitizeName(name, TonecrestData::cabinetNameChars);
        archive.userCabinets.push_back(std::move(entry));
        report(progress, ++step, total);
    }

    log(kLogDebug, "TonecrestEditorService: Backing up globals");
    archive.globals.emplace();
    Result result = device->readGlobals(*archive.globals);
    if (!result)
        return failTask("Could not get global data", result);

    log(kLogDebug, "TonecrestEditorService: Backup complete");
    report(progress, step + 1, total);
    finishTask(kStateBackup);
    if (done)
        done(archive);
    return kSuccess;
}

Result TonecrestEditorService::beginRestore(const TonecrestData::Archive& archive, const RestoreOptions& options, Progress progress,
                                            Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: beginRestore()");
    return startTask(kStateRestore, std::move(completion),
                     [this, archive, options, progress = std::move(progress)](Task&) -> Result {
                         Result result = restoreFromArchive(archive, options, progress);
                         if (!result)
                         {
                             setError("Could not complete restore");
                             return result;
                         }
                         log(kLogDebug, "TonecrestEditorService: Restore complete");
                         finishTask(kStateRestore);
                         return beginRefreshAll(nullptr);
                     });
}

Result TonecrestEditorService::restoreFromArchive(const TonecrestData::Archive& archive, const RestoreOptions& options,
                                                  const Progress& progress)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    // Data files name their own slots: check every slot the restore would write before the
    // first write, so a bad archive changes nothing on the pedal.
    Result result = checkArchiveSlots(archive, options.presets, options.userCabinets, options.ampModels);
    if (!result)
        return result;

    const int total = (options.ampModels ? static_cast<int>(archive.ampModels.size()) : 0)
                    + (options.presets ? static_cast<int>(archive.presets.size()) : 0)
                    + (options.userCabinets ? static_cast<int>(archive.userCabinets.size()) : 0) + (options.globals ? 1 : 0);
    int step = 0;
    log(kLogDebug, "TonecrestEditorService: Starting restore");

    if (options.ampModels && !archive.ampModels.empty())
    {
        result = device->writebackAmpModels();
        if (!result)
            return result;
        for (const auto& entry : archive.ampModels)
        {
            const auto slot = static_cast<unsigned>(entry.index);
            log(kLogDebug, "TonecrestEditorService: Restoring amp %d", static_cast<int>(entry.index));
            if (!(result = device->writeAmpModelParams(slot, entry.model, true))
                || !(result = device->writeAmpModelData(slot, entry.model.dataWords1, true))
                || !(result = device->writeAmpModelExtra(slot, entry.model.dataWords2, true))
                || !(result = device->writeAmpModelInfo(slot, entry.model.info, true)))
                return result;
            report(progress, ++step, total);
        }
    }

    DeferredWritebacks deferred(device);

    if (options.presets)
    {
        for (const auto& entry : archive.presets)
        {
            const auto slot = static_cast<unsigned>(entry.index);
            log(kLogDebug, "TonecrestEditorService: Restoring preset %d", static_cast<int>(entry.index));
            if (!(result = device->writePreset(slot, entry.preset.params)) || !(result = device->writePresetName(slot, entry.preset.name)))
                return result;
            if (entry.preset.cabinet != nullptr
                && (!(result = device->writePresetCabinetData(slot, *entry.preset.cabinet))
                    || !(result = device->writePresetCabinetName(slot, entry.preset.cabinet->name))))
                return result;
            report(progress, ++step, total);
        }
    }

    if (options.userCabinets)
    {
        for (const auto& entry : archive.userCabinets)
        {
            const auto slot = static_cast<unsigned>(entry.index);
            log(kLogDebug, "TonecrestEditorService: Restoring cabinet %d", static_cast<int>(entry.index));
            if (!(result = device->writeUserCabinetData(slot, entry.cabinet)) || !(result = device->writeUserCabinetName(slot, entry.cabinet.name)))
                return result;
            report(progress, ++step, total);
        }
    }

    if (options.globals)
    {
        log(kLogDebug, "TonecrestEditorService: Restoring globals");
        if (archive.globals && !(result = device->writeGlobals(*archive.globals)))
            return result;
        report(progress, step + 1, total);
    }

    log(kLogDebug, "TonecrestEditorService: Flushing writes");
    return device->flushWritebacks();
}

} // namespace Tonecrest
