// The edit page's reactions to the user: the strip, the preset list and header, the page menu,
// the cabinet pop-up and the error path. Message thread, except handleError.

#include "EditComponent.h"

#include <map>

using Tonecrest::Result;
using Service = Tonecrest::TonecrestEditorService;

namespace
{

/** The page menu's own items. */
enum PageMenuItem
{
    renamePresetItem = 1,
    savePresetItem = 2,
    savePresetToLocationItem = 3,
    exportPresetItem = 4,
    importPresetItem = 5,
    refreshCurrentPresetItem = 6,
    copyBlockParametersItem = 7,
    pasteParametersItem = 8
};

} // namespace

// ---- Signal-chain strip ------------------------------------------------------------------------

void EditComponent::onSignalChainComponentBlockSelected(int blockID)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.blockChanged = true;
        pending.selectedBlock = blockID;
    }
    triggerAsyncUpdate();
}

void EditComponent::onSignalChainComponentBlockToggled(int blockID)
{
    const TonecrestParamID enable = enableParameterOf(blockID);
    if (enable == 0 || editorService == nullptr)
        return;
    ParameterValue value;
    Result result = editorService->getParameterValue(enable, value);
    if (!result)
    {
        handleError(result, "Error getting param value");
        return;
    }
    // Any non-zero setting counts as on (the cabinet's output choices 1 to 3 too).
    const bool on = truncateToInt(value.value) != 0;
    result = editorService->setParameterValue(enable, { Tonecrest::TonecrestParamMap::kTypeBoolean, on ? 0.0 : 1.0 },
                                              nullptr);
    if (!result)
        handleError(result, "Error setting param value");
}

int EditComponent::getSelectedBlock() const
{
    std::lock_guard<std::mutex> lock(pageMutex);
    return pending.selectedBlock;
}

// ---- Preset list -----------------------------------------------------------------------------------

void EditComponent::onPresetListPresetSelected(int row)
{
    // A cleared selection names no preset to change to.
    if (editorService == nullptr || row < 0)
        return;
    if (editorService->isCurrentPresetModified()
        && !askQuestion(juce::translate("Discard changes?"),
                        juce::translate("The current preset has been modified. Do you want to discard the changes?"),
                        juce::translate("Discard"), juce::translate("Cancel")))
    {
        presetList->selectRow(editorService->getCurrentPresetIndex());
        return;
    }
    const Result result = editorService->requestChangePreset(row);
    if (!result)
        handleError(result, "Failed to change preset");
}

void EditComponent::onPresetListPresetRenamed(int row, const juce::String& name)
{
    if (editorService == nullptr)
        return;
    const Result result = editorService->setPresetName(row, name.toStdString(), nullptr);
    if (!result)
        handleError(result, "Failed to rename preset");
}

void EditComponent::onPresetListMenuRequested(int)
{
    // The menu acts on the list's selected row, read after it closes.
    showMenu(nullptr, juce::PopupMenu());
}

void EditComponent::onPresetListRenameRequested(int row)
{
    if (editorService == nullptr)
        return;
    Service::PresetInfo info;
    if (editorService->getPresetInfo(row, info) && info.state == Service::PresetInfo::kValid)
        presetList->beginRename(row, fromUTF8(info.name));
}

bool EditComponent::confirmDiscardChanges()
{
    if (editorService == nullptr || !editorService->isCurrentPresetModified())
        return true;
    return askQuestion(juce::translate("Discard changes?"),
                       juce::translate("The current preset has been modified. Do you want to discard the changes?"),
                       juce::translate("Discard"), juce::translate("Cancel"));
}

// ---- Page menu and preset header ---------------------------------------------------------------

int EditComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::PopupMenu menu(baseMenu);
    menu.addItem(refreshCurrentPresetItem, juce::translate("Refresh Current Preset"), true, false);
    menu.addItem(renamePresetItem, juce::translate("Rename Preset"), true, false);
    menu.addSeparator();
    menu.addItem(savePresetItem, juce::translate("Save Preset"), true, false);
    menu.addItem(savePresetToLocationItem, juce::translate("Save Preset To Location..."), true, false);
    menu.addSeparator();
    menu.addItem(exportPresetItem, juce::translate("Export Preset To File"), true, false);
    menu.addItem(importPresetItem, juce::translate("Import Preset From File"), true, false);
    menu.addSeparator();
    menu.addItem(copyBlockParametersItem, juce::translate("Copy Current Block Parameters"), true, false);
    bool canPaste = false;
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        canPaste = !copiedParams.values.empty() || copiedParams.cabinet != nullptr;
    }
    if (canPaste)
        menu.addItem(pasteParametersItem, juce::translate("Paste Parameters"), true, false);

    auto options = juce::PopupMenu::Options(); // at the mouse
    if (target != nullptr)
        options = options.withTargetComponent(target);
    const int result = runMenu(menu, options);

    const int row = presetList->getSelectedRow();
    switch (result)
    {
    case renamePresetItem:
        renamePreset(row);
        break;
    case savePresetItem:
        savePreset();
        break;
    case savePresetToLocationItem:
        onSaveAs();
        break;
    case exportPresetItem:
        showExportDialogForPreset(row);
        break;
    case importPresetItem:
        showImportDialogForPreset(row);
        break;
    case refreshCurrentPresetItem:
        if (editorService != nullptr)
            editorService->requestRefreshCurrentPreset();
        break;
    case copyBlockParametersItem:
        copyCurrentBlockParams();
        break;
    case pasteParametersItem:
        pasteParams();
        break;
    default:
        break; // dismissed, or one of the main component's own items
    }
    return result;
}

void EditComponent::showPresetChooser()
{
    if (editorService == nullptr)
        return;
    juce::PopupMenu menu;
    const int numPresets = int(editorService->getNumPresets());
    for (int i = 0; i < numPresets; ++i)
    {
        Service::PresetInfo info;
        if (!editorService->getPresetInfo(i, info))
            info = {};
        menu.addItem(i + 1, fromUTF8(editorService->getPresetNumberText(i)) + " - " + fromUTF8(info.name));
    }
    const int result = runMenu(menu, juce::PopupMenu::Options().withTargetComponent(presetTitle.get()));
    if (result > 0)
        goToPreset(result - 1);
}

void EditComponent::selectPreviousPreset()
{
    if (editorService == nullptr)
        return;
    const int current = editorService->getCurrentPresetIndex();
    if (current > 0)
        goToPreset(current - 1);
}

void EditComponent::selectNextPreset()
{
    if (editorService == nullptr)
        return;
    // Without a current preset (-1) this goes to the first.
    const int next = editorService->getCurrentPresetIndex() + 1;
    if (next < int(editorService->getNumPresets()))
        goToPreset(next);
}

void EditComponent::goToPreset(int index)
{
    presetList->selectRow(index);
    onPresetListPresetSelected(index);
}

// ---- Cabinet pop-up -----------------------------------------------------------------------------

void EditComponent::showCabinetChooser()
{
    if (editorService == nullptr)
        return;
    Service::CabinetChoices choices;
    const Result result = editorService->getCabinetChoices(choices);
    if (!result)
    {
        handleError(result, "Error getting cab list");
        return;
    }

    // Item ids run on across the sub-menus; the map names the cabinet of each.
    std::map<int, int> cabinetOfItem;
    int nextItem = 1;
    auto addChoice = [&](juce::PopupMenu& menu, const juce::String& text, int cabinet) {
        cabinetOfItem[nextItem] = cabinet;
        menu.addItem(nextItem++, text);
    };
    juce::PopupMenu ampMenu, userMenu, presetMenu;
    for (const auto& choice : choices.ampModelCabinets)
        addChoice(ampMenu, fromUTF8(choice.text), choice.id);
    for (const auto& choice : choices.userCabinets)
        addChoice(userMenu, fromUTF8(choice.text), choice.id);
    for (const auto& choice : choices.presetCabinets)
        addChoice(presetMenu, fromUTF8(choice.text), choice.id);

    juce::PopupMenu menu;
    addChoice(menu, "NONE", Service::kCabinetNone);
    addChoice(menu, "FILTER ONLY", Service::kCabinetFilterOnly);
    addChoice(menu, "MATCHED", Service::kCabinetMatched);
    menu.addSubMenu("AMP", ampMenu);
    menu.addSubMenu("USER", userMenu);
    menu.addSubMenu("FROM PRESET", presetMenu);
    const int fromFileItem = nextItem++;
    menu.addItem(fromFileItem, "FROM FILE...");

    // The box may be rebuilt away while the menu is open (the menu then closes); it is not
    // touched after the menu returns.
    auto options = juce::PopupMenu::Options();
    if (cabinetMenu != nullptr)
        options = options.withTargetComponent(cabinetMenu)
                      .withMinimumWidth(cabinetMenu->getWidth())
                      .withDeletionCheck(*cabinetMenu);
    const int chosen = runMenu(menu, options);

    if (chosen == fromFileItem)
    {
        onCabinetsComponentImport(-1);
        return;
    }
    const auto found = cabinetOfItem.find(chosen);
    if (found == cabinetOfItem.end())
        return;
    const Result changed = editorService->setCurrentCabinetByID(found->second);
    if (!changed)
        handleError(changed, "Error changing cab");
}

// ---- Errors -----------------------------------------------------------------------------------------

void EditComponent::handleError(Result, const char* message)
{
    // The result's own text is already in the log; the user sees the operation's text.
    const auto text = juce::String::fromUTF8(message != nullptr ? message : "");
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.pendingActions.push_back([this, text] { showAlert(text); });
    }
    triggerAsyncUpdate();
}
