#pragma once

#include "BackupComponent.h"
#include "CabinetsComponent.h"
#include "EffectParameters.h"
#include "ParameterKnob.h"
#include "ParameterLabel.h"
#include "ParameterPopupMenu.h"
#include "PresetList.h"
#include "SignalChainComponent.h"
#include "SimpleImageButton.h"
#include "SimpleLabel.h"
#include "SimpleTextButton.h"
#include "IOutputStream.h"
#include "TonecrestEditorService.h"
#include "iMainComponent.h"
#include "iParameterWidget.h"
#include "iStatusDisplay.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class FootswitchAssignComponent;
class GlobalComponent;

/** Page 0 of the main window and the centre of the editor: the preset list, the current
    preset's title with its arrows and save buttons, the signal-chain strip, the six amp knobs,
    the routing rows and the panel of the selected block.

    It is the editor service's only listener. Listener calls arrive on the service's worker, on
    the caller's thread or on the transport's reader thread, with the service's listener mutex
    held; they only record what changed under pageMutex and trigger the asynchronous update,
    which takes the whole record at once on the message thread and reads the service's getters
    without the lock. Lock order: the service's listener mutex, then pageMutex; the page never
    calls the service while holding pageMutex. Everything else runs on the message thread,
    except handleError, which any thread may call.

    It also drives the status bar and the overlay, keeps every parameter widget of the editor
    bound to its parameter (bindParameterWidget, used by the other pages too) and handles the
    strip, the preset list, the cabinets page and the backup page. */
class EditComponent : public iMainComponent,
                      public SignalChainComponent::Handler,
                      public PresetList::Handler,
                      public Tonecrest::TonecrestEditorService::Listener,
                      public juce::AsyncUpdater,
                      public CabinetsComponent::Handler,
                      public BackupComponent::Handler
{
public:
    using TonecrestParamID = Tonecrest::TonecrestParamID;
    using ParameterValue = Tonecrest::TonecrestEditorService::ParameterValue;

    /** One of the routing controls: a block's insert parameter shown as a row of options. */
    struct RoutingRow
    {
        TonecrestParamID paramID = 0;
        std::unique_ptr<SimpleLabel> caption;
        std::vector<std::unique_ptr<SimpleTextButton>> options; // option j stands for value j
        int xOffset = 0;
        int inset = 0;
    };

    /** What the two status displays show in one service state. */
    struct StatusTexts
    {
        bool barShown = false;
        juce::String barText;
        bool overlayShown = false;
        juce::String overlayText;
        bool isError = false;
        bool busy = false;
        double progress = -1.0;

        bool operator==(const StatusTexts& other) const
        {
            return barShown == other.barShown && barText == other.barText && overlayShown == other.overlayShown
                && overlayText == other.overlayText && isError == other.isError && busy == other.busy
                && progress == other.progress;
        }
    };

    /** The status displays are rewritten at most this often: a rewrite repaints the window
        under the overlay, and a pedal that keeps dropping off the bus changes the state faster
        than anyone can read it. The latest state always reaches the displays. */
    static constexpr int minStatusIntervalMs = 250;

    /** Shows one error text to the user (a modal "Error" box). Message thread. */
    using AlertPresenter = std::function<void(const juce::String& message)>;
    /** Asks a yes/no question (a modal box); true for the confirming button. Message thread. */
    using QuestionAsker = std::function<bool(const juce::String& title, const juce::String& message,
                                             const juce::String& confirmText, const juce::String& cancelText)>;
    /** Shows a pop-up menu modally and returns the chosen id, 0 when dismissed. Message thread. */
    using MenuRunner = std::function<int(const juce::PopupMenu& menu, const juce::PopupMenu::Options& options)>;

    /** What a file chooser is asked for. */
    struct FileRequest
    {
        juce::String title;
        juce::String patterns; // ";"-separated wildcards
        juce::File initial;    // a folder or a proposed file; no file for none
        bool save = false;     // a save chooser warns before overwriting
    };
    /** Shows a file chooser modally; the chosen file, or no file when cancelled. Message thread. */
    using FileChooserRunner = std::function<juce::File(const FileRequest& request)>;
    /** Reads a firmware archive into its argument. */
    using ArchiveLoader = std::function<Tonecrest::Result(Tonecrest::TonecrestData::Archive& archive)>;

    /** All four pointers may be null (a frame without a device service shows only the page's
        own views). Registers the page as the service's listener at the end. */
    EditComponent(Tonecrest::TonecrestEditorService* service, juce::PropertiesFile* settings,
                  iStatusDisplay* statusBar, iStatusDisplay* overlay);
    /** Leaves the service's listeners first, so no listener call reaches a half-destroyed page. */
    ~EditComponent() override;

    // ---- The other pages (set once by the main component) ------------------------------------

    /** Store the page and refresh every view on the next update. */
    void setGlobalComponent(GlobalComponent* page);
    void setFootswitchAssignComponent(FootswitchAssignComponent* page);
    /** Also gives the page its row count (the service's user-cabinet count). */
    void setCabinetsComponent(CabinetsComponent* page);

    /** The main menu's "Update Firmware" (false) and "Update Firmware from File" (true). */
    void updateFirmware(bool fromFile);

    // ---- Parameter widgets (message thread; also used by the other pages) -------------------

    /** Ties a widget to a parameter: it is filled from the parameter's description and value
        now and after every change, and its user changes go to the service (one the service
        refuses is replaced by the service's value at once). */
    void bindParameterWidget(iParameterWidget* widget, TonecrestParamID id);
    /** Forgets every binding of the widget and silences its callback. */
    void unbindParameterWidget(iParameterWidget* widget);

    // ---- Errors (any thread) ----------------------------------------------------------------

    /** Queues an "Error" box with `message` (not the result's own text, which the log already
        has); boxes are shown by the next update, one after another in queue order. */
    void handleError(Tonecrest::Result result, const char* message);

    // ---- Page menu and preset header (message thread) -----------------------------------------

    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;
    /** The pop-up of every preset opened from the title. */
    void showPresetChooser();
    void selectPreviousPreset();
    void selectNextPreset();
    /** The effect panel's cabinet pop-up. */
    void showCabinetChooser();

    /** True when nothing is unsaved or the user agrees to discard the changes. */
    bool confirmDiscardChanges();

    // ---- Whole-preset, clipboard and preset-manager operations (message thread) ----------------
    // Each gathers its input through dialogs and file choosers, starts one service operation
    // and reports a refused start or a failed completion through handleError.

    /** Renames a preset through the rename dialog. */
    void renamePreset(int index);
    /** Stores the edit buffer into the current slot. */
    void savePreset();
    /** "Save Preset As...": a slot and a name, then the edit buffer is stored there and selected. */
    void onSaveAs();
    /** Writes a preset to a ".pre" file the user chooses (after the consent question). */
    void showExportDialogForPreset(int index);
    /** Reads a ".pre" file into the preset at index, whatever index the file names. */
    void showImportDialogForPreset(int index);
    /** Copies the selected block's parameters (and cabinet) for a later paste. */
    void copyCurrentBlockParams();
    void pasteParams();
    /** Runs the preset manager and hands a new preset order to the service. */
    void openPresetManager();

    /** The folder of the file last chosen in any of the page's file choosers, when it still
        exists; otherwise no file. */
    juce::File getLastDirectory() const;
    /** Remembers the chosen file's folder (or the folder itself) for the next chooser. */
    void setLastDirectory(const juce::File& file);
    /** `fileName` in the remembered folder, or in the documents folder when that is gone; the
        folder itself when fileName is empty. */
    juce::File getDefaultFile(const juce::String& fileName) const;
    /** True once the user has agreed to `text` with the "don't show again" toggle (remembered
        under settingsKey); otherwise asks, and false when the user cancels. */
    bool askForConsent(const char* settingsKey, const juce::String& text);

    // ---- Handlers ------------------------------------------------------------------------------

    void handleAsyncUpdate() override;

    void onSignalChainComponentBlockSelected(int blockID) override;
    void onSignalChainComponentBlockToggled(int blockID) override;

    void onPresetListPresetSelected(int row) override;
    void onPresetListPresetRenamed(int row, const juce::String& name) override;
    void onPresetListMenuRequested(int row) override;
    void onPresetListRenameRequested(int row) override;

    void onEditorServiceAllChanged() override;
    void onEditorServiceStateChanged(int state) override;
    void onEditorServicePresetChanged(int presetIndex) override;
    void onEditorServiceCurrentPresetChanged(int currentPreset) override;
    void onEditorServiceUserCabinetChanged(int userCabinetIndex) override;
    void onEditorServiceParameterChanged(TonecrestParamID id, const ParameterValue& value) override;
    void onEditorServiceParametersChanged() override;

    void onCabinetsComponentNameEdited(int slot, const juce::String& name) override;
    void onCabinetsComponentImport(int slot) override;
    void onCabinetsComponentExport(int slot) override;
    void onCabinetsComponentRename(int slot) override;
    void onCabinetsComponentCopyTo(int slot) override;

    void onBackupComponentBackup() override;
    void onBackupComponentRestore() override;
    void onBackupComponentUpdateFirmware(bool fromFile) override;

    void resized() override;

    // ---- Tables --------------------------------------------------------------------------------

    /** The status displays' texts in a service state (progress is used by the long operations). */
    static StatusTexts statusTextsForState(int state, const juce::String& lastError, double progress);
    /** The panel title of a block: "Amp" ... "Pitchshifter", "(No block selected)" for 0 and
        20 to 22, empty for anything else. */
    static juce::String blockTitleFor(int blockID);
    /** The block's enable parameter; 0 for a block without one. */
    static TonecrestParamID enableParameterOf(int blockID);
    /** The block's insert (routing) parameter; 0 for a block without one. */
    static TonecrestParamID insertParameterOf(int blockID);
    /** True for the 34 enable and insert parameters whose change redraws the strip and routing. */
    static bool isChainParameter(TonecrestParamID id);
    /** The unit text of a parameter description's unit code. */
    static juce::String unitText(int unitCode);

    // ---- Test seams: how the page talks to the user ----------------------------------------------

    /** Replaces the modal "Error" box. */
    void setAlertPresenter(AlertPresenter presenter) { alertPresenter = std::move(presenter); }
    /** Replaces the modal OK/Cancel box. */
    void setQuestionAsker(QuestionAsker asker) { questionAsker = std::move(asker); }
    /** Replaces the modal pop-up menus (page menu, preset chooser, cabinet chooser). */
    void setMenuRunner(MenuRunner runner) { menuRunner = std::move(runner); }
    /** Replaces the native file choosers. */
    void setFileChooserRunner(FileChooserRunner runner) { fileChooserRunner = std::move(runner); }
    /** Replaces where the built-in firmware archive comes from. */
    void setBuiltInFirmwareLoader(ArchiveLoader loader) { builtInFirmwareLoader = std::move(loader); }

    // ---- Views, read by the tests ------------------------------------------------------------------

    SimpleTextButton& getPresetTitle() const { return *presetTitle; }
    SimpleImageButton& getPreviousPresetButton() const { return *previousPresetButton; }
    SimpleImageButton& getNextPresetButton() const { return *nextPresetButton; }
    SimpleImageButton& getSaveButton() const { return *saveButton; }
    SimpleImageButton& getSaveAsButton() const { return *saveAsButton; }
    SimpleImageButton& getPresetManagerButton() const { return *presetManagerButton; }
    SignalChainComponent& getSignalChain() const { return *signalChain; }
    const SimpleLabel& getBlockTitle() const { return *blockTitle; }
    const SimpleLabel& getPitchNote() const { return *pitchNote; }
    const SimpleLabel& getRoutingTitle() const { return *routingTitle; }
    EffectParameters& getEffectParameters() const { return *effectParameters; }
    juce::Viewport& getEffectViewport() const { return *effectViewport; }
    PresetList& getPresetList() const { return *presetList; }
    const std::vector<RoutingRow>& getRoutingRows() const { return routingRows; }
    ParameterKnob& getAmpKnob(int i) const { return *ampKnobs[size_t(i)]; }
    SimpleLabel& getAmpKnobCaption(int i) const { return *ampKnobCaptions[size_t(i)]; }
    ParameterLabel& getAmpKnobReadout(int i) const { return *ampKnobReadouts[size_t(i)]; }
    ParameterPopupMenu* getCabinetMenu() const { return cabinetMenu; }
    const std::vector<iParameterWidget*>& getPanelWidgets() const { return panelWidgets; }
    /** Every widget bound to the parameter, in binding order. */
    std::vector<iParameterWidget*> getBoundWidgets(TonecrestParamID id) const;
    int getSelectedBlock() const;
    /** Update passes run so far. */
    int getUpdatePassCount() const { return updatePasses; }

private:
    /** Everything the update takes at once from pageMutex. */
    struct PendingWork
    {
        std::vector<int> dirtyPresets;
        std::vector<int> dirtyUserCabinets;
        std::vector<TonecrestParamID> changedParameters;
        std::vector<std::function<void()>> pendingActions;
        bool stateChanged = false;
        bool resendParameterInfo = false;
        bool refreshAllParameters = false;
        bool currentPresetChanged = false;
        bool blockChanged = false;
        bool chainChanged = false;
        bool presetTitleChanged = false;
        int selectedBlock = 1;
        int presetToSelect = -1;
        double operationProgress = -1.0;
    };

    void addAmpControl(TonecrestParamID id, const char* caption);
    void addRoutingRow(const char* caption, TonecrestParamID id, std::vector<const char*> options, int xOffset,
                       int inset);
    void onRoutingOptionClicked(size_t row, int option);
    void goToPreset(int index);

    /** Shows the service's value of the parameter again in every widget bound to it and in
        its routing row (after a refused write). */
    void showServiceValue(TonecrestParamID id);
    /** Lights the option of the row's value (option 0 when it cannot be read). */
    void showRoutingRow(RoutingRow& row);
    /** Fills the widget from the parameter's description (when sendInfo) and value. */
    void refreshWidget(iParameterWidget* widget, TonecrestParamID id, bool sendInfo);
    static ParameterWidgetInfo makeWidgetInfo(const Tonecrest::TonecrestEditorService::ParameterInfo& info);

    // The update's steps, message thread, without pageMutex.
    PendingWork takePendingWork();
    void updatePresetRows(const std::vector<int>& indexes);
    void updateUserCabinetRows(const std::vector<int>& indexes);
    void updateParameters(const PendingWork& work);
    void updateCabinetReadout();
    void updatePresetTitle(const PendingWork& work);
    void rebuildEffectPanel(int block);
    /** True when this update shows the end of a refresh. */
    bool updateStatus(double progress);
    void updateChain();
    void runActions(std::vector<std::function<void()>> actions);

    void showAlert(const juce::String& message);
    bool askQuestion(const juce::String& title, const juce::String& message, const juce::String& confirmText,
                     const juce::String& cancelText);
    int runMenu(const juce::PopupMenu& menu, const juce::PopupMenu::Options& options);
    juce::File chooseFile(const FileRequest& request);
    /** Asks for a new name in the rename dialog, starting from what `read` found, and hands it
        to `rename`; each failure is reported with the operation's own text. */
    void renameThroughDialog(Tonecrest::Result read, const std::string& currentName, const char* title,
                             const char* prompt, const std::function<Tonecrest::Result(const std::string&)>& rename,
                             const char* renameFailedText);

    /** The page as completions on the service's worker may reach it: only while it exists, and
        the page is not destroyed while one runs. */
    struct PageLink
    {
        std::mutex mutex;
        EditComponent* page = nullptr;
    };
    /** Runs action with the page, unless the page has gone. Any thread. */
    static void withPage(const std::shared_ptr<PageLink>& link, const std::function<void(EditComponent&)>& action);
    /** A progress callback that shows the long operation's progress on the overlay. */
    Tonecrest::TonecrestEditorService::Progress makeProgressCallback();
    /** Sets the overlay's progress to 0 before a long operation starts. */
    void resetOperationProgress();
    /** Writes a file on the worker, the old one kept until the new one is complete; reports
        "Failed to overwrite file" or failedText. */
    static void exportFile(const std::shared_ptr<PageLink>& link, const juce::File& file,
                           const std::function<Tonecrest::Result(Tonecrest::IOutputStream&)>& write,
                           const char* failedText);
    /** Loads the firmware archive of an update; false (reported) when it cannot. */
    bool loadFirmwareArchive(bool fromFile, Tonecrest::TonecrestData::Archive& archive);
    /** A device value as the whole number the views compare with; 0 for what no int holds. */
    static int truncateToInt(double value);
    static juce::String fromUTF8(const std::string& text);

    Tonecrest::TonecrestEditorService* editorService;
    juce::PropertiesFile* settings;

    std::unique_ptr<SimpleTextButton> presetTitle;
    std::unique_ptr<SimpleImageButton> nextPresetButton;
    std::unique_ptr<SimpleImageButton> previousPresetButton;
    std::unique_ptr<SimpleImageButton> saveButton;
    std::unique_ptr<SimpleImageButton> saveAsButton;
    std::unique_ptr<SimpleImageButton> presetManagerButton;
    std::unique_ptr<SignalChainComponent> signalChain;
    std::unique_ptr<SimpleLabel> blockTitle;
    std::unique_ptr<EffectParameters> effectParameters;
    std::unique_ptr<juce::Viewport> effectViewport; // shows effectParameters, does not own it
    std::unique_ptr<SimpleLabel> routingTitle;
    std::unique_ptr<SimpleLabel> pitchNote;
    std::vector<RoutingRow> routingRows;
    std::unique_ptr<PresetList> presetList;

    // Guarded by pageMutex: the pending-work record.
    mutable std::mutex pageMutex;
    PendingWork pending;
    bool refreshSeen = false;
    Tonecrest::TonecrestEditorService::CopiedParameterData copiedParams;

    // Message thread only.
    /** A bound widget with a watch on its component: a page that goes away without unbinding
        its widgets leaves entries that are skipped and dropped instead of used. */
    struct BoundWidget
    {
        iParameterWidget* widget;
        juce::Component::SafePointer<juce::Component> component;
    };
    std::multimap<TonecrestParamID, BoundWidget> bindings;
    /** Drops the entries whose widget is gone. */
    void forgetDeletedWidgets();
    std::vector<std::unique_ptr<ParameterKnob>> ampKnobs;
    std::vector<std::unique_ptr<SimpleLabel>> ampKnobCaptions;
    std::vector<std::unique_ptr<ParameterLabel>> ampKnobReadouts;
    std::vector<iParameterWidget*> panelWidgets;
    ParameterPopupMenu* cabinetMenu = nullptr;
    /** The block whose controls the panel holds; -1 before the first build. */
    int panelBlock = -1;
    /** What the strip was last told, so that an unchanged block is not redrawn. */
    std::map<int, int> shownInserts;
    std::map<int, bool> shownEnables;
    bool currentPresetModified = false;
    /** What the displays show, and when it was put there (0: never). */
    StatusTexts shownStatus;
    juce::uint32 statusShownAtMs = 0;
    /** Brings a state change held back by the interval onto the displays. */
    struct StatusTimer : juce::Timer
    {
        std::function<void()> onTime;
        void timerCallback() override
        {
            stopTimer();
            if (onTime)
                onTime();
        }
    };
    StatusTimer statusTimer;
    /** Alerts waiting for the box in front of them to close. */
    std::deque<std::function<void()>> actionQueue;
    bool runningActions = false;
    int updatePasses = 0;

    iStatusDisplay* statusBar;
    iStatusDisplay* overlay;
    GlobalComponent* globalPage = nullptr;
    FootswitchAssignComponent* footswitchPage = nullptr;
    CabinetsComponent* cabinetsPage = nullptr;

    AlertPresenter alertPresenter;
    QuestionAsker questionAsker;
    MenuRunner menuRunner;
    FileChooserRunner fileChooserRunner;
    ArchiveLoader builtInFirmwareLoader;

    std::shared_ptr<PageLink> link = std::make_shared<PageLink>();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(EditComponent)
};
