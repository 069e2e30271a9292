// The edit page's operations on whole presets: rename, save, save to another slot, export to
// and import from ".pre" files, copy and paste of a block's parameters, the preset manager, and
// what the page's file choosers share (the remembered folder, the consent question). Message
// thread, except the completions, which run on the service's worker.

#include "ConsentWindow.h"
#include "EditComponent.h"
#include "IOUtils.h"
#include "PresetManager.h"
#include "RenameDialog.h"
#include "SavePresetDialog.h"
#include "TonecrestDataFile.h"

#include <cstring>

using Tonecrest::Result;
using Service = Tonecrest::TonecrestEditorService;

namespace
{

constexpr const char* lastDirectoryKey = "lastDirectory";
constexpr const char* exportConsentKey = "didUserConsentToExport";
constexpr const char* importConsentKey = "didUserConsentToImport";

constexpr const char* exportConsentText =
    "I understand that presets may contain third-party cabinet impulse data. I agree not to share any presets that "
    "I export with anyone that does not also own the right to any third party impulse data contained within it.";
constexpr const char* importConsentText =
    "I understand that presets may contain third-party cabinet impulse data. I agree to only import presets that "
    "contain third-party cabinet impulses that I already own.";

constexpr const char* overwriteFailedText = "Failed to overwrite file";

} // namespace

// ---- Completions' way back to the page ---------------------------------------------------------------

void EditComponent::withPage(const std::shared_ptr<PageLink>& link, const std::function<void(EditComponent&)>& action)
{
    std::lock_guard<std::mutex> lock(link->mutex);
    if (link->page != nullptr)
        action(*link->page);
}

Service::Progress EditComponent::makeProgressCallback()
{
    return [link = link](double progress) {
        withPage(link, [progress](EditComponent& page) {
            {
                std::lock_guard<std::mutex> lock(page.pageMutex);
                page.pending.operationProgress = progress;
                page.pending.stateChanged = true;
            }
            page.triggerAsyncUpdate();
        });
    };
}

void EditComponent::resetOperationProgress()
{
    std::lock_guard<std::mutex> lock(pageMutex);
    pending.operationProgress = 0.0;
}

void EditComponent::exportFile(const std::shared_ptr<PageLink>& link, const juce::File& file,
                               const std::function<Result(Tonecrest::IOutputStream&)>& write, const char* failedText)
{
    // The old file stays until the new one is completely on disk, so a failed export never
    // costs the user the file that was there.
    const Result written = Tonecrest::writeFileSafely(
        file,
        [&write](juce::OutputStream& out) {
            Tonecrest::OutStreamWrapper stream(&out);
            return write(stream);
        },
        failedText);
    if (written)
        return;
    const bool notReplaced = written.error != nullptr && std::strcmp(written.error, overwriteFailedText) == 0;
    withPage(link, [&](EditComponent& page) { page.handleError(written, notReplaced ? overwriteFailedText : failedText); });
}

// ---- File choosers and what they remember ------------------------------------------------------------

juce::File EditComponent::chooseFile(const FileRequest& request)
{
    if (fileChooserRunner)
        return fileChooserRunner(request);
    juce::FileChooser chooser(request.title, request.initial, request.patterns);
    const bool chosen = request.save ? chooser.browseForFileToSave(true) : chooser.browseForFileToOpen();
    return chosen ? chooser.getResult() : juce::File();
}

juce::File EditComponent::getLastDirectory() const
{
    if (settings == nullptr)
        return {};
    const auto path = settings->getValue(lastDirectoryKey);
    if (!juce::File::isAbsolutePath(path))
        return {};
    juce::File directory(path);
    if (directory.existsAsFile())
        directory = directory.getParentDirectory();
    return directory.isDirectory() ? directory : juce::File();
}

void EditComponent::setLastDirectory(const juce::File& file)
{
    if (settings == nullptr || file == juce::File())
        return;
    const auto directory = file.existsAsFile() || !file.exists() ? file.getParentDirectory() : file;
    settings->setValue(lastDirectoryKey, directory.getFullPathName());
}

juce::File EditComponent::getDefaultFile(const juce::String& fileName) const
{
    auto directory = getLastDirectory();
    if (!directory.isDirectory())
        directory = juce::File::getSpecialLocation(juce::File::userDocumentsDirectory);
    return fileName.isEmpty() ? directory : directory.getChildFile(fileName);
}

bool EditComponent::askForConsent(const char* settingsKey, const juce::String& text)
{
    if (settings != nullptr && settings->getBoolValue(settingsKey, false))
        return true;
    if (!ConsentWindow::ask(text))
        return false;
    if (settings != nullptr)
        settings->setValue(settingsKey, true);
    return true;
}

// ---- Rename, save, save to a location ----------------------------------------------------------------

void EditComponent::renameThroughDialog(Result read, const std::string& currentName, const char* title,
                                        const char* prompt, const std::function<Result(const std::string&)>& rename,
                                        const char* renameFailedText)
{
    // Presets and user cabinets share the entry record and its "could not read" text.
    if (!read)
    {
        handleError(read, "Failed to get preset info");
        return;
    }
    std::string name = currentName;
    if (!showRenameDialog(title, prompt, name))
        return;
    const Result result = rename(name);
    if (!result)
        handleError(result, renameFailedText);
}

void EditComponent::renamePreset(int index)
{
    if (editorService == nullptr)
        return;
    Service::PresetInfo info;
    const Result read = editorService->getPresetInfo(index, info);
    renameThroughDialog(
        read, info.name, "Rename Preset", "New preset name:",
        [this, index](const std::string& name) { return editorService->setPresetName(index, name, nullptr); },
        "Failed to rename preset");
}

void EditComponent::savePreset()
{
    if (editorService == nullptr)
        return;
    const Result result = editorService->saveCurrentPreset(nullptr);
    if (!result)
        handleError(result, "Failed to save preset");
}

void EditComponent::onSaveAs()
{
    if (editorService == nullptr)
        return;
    const int count = int(editorService->getNumPresets());
    const int current = editorService->getCurrentPresetIndex();
    std::vector<juce::String> slotTexts;
    juce::String proposedName;
    for (int i = 0; i < count; ++i)
    {
        Service::PresetInfo info;
        const Result result = editorService->getPresetInfo(i, info);
        if (!result)
        {
            handleError(result, "Failed to get preset info");
            return;
        }
        slotTexts.push_back(fromUTF8(editorService->getPresetNumberText(i)) + " - " + fromUTF8(info.name));
        if (i == current)
            proposedName = fromUTF8(info.name);
    }

    SavePresetDialog dialog(slotTexts, current, proposedName);
    if (dialog.runModal(juce::translate("Save Preset As...")) != 1)
        return;
    const int slot = dialog.getSelectedSlot();
    const std::string name = dialog.getPresetName().toStdString();

    const Result result = editorService->saveCurrentPresetToLocation(slot, name, [link = link, slot] {
        withPage(link, [slot](EditComponent& page) {
            {
                std::lock_guard<std::mutex> lock(page.pageMutex);
                page.pending.presetToSelect = slot;
            }
            page.triggerAsyncUpdate();
        });
    });
    if (!result)
        handleError(result, "Failed to save preset");
}

// ---- Export and import ---------------------------------------------------------------------------------

void EditComponent::showExportDialogForPreset(int index)
{
    if (editorService == nullptr)
        return;
    if (!askForConsent(exportConsentKey, juce::translate(exportConsentText)))
        return;
    Service::PresetInfo info;
    if (!editorService->getPresetInfo(index, info))
        info.name.clear();
    const auto file = chooseFile({ juce::translate("Export Preset"), "*.pre", getDefaultFile(fromUTF8(info.name) + ".pre"), true });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    // A refused start needs no box: the service's own state tells why it is busy.
    editorService->getPreset(index, [link = link, file](const Tonecrest::TonecrestData::Preset& preset) {
        exportFile(
            link, file,
            [&preset](Tonecrest::IOutputStream& stream) { return Tonecrest::writePresetFile(preset, stream, 0); },
            "Failed to export preset");
    });
}

void EditComponent::showImportDialogForPreset(int index)
{
    if (editorService == nullptr)
        return;
    if (!askForConsent(importConsentKey, juce::translate(importConsentText)))
        return;
    const auto file = chooseFile({ juce::translate("Import Preset"), "*.pre", getLastDirectory(), false });
    if (file == juce::File())
        return;
    setLastDirectory(file);

    // The preset goes to the chosen row, whatever slot the file was exported from.
    Tonecrest::TonecrestData::Preset preset;
    Result result = TONECREST_ERROR("Failed to open file");
    juce::FileInputStream input(file);
    if (input.openedOk())
    {
        Tonecrest::InStreamWrapper stream(&input);
        result = Tonecrest::readPresetFile(stream, preset, nullptr);
    }
    if (!result)
    {
        handleError(result, "Failed to import preset");
        return;
    }
    result = editorService->setPreset(index, preset, nullptr);
    if (!result)
        handleError(result, "Failed to set preset");
}

// ---- Copy and paste -------------------------------------------------------------------------------------

void EditComponent::copyCurrentBlockParams()
{
    if (editorService == nullptr)
        return;
    const auto block = Tonecrest::TonecrestParamMap::BlockID(getSelectedBlock());
    const Result result = editorService->copyParamsForBlock(block, [link = link](Service::CopiedParameterData data) {
        withPage(link, [&data](EditComponent& page) {
            std::lock_guard<std::mutex> lock(page.pageMutex);
            page.copiedParams = std::move(data);
        });
    });
    if (!result)
        handleError(result, "Failed to copy params");
}

void EditComponent::pasteParams()
{
    if (editorService == nullptr)
        return;
    Service::CopiedParameterData copy;
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        copy = copiedParams;
    }
    const Result result = editorService->pasteParams(copy);
    if (!result)
        handleError(result, "Failed to paste params");
}

// ---- Preset manager ---------------------------------------------------------------------------------------

void EditComponent::openPresetManager()
{
    if (editorService == nullptr)
        return;
    auto done = [link = link] {
        withPage(link, [](EditComponent& page) {
            const int count = int(page.editorService->getNumPresets());
            {
                std::lock_guard<std::mutex> lock(page.pageMutex);
                for (int i = 0; i < count; ++i)
                    page.pending.dirtyPresets.push_back(i);
            }
            page.triggerAsyncUpdate();
        });
    };
    resetOperationProgress();
    PresetManager::open(*editorService, makeProgressCallback(), done,
                        [this](Result result, const char* message) { handleError(result, message); });
}
