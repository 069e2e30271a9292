// The work behind the cabinets and backup pages: renaming, copying, importing and exporting user
// cabinets, backing the pedal up, restoring it and updating its firmware. Message thread,
// except the completions and progress callbacks, which run on the service's worker.

#include "BackupArchive.h"
#include "EditComponent.h"
#include "FirmwareArchive.h"
#include "IOUtils.h"
#include "OptionsDialog.h"
#include "RenameDialog.h"
#include "SavePresetDialog.h"
#include "TonecrestDataFile.h"
#include "UserCabinetImporter.h"

using Tonecrest::Result;
using Tonecrest::TonecrestData::Archive;
using Tonecrest::TonecrestData::Cabinet;
using Service = Tonecrest::TonecrestEditorService;

// ---- User cabinets ---------------------------------------------------------------------------------

void EditComponent::onCabinetsComponentNameEdited(int slot, const juce::String& name)
{
    if (editorService == nullptr)
        return;
    const Result result = editorService->setUserCabinetName(slot, name.toStdString(), nullptr);
    if (!result)
        handleError(result, "Failed to rename user cabinet");
}

void EditComponent::onCabinetsComponentRename(int slot)
{
    if (editorService == nullptr || slot < 0)
        return;
    Service::UserCabinetInfo info;
    const Result read = editorService->getUserCabinetInfo(slot, info);
    renameThroughDialog(
        read, info.name, "Rename User Cabinet", "New cabinet name:",
        [this, slot](const std::string& name) { return editorService->setUserCabinetName(slot, name, nullptr); },
        "Failed to rename user cabinet");
}

void EditComponent::onCabinetsComponentCopyTo(int source)
{
    if (editorService == nullptr)
        return;
    const int count = editorService->getNumUserCabinets();
    if (source < 0 || source >= count)
        return;
    std::vector<juce::String> slotTexts;
    juce::String proposedName;
    for (int i = 0; i < count; ++i)
    {
        Service::UserCabinetInfo info;
        const Result result = editorService->getUserCabinetInfo(i, info);
        if (!result)
        {
            handleError(result, "Failed to get preset info");
            return;
        }
        slotTexts.push_back(juce::String(i + 1) + " - " + fromUTF8(info.name));
        if (i == source)
            proposedName = fromUTF8(info.name);
    }

    SavePresetDialog dialog(slotTexts, source, proposedName);
    if (dialog.runModal("Copy User Cabinet To...") != 1)
        return;
    const int target = dialog.getSelectedSlot();
    const std::string newName = dialog.getPresetName().toStdString();

    auto done = [link = link, target, newName](const Cabinet& cabinet) {
        withPage(link, [&](EditComponent& page) {
            Cabinet copy = cabinet;
            copy.name = newName;
            const Result written = page.editorService->setUserCabinet(target, copy, nullptr);
            if (!written)
                page.handleError(written, "Failed to copy cabinet");
        });
    };
    const Result result = editorService->getUserCabinet(source, done);
    if (!result)
        handleError(result, "Failed to copy cabinet");
}

void EditComponent::onCabinetsComponentImport(int slot)
{
    if (editorService == nullptr)
        return;
    const auto file = chooseFile({ juce::translate("Import Cabinet"), "*.wav;*.cab", getLastDirectory(), false });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    Cabinet cabinet; // a unit impulse per channel, as an import that fails part-way leaves it
    if (file.hasFileExtension("cab"))
    {
        // The cabinet goes to the chosen slot, whatever slot the file was exported from.
        Result result = TONECREST_ERROR("Failed to open file");
        juce::FileInputStream input(file);
        if (input.openedOk())
        {
            Tonecrest::InStreamWrapper stream(&input);
            result = Tonecrest::readCabinetFile(stream, cabinet, nullptr);
        }
        if (!result)
        {
            handleError(result, "Failed to load user cabinet");
            return;
        }
    }
    else
    {
        const Result result = Tonecrest::UserCabinetImporter::importUserCabinet(file.getFullPathName().toRawUTF8(),
                                                                               cabinet.samples.data());
        if (!result)
        {
            handleError(result, "Failed to import user cabinet");
            return;
        }
        // The service shortens and cleans the name on the way to the pedal.
        cabinet.name = file.getFileNameWithoutExtension().toStdString();
    }

    const Result result = slot < 0 ? editorService->setCurrentCabinetData(cabinet)
                                   : editorService->setUserCabinet(slot, cabinet, nullptr);
    if (!result)
        handleError(result, "Failed to set user cabinet data");
}

void EditComponent::onCabinetsComponentExport(int slot)
{
    if (editorService == nullptr)
        return;
    Service::UserCabinetInfo info;
    if (!editorService->getUserCabinetInfo(slot, info))
        info.name.clear();
    const auto file = chooseFile({ juce::translate("Export Cabinet"), "*.cab", getDefaultFile(fromUTF8(info.name) + ".cab"), true });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    editorService->getUserCabinet(slot, [link = link, file](const Cabinet& cabinet) {
        exportFile(
            link, file,
            [&cabinet](Tonecrest::IOutputStream& stream) { return Tonecrest::writeCabinetFile(cabinet, stream, 0); },
            "Failed to export cabinet");
    });
}

// ---- Backup and restore ----------------------------------------------------------------------------------

void EditComponent::onBackupComponentBackup()
{
    if (editorService == nullptr)
        return;
    const auto name = "Tonecrest Backup " + juce::Time::getCurrentTime().formatted("%Y-%m-%d %H_%M") + ".tbu";
    const auto file = chooseFile({ juce::translate("Save Backup"), "*.tbu", getDefaultFile(name), true });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    resetOperationProgress();
    const Result result = editorService->beginBackup(makeProgressCallback(), [link = link, file](const Archive& archive) {
        const Result written = Tonecrest::BackupArchive::write(archive, file);
        if (!written)
            withPage(link, [&](EditComponent& page) { page.handleError(written, "Failed to save backup"); });
    });
    if (!result)
        handleError(result, "Failed to start backup");
}

void EditComponent::onBackupComponentRestore()
{
    if (editorService == nullptr)
        return;
    const auto file = chooseFile({ juce::translate("Load Backup"), "*.tbu", getLastDirectory(), false });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    Archive archive;
    Result result = Tonecrest::BackupArchive::loadFromFile(file, archive);
    if (!result)
    {
        handleError(result, "Failed to load backup");
        return;
    }

    Service::RestoreOptions options { true, true, true, true };
    std::vector<OptionEntry> entries;
    if (!archive.presets.empty())
        entries.push_back({ &options.presets, "Presets" });
    if (!archive.userCabinets.empty())
        entries.push_back({ &options.userCabinets, "Cabinets" });
    if (archive.globals.has_value())
        entries.push_back({ &options.globals, "Globals" });
    if (!archive.ampModels.empty())
        entries.push_back({ &options.ampModels, "Amp Models" });
    if (!entries.empty() && !showOptionsDialog("Restore Options", "Choose which components to restore", entries))
        return;

    resetOperationProgress();
    result = editorService->beginRestore(archive, options, makeProgressCallback(), nullptr);
    if (!result)
        handleError(result, "Failed to start restore");
}

// ---- Firmware update -------------------------------------------------------------------------------------

bool EditComponent::loadFirmwareArchive(bool fromFile, Archive& archive)
{
    Result result = Tonecrest::kSuccess;
    if (fromFile)
    {
        const auto file = chooseFile({ juce::translate("Load Firmware"), "*.tfu", getLastDirectory(), false });
        if (file == juce::File())
            return false;
        setLastDirectory(file);
        result = Tonecrest::FirmwareArchive::loadFromFile(file, archive);
    }
    else if (builtInFirmwareLoader)
    {
        result = builtInFirmwareLoader(archive);
    }
    else
    {
        // A build without the pedal's firmware refuses here and says why, so nothing made up
        // ever reaches a pedal.
        result = Tonecrest::FirmwareArchive::loadBuiltIn(archive);
        if (!result && !Tonecrest::FirmwareArchive::hasBuiltIn())
        {
            handleError(result, result.error);
            return false;
        }
    }
    if (!result)
        handleError(result, "Failed to load firmware archive");
    return bool(result);
}

void EditComponent::onBackupComponentUpdateFirmware(bool fromFile)
{
    if (editorService == nullptr)
        return;
    Archive archive;
    if (!loadFirmwareArchive(fromFile, archive))
        return;

    // Amp models are never offered: a firmware's amp models always go to the pedal with it.
    Service::RestoreOptions options { true, true, true, true };
    std::vector<OptionEntry> entries;
    if (!archive.presets.empty())
        entries.push_back({ &options.presets, "Factory Presets" });
    if (!archive.userCabinets.empty())
        entries.push_back({ &options.userCabinets, "Factory Cabinets" });
    if (archive.globals.has_value())
        entries.push_back({ &options.globals, "Factory Globals" });
    if (!entries.empty()
        && !showOptionsDialog("Firmware Update Options", "Choose which components to restore to factory defaults", entries))
        return;

    resetOperationProgress();
    const Result result = editorService->beginFirmwareUpdate(archive, options, makeProgressCallback(), nullptr);
    if (!result)
        handleError(result, "Failed to start firmware update");
}
