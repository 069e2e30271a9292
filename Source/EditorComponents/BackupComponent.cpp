#include "BackupComponent.h"

#include "AppResources.h"

BackupComponent::BackupComponent(Handler* h) : handler(h)
{
    setName("Backup");

    addLabel("RESTORE", { 337, 235, 106, 24 }, backupTitleFont);
    restoreButton = addButton(AppImageID::restoreButtonOff, AppImageID::restoreButtonOn, { 356, 269, 68, 102 },
                              &Handler::onBackupComponentRestore);
    addLabel("Load A Previously Saved", { 308, 388, 164, 16 }, backupTextFont);
    addLabel("Backup Into Tonecrest.", { 308, 404, 164, 16 }, backupTextFont);

    addLabel("BACKUP", { 613, 235, 106, 24 }, backupTitleFont);
    backupButton = addButton(AppImageID::backupButtonOff, AppImageID::backupButtonOn, { 632, 269, 68, 102 },
                             &Handler::onBackupComponentBackup);
    addLabel("Backup Your Tonecrest", { 584, 388, 164, 16 }, backupTextFont);
    addLabel("Settings To File.", { 584, 404, 164, 16 }, backupTextFont);
}

SimpleLabel* BackupComponent::addLabel(const char* text, juce::Rectangle<int> bounds, juce::Font font)
{
    auto* label = own(new SimpleLabel(text));
    label->setTextColour(pageLabelColour);
    label->font = font;
    label->setBounds(bounds);
    label->setInterceptsMouseClicks(false, false);
    addAndMakeVisible(label);
    labels.add(label);
    return label;
}

SimpleImageButton* BackupComponent::addButton(AppImageID normal, AppImageID pressed, juce::Rectangle<int> bounds,
                                              void (Handler::*action)())
{
    auto* button = own(new SimpleImageButton(getAppImage(normal), getAppImage(pressed)));
    button->setBounds(bounds);
    button->onClick = [this, action] {
        if (handler != nullptr)
            (handler->*action)();
    };
    addAndMakeVisible(button);
    return button;
}

int BackupComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::PopupMenu menu(baseMenu);
    menu.addItem(backupItem, juce::translate("Backup"), true, false);
    menu.addItem(restoreItem, juce::translate("Restore"), true, false);

    const int result = menuRunner ? menuRunner(menu, target) : showMenuAt(target, menu);
    if (handler != nullptr)
    {
        if (result == backupItem)
            handler->onBackupComponentBackup();
        else if (result == restoreItem)
            handler->onBackupComponentRestore();
    }
    return result;
}
