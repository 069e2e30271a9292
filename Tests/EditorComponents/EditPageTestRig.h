#pragma once

// The edit page on the real editor service, connected to a simulated pedal, with the page's
// modal boxes and pop-up menus replaced by recorders, so that a test plays the user and the
// message thread at once.

#include "Application/FileTestHelpers.h"
#include "EditComponent.h"
#include "GuiTestFixture.h"
#include "ModalDialogScript.h"
#include "OverlayComponent.h"
#include "RenameDialog.h"
#include "Protocol/EditorServiceTestRig.h"
#include "StatusBar.h"
#include "TonecrestParamMap.h"

#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace EditPageTesting
{

using Tonecrest::TonecrestEditorService;
using Tonecrest::TonecrestParamID;
using Tonecrest::TonecrestParamMap;
using Tonecrest::Testing::EditorServiceRig;
using Tonecrest::Testing::SimulatedPedal;

/** The parameter's storage key and device value for a display value, as the pedal stores it. */
inline std::pair<uint32_t, float> deviceEntry(TonecrestParamID id, double displayValue)
{
    static const TonecrestParamMap table;
    const auto* info = table.findParameterInfo(id);
    EXPECT_NE(info, nullptr) << "parameter " << id;
    if (info == nullptr)
        return { 0xFFFFFFFFu, 0.0f };
    float deviceValue = 0.0f;
    EXPECT_TRUE(TonecrestParamMap::encodeParameterValue(*info, { info->kind, displayValue }, deviceValue).ok);
    return { uint32_t(info->deviceIndex), deviceValue };
}

/** A preset or globals list from display values by parameter. */
inline Tonecrest::TonecrestData::ParameterMap parameterList(const std::map<TonecrestParamID, double>& values)
{
    Tonecrest::TonecrestData::ParameterMap list;
    for (const auto& [id, value] : values)
        list.insert(deviceEntry(id, value));
    return list;
}

/** Runs `look` on the dialog content of type T, then clicks the button with this text. */
template <typename T>
ModalDialogScript::Step lookThenClick(std::function<void(T&)> look, const juce::String& button)
{
    return ModalDialogScript::editThen<T>(std::move(look), ModalDialogScript::clickButton(button));
}

/** What a rename dialog showed when it opened. */
struct ShownRename
{
    juce::String name, prompt;
};

/** Answers two rename dialogs: the first is recorded in `shown` and confirmed with `newName`,
    the second gets other text typed and is cancelled. */
inline std::vector<ModalDialogScript::Step> renameThenCancel(ShownRename& shown, const juce::String& newName)
{
    return {
        lookThenClick<RenameDialog>(
            [&shown, newName](RenameDialog& dialog) {
                shown = { dialog.getNameField().getText(), dialog.getPromptLabel().getText() };
                dialog.getNameField().setText(newName);
            },
            "RENAME"),
        lookThenClick<RenameDialog>([](RenameDialog& dialog) { dialog.getNameField().setText("Ignored"); }, "CANCEL"),
    };
}

/** The message id the pedal sees for a parameter. */
inline unsigned messageIdOf(TonecrestParamID id)
{
    static const TonecrestParamMap table;
    const auto* info = table.findParameterInfo(id);
    return info != nullptr ? info->messageId : 0;
}

class EditPageTest : public GuiTest
{
protected:
    struct Question
    {
        juce::String title, message, confirmText, cancelText;
    };

    /** Builds the page over the rig's service (connected or not), with the recorders. */
    void makePage()
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "settings";
        options.filenameSuffix = ".settings";
        settings = std::make_unique<juce::PropertiesFile>(settingsFolder.child("settings.settings"), options);
        page = std::make_unique<EditComponent>(rig.service.get(), settings.get(), &statusBar, &overlay);
        page->setBounds(0, 0, 1052, 677);
        page->setAlertPresenter([this](const juce::String& message) {
            alerts.push_back(message);
            if (onAlert)
                onAlert(message);
        });
        page->setQuestionAsker([this](const juce::String& title, const juce::String& message,
                                      const juce::String& confirmText, const juce::String& cancelText) {
            questions.push_back({ title, message, confirmText, cancelText });
            return answer;
        });
        page->setMenuRunner([this](const juce::PopupMenu& menu, const juce::PopupMenu::Options& options) {
            menus.push_back(menu);
            menuTargets.push_back(options.getTargetComponent());
            return chooseFromMenu ? chooseFromMenu(menu) : 0;
        });
        page->setFileChooserRunner([this](const EditComponent::FileRequest& request) {
            fileRequests.push_back(request);
            return chooseFileAnswer ? chooseFileAnswer(request) : juce::File();
        });
    }

    /** Connects, waits for ready, refreshes, then lets the page catch up. */
    void connectAndRefresh()
    {
        rig.connectAndRefresh();
        settle();
    }

    /** Runs the message loop for about `ms` milliseconds. */
    static void pump(int ms) { juce::MessageManager::getInstance()->runDispatchLoopUntil(ms); }

    /** Pumps until `done` holds (real time bound only against hangs). */
    static bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 20000)
    {
        const auto end = juce::Time::getMillisecondCounter() + juce::uint32(timeoutMs);
        while (!done())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return false;
            pump(5);
        }
        return true;
    }

    /** Lets every queued task finish and the page take in what they reported. */
    void settle()
    {
        rig.drain();
        pump(30);
        rig.drain();
        pump(30);
    }

    /** A click as the mouse makes it: down and up on the button. */
    static void click(SimpleImageButton& button)
    {
        button.mouseDown(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
        button.mouseUp(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
    }

    /** A press on a box that opens its menu on mouse down. */
    static void press(juce::Component& box) { box.mouseDown(mouseEvent(box, { 5.0f, 5.0f }, { 5.0f, 5.0f })); }

    /** Answers every file chooser with this file. */
    void answerChoosersWith(const juce::File& file)
    {
        chooseFileAnswer = [file](const EditComponent::FileRequest&) { return file; };
    }

    /** The title, patterns and kind of a chooser the page asked for. */
    static void expectRequest(const EditComponent::FileRequest& request, const char* title, const char* patterns,
                              bool save)
    {
        EXPECT_EQ(request.title, title);
        EXPECT_EQ(request.patterns, patterns) << title;
        EXPECT_EQ(request.save, save) << title;
    }

    size_t blockWriteCount() const { return rig.connection.pedal.blockWrites().size(); }

    /** The id of the menu item with this text (sub-menus included), 0 when there is none. */
    static int itemId(const juce::PopupMenu& menu, const juce::String& text)
    {
        juce::PopupMenu::MenuItemIterator items(menu, true);
        while (items.next())
            if (items.getItem().text == text)
                return items.getItem().itemID;
        return 0;
    }

    /** Every (id, text) of the menu's top level, separators as (0, "-"). */
    static std::vector<std::pair<int, juce::String>> topLevelItems(const juce::PopupMenu& menu)
    {
        std::vector<std::pair<int, juce::String>> seen;
        juce::PopupMenu::MenuItemIterator items(menu);
        while (items.next())
        {
            const auto& item = items.getItem();
            seen.emplace_back(item.isSeparator ? 0 : item.itemID, item.isSeparator ? juce::String("-") : item.text);
        }
        return seen;
    }

    /** Which options of a routing row are lit. */
    std::vector<bool> litOptions(size_t row) const
    {
        std::vector<bool> lit;
        for (const auto& option : page->getRoutingRows()[row].options)
            lit.push_back(option->latched);
        return lit;
    }

    /** The last value the pedal received for a parameter, or NaN. */
    float pedalValue(TonecrestParamID id) const
    {
        const auto values = rig.connection.pedal.parameterValues();
        const auto found = values.find(messageIdOf(id));
        return found != values.end() ? found->second : std::numeric_limits<float>::quiet_NaN();
    }

    SimulatedPedal& pedal() { return rig.connection.pedal; }

    EditorServiceRig rig;
    StatusBar statusBar;
    OverlayComponent overlay;
    std::vector<juce::String> alerts;
    std::function<void(const juce::String&)> onAlert;
    std::vector<Question> questions;
    bool answer = true;
    std::vector<juce::PopupMenu> menus;
    std::vector<juce::Component*> menuTargets;
    std::function<int(const juce::PopupMenu&)> chooseFromMenu;
    std::vector<EditComponent::FileRequest> fileRequests;
    /** The file the user picks in a chooser; no file (cancel) when unset. */
    std::function<juce::File(const EditComponent::FileRequest&)> chooseFileAnswer;
    Tonecrest::Testing::ScratchFolder scratch;        // for the files a test chooses
    Tonecrest::Testing::ScratchFolder settingsFolder; // the settings file, apart
    std::unique_ptr<juce::PropertiesFile> settings;
    std::unique_ptr<EditComponent> page; // leaves the service's listeners before the rig goes
};

} // namespace EditPageTesting
