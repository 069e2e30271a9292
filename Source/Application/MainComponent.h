#pragma once

#include "AppImageID.h"
#include "DragBar.h"
#include "OverlayComponent.h"
#include "SimpleImageButton.h"
#include "StatusBar.h"
#include "iMainComponent.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace Tonecrest
{
class TonecrestEditorService;
}
class EditComponent;

/** The window's whole drawn surface, 1052 x 677 in fixed coordinates (the window scales it):
    the six pages with a tab each, one shown at a time over its background image, the title bar
    (drag strip, close, minimise and maximise), the status bar and busy overlay, and the file
    button that opens the main menu. Message thread only. */
class MainComponent : public juce::Component
{
public:
    enum Page
    {
        editPage = 0,
        footswitchPage = 1,
        midiCCPage = 2,
        cabinetsPage = 3,
        globalPage = 4,
        backupPage = 5
    };

    /** The main menu's own items; the page in front numbers its items below these. */
    enum MenuItem
    {
        aboutItem = 100,
        updateFirmwareItem = 101,
        updateFirmwareFromFileItem = 102,
        quitItem = 103
    };

    static constexpr int layoutWidth = 1052;
    static constexpr int layoutHeight = 677;

    // Set by the window.
    std::function<void()> onClose;
    std::function<void()> onMinimise;
    std::function<void()> onToggleZoom;

    MainComponent(Tonecrest::TonecrestEditorService* service, juce::PropertiesFile* settings);
    ~MainComponent() override;

    void setPage(Page page);
    int getCurrentPage() const { return currentPage; }

    /** Whether the program may quit now: the edit page asks about unsaved changes. */
    bool canQuit();

    /** The About box, modal. */
    void showAbout();

    /** About..., Update Firmware, Update Firmware from File, Quit, then a separator. */
    static juce::PopupMenu createBaseMenu();
    /** Opens the main menu at the file button through the page in front, then acts on the
        choice. Modal. */
    void showMainMenu();
    /** Acts on one of the base items; other ids belong to the page and are ignored here. */
    void handleMenuResult(int result);

    void paint(juce::Graphics& g) override;
    void resized() override;

    iMainComponent* getPageComponent(Page page) const;
    EditComponent& getEditPage() const { return *editComponent; }
    SimpleImageButton* getTabButton(Page page) const;
    SimpleImageButton& getCloseButton() const { return *closeButton; }
    SimpleImageButton& getMinimiseButton() const { return *minimiseButton; }
    SimpleImageButton& getMaximiseButton() const { return *maximiseButton; }
    SimpleImageButton& getFileButton() const { return *fileButton; }
    StatusBar& getStatusBar() const { return *statusBar; }
    OverlayComponent& getOverlay() const { return *overlay; }
    DragBar& getDragBar() const { return *dragBar; }
    const juce::Image& getBackground() const { return background; }

private:
    struct PageRecord
    {
        Page page;
        std::unique_ptr<SimpleImageButton> tabButton;
        std::unique_ptr<iMainComponent> component; // destroyed before its tab
        AppImageID background;
    };

    void addPage(Page page, std::unique_ptr<iMainComponent> component, int tabX, AppImageID tabNormal,
                 AppImageID tabOver, AppImageID pageBackground);
    std::unique_ptr<SimpleImageButton> makeTitleBarButton(AppImageID normal, AppImageID over,
                                                          std::function<void()>& action);
    /** The firmware update runs on the edit page (archive, options, the service's task). */
    void updateFirmware(bool fromFile);

    std::unique_ptr<OverlayComponent> overlay;
    std::unique_ptr<DragBar> dragBar;
    std::unique_ptr<StatusBar> statusBar;
    std::unique_ptr<SimpleImageButton> closeButton;
    std::unique_ptr<SimpleImageButton> minimiseButton;
    std::unique_ptr<SimpleImageButton> maximiseButton;
    std::unique_ptr<SimpleImageButton> fileButton;
    EditComponent* editComponent = nullptr; // owned by its page record
    int currentPage = 0;
    juce::Image background;
    juce::Image scaledBackground;       // background at the size last drawn
    juce::Image scaledBackgroundSource; // the background it was made from
    std::vector<PageRecord> pages;
};
