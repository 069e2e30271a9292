#include "MainComponent.h"

#include "AboutDialog.h"
#include "AppResources.h"
#include "BackupComponent.h"
#include "CCAssignComponent.h"
#include "CabinetsComponent.h"
#include "EditComponent.h"
#include "FootswitchAssignComponent.h"
#include "GlobalComponent.h"

MainComponent::MainComponent(Tonecrest::TonecrestEditorService* service, juce::PropertiesFile* settings)
{
    overlay = std::make_unique<OverlayComponent>();
    statusBar = std::make_unique<StatusBar>();
    addAndMakeVisible(*statusBar);
    statusBar->setInterceptsMouseClicks(false, false);
    statusBar->setBounds(12, 12, 350, 24);

    auto edit = std::make_unique<EditComponent>(service, settings, statusBar.get(), overlay.get());
    editComponent = edit.get();
    auto cabinets = std::make_unique<CabinetsComponent>(editComponent);
    auto global = std::make_unique<GlobalComponent>(editComponent, service);
    auto backup = std::make_unique<BackupComponent>(editComponent);
    auto footswitches = std::make_unique<FootswitchAssignComponent>(editComponent, service);
    auto midiCC = std::make_unique<CCAssignComponent>(editComponent, service);
    editComponent->setGlobalComponent(global.get());
    editComponent->setFootswitchAssignComponent(footswitches.get());
    editComponent->setCabinetsComponent(cabinets.get());

    addPage(editPage, std::move(edit), 2, AppImageID::editTabOff, AppImageID::editTabOn,
            AppImageID::editPageBackground);
    addPage(footswitchPage, std::move(footswitches), 152, AppImageID::footswitchTabOff, AppImageID::footswitchTabOn,
            AppImageID::footswitchPageBackground);
    addPage(midiCCPage, std::move(midiCC), 301, AppImageID::midiCCTabOff, AppImageID::midiCCTabOn,
            AppImageID::midiCCPageBackground);
    addPage(cabinetsPage, std::move(cabinets), 450, AppImageID::cabinetsTabOff, AppImageID::cabinetsTabOn,
            AppImageID::cabinetsPageBackground);
    addPage(globalPage, std::move(global), 599, AppImageID::globalTabOff, AppImageID::globalTabOn,
            AppImageID::globalPageBackground);
    addPage(backupPage, std::move(backup), 748, AppImageID::backupTabOff, AppImageID::backupTabOn,
            AppImageID::backupPageBackground);

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
    return editComponent->confirmDiscardChanges();
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
    editComponent->updateFirmware(fromFile);
}

void MainComponent::paint(juce::Graphics& g)
{
    if (!background.isValid() || getWidth() <= 0 || getHeight() <= 0)
        return;
    // Shrinking the double-resolution artwork is the costliest drawing of the window, and the
    // pages repaint under it with every status change: keep it shrunk to the size it is shown
    // at (in physical pixels) and copy that pixel for pixel.
    const float scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const int width = juce::jmax(1, juce::roundToInt(float(getWidth()) * scale));
    const int height = juce::jmax(1, juce::roundToInt(float(getHeight()) * scale));
    if (scaledBackground.getWidth() != width || scaledBackground.getHeight() != height
        || scaledBackgroundSource != background)
    {
        scaledBackground = background.rescaled(width, height, juce::Graphics::highResamplingQuality);
        scaledBackgroundSource = background;
    }
    juce::Graphics::ScopedSaveState state(g);
    g.setImageResamplingQuality(juce::Graphics::lowResamplingQuality);
    g.drawImageTransformed(scaledBackground, juce::AffineTransform::scale(float(getWidth()) / float(width),
                                                                           float(getHeight()) / float(height)));
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
