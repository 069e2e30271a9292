#pragma once

#include "Result.h"
#include "TonecrestEditorService.h"

#include <functional>

/** Runs the preset manager for one pedal: reads every slot's entry from the editor service,
    shows the modal "Preset Manager" dialog and, on SAVE while the service is idle, hands the
    opening and the new order to the service's preset-order update. Message thread only; the
    progress and completion run on the service's task worker. */
class PresetManager
{
public:
    /** How an open ended. */
    enum class Outcome
    {
        kReadFailed, // a slot's entry could not be read; reported, no dialog shown
        kCancelled,  // CANCEL or the window closed
        kNotStarted, // SAVE, but the service was busy or refused the update; reported
        kStarted     // the update is queued
    };

    using ErrorReporter = std::function<void(Tonecrest::Result result, const char* message)>;

    /** The edit page's "open preset manager". `reportError` hears "Failed to get preset info"
        when a slot cannot be read, and "Failed to update presets" when SAVE finds the service
        busy or the service refuses the new order. */
    static Outcome open(Tonecrest::TonecrestEditorService& service, Tonecrest::TonecrestEditorService::Progress progress,
                        Tonecrest::TonecrestEditorService::Completion completion, const ErrorReporter& reportError);

    static constexpr const char* dialogTitle = "Preset Manager";
    static constexpr const char* readFailedMessage = "Failed to get preset info";
    static constexpr const char* updateFailedMessage = "Failed to update presets";
};
