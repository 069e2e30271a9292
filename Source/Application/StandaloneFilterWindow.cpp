#include "StandaloneFilterWindow.h"

#include "AboutDialog.h"

#include <algorithm>

StandaloneFilterWindow::StandaloneFilterWindow(const juce::String& title, juce::PropertiesFile* settingsFile,
                                               Tonecrest::TonecrestEditorService* service)
    : juce::ResizableWindow(title, juce::Colours::black, true), settings(settingsFile)
{
    setUsingNativeTitleBar(false);
    setResizable(true, true);

    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        userArea = display->userArea;

    setResizeLimits(defaultWidth / 2, defaultHeight / 2, std::max(userArea.getWidth(), defaultWidth * 2),
                    std::max(userArea.getHeight(), defaultHeight * 2));
    setSize(defaultWidth, defaultHeight);
    getConstrainer()->setFixedAspectRatio(double(defaultWidth) / double(defaultHeight));

    mainComponent = std::make_unique<MainComponent>(service, settings);
    setContentOwned(new ContentZoom(mainComponent.get()), true);

    mainComponent->onClose = [this] { requestQuit(); };
    mainComponent->onMinimise = [this] { setMinimised(true); };
    mainComponent->onToggleZoom = [this] { toggleZoom(); };

    if (settings != nullptr)
    {
        const int x = settings->getIntValue("windowX", noPosition);
        const int y = settings->getIntValue("windowY", noPosition);
        if (x != noPosition && y != noPosition)
        {
            setBoundsConstrained({ x, y, defaultWidth, defaultHeight });
            return;
        }
    }
    centreWithSize(getWidth(), getHeight());
}

StandaloneFilterWindow::~StandaloneFilterWindow()
{
    clearContentComponent();
    mainComponent.reset();
    if (settings != nullptr)
    {
        settings->setValue("windowX", getX());
        settings->setValue("windowY", getY());
    }
}

void StandaloneFilterWindow::requestQuit()
{
    if (mainComponent == nullptr || mainComponent->canQuit())
        juce::JUCEApplicationBase::quit();
}

void StandaloneFilterWindow::showUpdateNotice()
{
    // Declared before the alert, which does not own its custom components.
    juce::HyperlinkButton link(AboutDialog::getSupportPageAddress(), juce::URL(AboutDialog::getSupportPageAddress()));
    link.setBounds(0, 0, 400, 28);
    link.setName({});

    juce::AlertWindow alert("Update",
                            "A new version of the TONECREST Editor is available.\n"
                            "Please visit the Ferrox Amps website for more information:",
                            juce::MessageBoxIconType::NoIcon);
    alert.addCustomComponent(&link);
    alert.addButton("OK", 1, juce::KeyPress(juce::KeyPress::returnKey));
    alert.runModalLoop();
}

void StandaloneFilterWindow::toggleZoom()
{
    zoomChanging = true;
    const bool wasZoomed = zoomed;
    zoomed = !zoomed;

    juce::Rectangle<int> bounds;
    if (wasZoomed)
    {
        bounds = savedBounds;
    }
    else
    {
        savedBounds = getBounds();
        const double aspect = double(defaultWidth) / double(defaultHeight);
        const int areaWidth = userArea.getWidth();
        const int areaHeight = userArea.getHeight();
        int x = getX();
        int y = getY();
        int width = 0;
        int height = 0;
        if (aspect > double(areaWidth) / double(std::max(areaHeight, 1)))
        {
            width = areaWidth;
            height = int(double(areaWidth) / aspect);
        }
        else
        {
            height = areaHeight;
            width = int(double(areaHeight) * aspect);
        }
        if (x + width > areaWidth)
            x = areaWidth - width;
        if (y + height > areaHeight)
            y = areaHeight - height;
        x = std::max(x, userArea.getX());
        y = std::max(y, userArea.getY());
        bounds = { x, y, width, height };
    }

    setBounds(bounds);
    zoomChanging = false;
}

void StandaloneFilterWindow::resized()
{
    if (!zoomChanging)
        zoomed = false;
    juce::ResizableWindow::resized();
}

int StandaloneFilterWindow::getDesktopWindowStyleFlags() const
{
    return juce::ResizableWindow::getDesktopWindowStyleFlags() | juce::ComponentPeer::windowHasMinimiseButton;
}
