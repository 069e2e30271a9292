#pragma once

#include "ContentZoom.h"
#include "MainComponent.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tonecrest
{
class TonecrestEditorService;
}

/** The program's one top-level window: no native title bar (the main component draws its own),
    resizable only at the main component's aspect ratio, which it shows scaled through a
    ContentZoom. It remembers its position in the settings, asks the edit page before quitting,
    and toggles a zoom that fills the screen. Message thread only. */
class StandaloneFilterWindow : public juce::ResizableWindow
{
public:
    static constexpr int defaultWidth = 1052;
    static constexpr int defaultHeight = 677;
    static constexpr int noPosition = -100;

    /** settings may be null (nothing is remembered). */
    StandaloneFilterWindow(const juce::String& title, juce::PropertiesFile* settings,
                           Tonecrest::TonecrestEditorService* service);
    /** Deletes the content, then stores the window's position. */
    ~StandaloneFilterWindow() override;

    /** Quits the application unless the edit page objects. */
    void requestQuit();

    /** Tells the user, modally, that a newer editor is available. */
    void showUpdateNotice();

    /** The zoom toggle of the maximise button. */
    void toggleZoom();
    bool isZoomed() const { return zoomed; }

    MainComponent* getMainComponent() const { return mainComponent.get(); }

    void resized() override;
    /** The desktop's own close request (a window manager's close key or menu) quits the same way. */
    void userTriedToCloseWindow() override { requestQuit(); }
    int getDesktopWindowStyleFlags() const override;
    /** The main component draws the whole frame: no border around it. */
    juce::BorderSize<int> getBorderThickness() override { return {}; }

private:
    std::unique_ptr<MainComponent> mainComponent;
    juce::PropertiesFile* settings = nullptr;
    juce::Rectangle<int> savedBounds;
    bool zoomed = false;
    bool zoomChanging = false;
    juce::Rectangle<int> userArea; // the main display's, as it was at construction
};
