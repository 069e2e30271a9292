#include "MainComponent.h"

#include "AboutDialog.h"
#include "AppResources.h"
#include "PlaceholderPage.h"
#include "Result.h"

MainComponent::MainComponent(Tonecrest::TonecrestEditorService* service, juce::PropertiesFile* settings)
{
    overlay = std::make_unique<OverlayComponent>();
    statusBar = std::make_unique<StatusBar>();
    addAndMakeVisible(*statusBar);
    statusBar->setInterceptsMouseClicks(false, false);
    statusBar->setBounds(12, 12, 350, 24);

    // The pages get the service, the settings and the two status displays once they have
    // widgets of their own; until then each is an empty page over its background.
    juce::ignoreUnused(service, settings);
    auto edit = std::make_unique<PlaceholderPage>("Edit");
    editPageComponent = edit.get();

    addPage(editPage, std::move(edit), 2, AppImageID::editTabOff, AppImageID::editTabOn,
            AppImageID::editPageBackground);
    addPage(footswitchPage, std::make_unique<PlaceholderPage>("Footswitches"), 152, AppImageID::footswitchTabOff,
            AppImageID::footswitchTabOn, AppImageID::footswitchPageBackground);
    addPage(midiCCPage, std::make_unique<PlaceholderPage>("MIDI CC"), 301, AppImageID::midiCCTabOff,
            AppImageID::midiCCTabOn, AppImageID::midiCCPageBackground);
    addPage(cabinetsPage, std::make_unique<PlaceholderPage>("Cabinets"), 450, AppImageID::cabinetsTabOff,
            AppImageID::cabinetsTabOn, AppImageID::cabinetsPageBackground);
    addPage(globalPage, std::make_unique<PlaceholderPage>("Global"), 599, AppImageID::globalTabOff,
            AppImageID::globalTabOn, AppImageID::globalPageBackground);
    addPage(backupPage, std::make_unique<PlaceholderPage>("Backup"), 748, AppImageID::backupTabOff,
            AppImageID::backupTabOn, AppImageID::backupPageBackground);

    overlay->setBounds(0, 0, layoutWidth, layoutHeight);
    addAndMakeVisible(*overlay);

    dragBar = std::make_unique<DragBar>();
    addAndMakeVisible(*dragBar);

    closeButton = makeTitleBarButton(AppImageID::closeOff, AppImageID::closeOn, onClose);
    minimiseButton = makeTitleBarButton(AppImageID::minimiseOff, AppImageID::minimiseOn, onMinimise);
    maximiseButton = makeTitleBarButton(AppImageID::maximiseOff, AppImageID::maximiseOn, onToggleZoom);

    fileButton = std::make_unique<SimpleImageButton>(getAppImage(AppImageID::fileButtonOff),
                                                     getAppImage(AppImageID::fileButtonOn));
    fileButton->setBounds(897, 45, 153, 26);
    fileButton->onClick = [this] { showMainMenu(); };
    addAndMakeVisible(*fileButton);

    setPage(editPage);
    setSize(layoutWidth, layoutHeight);
}

MainComponent::~MainComponent()
{
    // Pages go first, last page first, while the displays they may point at still exist.
    while (!pages.empty())
        pages.pop_back();
}

std::unique_ptr<SimpleImageButton> MainComponent::makeTitleBarButton(AppImageID normal, AppImageID over,
                                                                    std::function<void()>& action)
{
    auto button = std::make_unique<SimpleImageButton>(getAppImage(normal), getAppImage(over));
    // The window sets the callbacks after construction: look them up at each click.
    button->onClick = [&action] {
        if (action)
            action();
    };
    addAndMakeVisible(*button);
    return button;
}

void MainComponent::addPage(Page page, std::unique_ptr<iMainComponent> component, int tabX, AppImageID tabNormal,
                            AppImageID tabOver, AppImageID pageBackground)
{
    auto tab = std::make_unique<SimpleImageButton>(getAppImage(tabNormal), getAppImage(tabOver));
    tab->setBounds(tabX, 45, 153, 26);
    tab->onClick = [this, page] { setPage(page); };
    addAndMakeVisible(*tab);
    addAndMakeVisible(*component);
    pages.push_back({ page, std::move(tab), std::move(component), pageBackground });
}

void MainComponent::setPage(Page page)
{
    currentPage = page;
    for (auto& record : pages)
    {
        const bool chosen = record.page == page;
        record.component->setVisible(chosen);
        record.tabButton->latched = chosen;
        record.tabButton->repaint();
        if (chosen)
            background = getAppImage(record.background);
    }
    repaint();
}

bool MainComponent::canQuit()
{
    // Nothing can be unsaved until the edit page holds a preset; it will answer here
    // ("Discard changes?") once it does.
    return true;
}

void MainComponent::showAbout()
{
    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = "About...";
    options.content.setOwned(new AboutDialog());
    options.componentToCentreAround = juce::Desktop::getInstance().getMainMouseSource().getComponentUnderMouse();
    options.dialogBackgroundColour = juce::Colour(0xFFD3D3D3);
    options.escapeKeyTriggersCloseButton = true;
    options.resizable = false;
    options.useBottomRightCornerResizer = false;
    options.runModal();
}

juce::PopupMenu MainComponent::createBaseMenu()
{
    juce::PopupMenu menu;
    menu.addItem(aboutItem, juce::translate("About..."), true, false);
    menu.addItem(updateFirmwareItem, juce::translate("Update Firmware"), true, false);
    menu.addItem(updateFirmwareFromFileItem, juce::translate("Update Firmware from File"), true, false);
    menu.addItem(quitItem, juce::translate("Quit"), true, false);
    menu.addSeparator();
    return menu;
}

void MainComponent::showMainMenu()
{
    auto* page = getPageComponent(Page(currentPage));
    if (page == nullptr)
        return;
    handleMenuResult(page->showMenu(fileButton.get(), createBaseMenu()));
}

void MainComponent::handleMenuResult(int result)
{
    switch (result)
    {
    case aboutItem:
        showAbout();
        break;
    case updateFirmwareItem:
        updateFirmware(false);
        break;
    case updateFirmwareFromFileItem:
        updateFirmware(true);
        break;
    case quitItem:
        if (onClose)
            onClose();
        break;
    default:
        break; // the page's own item, already handled, or dismissed
    }
}

void MainComponent::updateFirmware(bool fromFile)
{
    // FIRMWARE UPDATE HOOK: hand over to the edit page's updateFirmware(fromFile) (built-in
    // archive, or a ".tfu" file chosen by the user) once the edit page and the service's
    // firmware task exist. Until then the request only goes to the log.
    Tonecrest::log(Tonecrest::kLogWarning, "MainComponent: firmware update (%s) is not available in this build",
                   fromFile ? "from file" : "built-in");
}

void MainComponent::paint(juce::Graphics& g)
{
    if (background.isValid())
        g.drawImageWithin(background, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::stretchToFit);
}

void MainComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    dragBar->setBounds(0, 0, w, 46);
    minimiseButton->setBounds(973, 15, 18, 18);
    maximiseButton->setBounds(995, 15, 18, 18);
    closeButton->setBounds(1017, 15, 18, 18);

    for (auto& record : pages)
    {
        record.tabButton->toFront(false);
        record.component->setBounds(0, 0, w, h);
    }

    overlay->toFront(false);
    statusBar->toFront(false);
    dragBar->toFront(false);
    closeButton->toFront(false);
    minimiseButton->toFront(false);
    maximiseButton->toFront(false);
    fileButton->toFront(false);
}

iMainComponent* MainComponent::getPageComponent(Page page) const
{
    for (const auto& record : pages)
        if (record.page == page)
            return record.component.get();
    return nullptr;
}

SimpleImageButton* MainComponent::getTabButton(Page page) const
{
    for (const auto& record : pages)
        if (record.page == page)
            return record.tabButton.get();
    return nullptr;
}
