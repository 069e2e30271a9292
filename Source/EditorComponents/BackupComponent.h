#pragma once

#include "AppImageID.h"
#include "SimpleImageButton.h"
#include "SimpleLabel.h"
#include "iMainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The backup page: a RESTORE and a BACKUP button with their captions, and the same two actions
    in the page's part of the main menu. It does no work itself: backup, restore and the firmware
    update are its Handler's (the edit page). The background is the main component's. Message
    thread only. */
class BackupComponent : public iMainComponent
{
public:
    /** What the page asks of its owner. Message thread. */
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** Back the pedal up to a file. */
        virtual void onBackupComponentBackup() = 0;
        /** Restore the pedal from a backup file. */
        virtual void onBackupComponentRestore() = 0;
        /** Update the firmware from a chosen file, or from the built-in archive. The page
            never calls it: the main menu's firmware items reach it through the edit page. */
        virtual void onBackupComponentUpdateFirmware(bool fromFile) = 0;
    };

    /** The page's own menu items. */
    enum MenuItem
    {
        backupItem = 1,
        restoreItem = 2
    };

    /** Shows a menu modally and returns the chosen id (0 when dismissed); the default shows it
        at the target, or at the mouse when the target is null. */
    using MenuRunner = std::function<int(const juce::PopupMenu& menu, juce::Component* target)>;

    /** handler may be null: then the page's actions do nothing. */
    explicit BackupComponent(Handler* handler);

    /** Appends Backup and Restore after the base menu and acts on them; returns the chosen id so
        the base items reach the main component. */
    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;

    /** Replaces the modal menu (tests answer it). */
    void setMenuRunner(MenuRunner runner) { menuRunner = std::move(runner); }

    SimpleImageButton& getBackupButton() const { return *backupButton; }
    SimpleImageButton& getRestoreButton() const { return *restoreButton; }
    /** Titles and captions in layout order. */
    const juce::Array<SimpleLabel*>& getLabels() const { return labels; }

private:
    /** Keeps the child in `children` and hands it back typed. */
    template <typename T>
    T* own(T* child)
    {
        children.add(child);
        return child;
    }
    SimpleLabel* addLabel(const char* text, juce::Rectangle<int> bounds, juce::Font font);
    SimpleImageButton* addButton(AppImageID normal, AppImageID pressed, juce::Rectangle<int> bounds,
                                 void (Handler::*action)());

    Handler* handler;
    juce::OwnedArray<juce::Component> children;
    juce::Array<SimpleLabel*> labels;
    SimpleImageButton* restoreButton = nullptr;
    SimpleImageButton* backupButton = nullptr;
    MenuRunner menuRunner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(BackupComponent)
};
