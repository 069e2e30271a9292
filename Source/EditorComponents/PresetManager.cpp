#include "PresetManager.h"

#include "PresetManagerDialog.h"

using Tonecrest::TonecrestEditorService;

PresetManager::Outcome PresetManager::open(TonecrestEditorService& service, TonecrestEditorService::Progress progress,
                                           TonecrestEditorService::Completion completion,
                                           const ErrorReporter& reportError)
{
    const int count = int(service.getNumPresets());
    std::vector<juce::String> numberTexts;
    std::vector<juce::String> names;
    std::vector<int> states;
    for (int i = 0; i < count; ++i)
    {
        TonecrestEditorService::PresetInfo info;
        const auto result = service.getPresetInfo(i, info);
        if (!result.ok)
        {
            if (reportError)
                reportError(result, readFailedMessage);
            return Outcome::kReadFailed;
        }
        numberTexts.push_back(juce::String::fromUTF8(service.getPresetNumberText(i).c_str()));
        names.push_back(juce::String::fromUTF8(info.name.c_str()));
        states.push_back(PresetManagerList::mapServiceState(info.state));
    }

    PresetManagerDialog dialog(numberTexts, names, states);
    const int answer = dialog.runModal(dialogTitle);
    if (answer != 1)
        return Outcome::kCancelled;

    // The dialog has closed as if saved: a pedal that is busy, gone or failed meanwhile must
    // not lose the user's new order without a word.
    const auto& list = dialog.getList();
    const auto started = service.getState() == TonecrestEditorService::kStateReady
                           ? service.updatePresets(std::move(progress), list.getOpeningOrder(), list.getNewOrder(),
                                                   std::move(completion))
                           : TONECREST_ERROR("Cannot update presets while the pedal is busy");
    if (started.ok)
        return Outcome::kStarted;
    if (reportError)
        reportError(started, updateFailedMessage);
    return Outcome::kNotStarted;
}
