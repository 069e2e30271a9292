#pragma once

#include "PageChildren.h"
#include "ParameterKnob.h"
#include "ParameterLabel.h"
#include "ParameterMenu.h"
#include "TonecrestEditorService.h"
#include "iMainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <map>

class EditComponent;

/** The global-settings page. Its knobs, menus and value boxes are bound through the edit page
    (EditComponent::bindParameterWidget), which keeps them current; its toggles and radio
    buttons show their parameter through updaters, which the edit page runs through refreshAll
    and onParameterChanged. Message thread only. */
class GlobalComponent : public iMainComponent
{
public:
    using Updater = std::function<void(const Tonecrest::TonecrestEditorService::ParameterValue&)>;

    /** A parameter's controls on the page; the fields its kind does not use stay null. */
    struct Controls
    {
        ParameterKnob* knob = nullptr;
        ParameterLabel* readout = nullptr;   // a knob's value, or a value box
        ParameterMenu* menu = nullptr;
        SimpleImageButton* left = nullptr;   // a selector's or value box's arrows
        SimpleImageButton* right = nullptr;
        SimpleImageButton* toggle = nullptr;
        std::map<int, SimpleImageButton*> radioButtons; // by the value each one stands for
    };

    /** editor is used only to bind widgets; either pointer may be null. */
    GlobalComponent(EditComponent* editor, Tonecrest::TonecrestEditorService* service);

    /** Reads every updater's parameter and hands it the value; a failed read leaves that
        control as it is. */
    void refreshAll();
    /** The same for the updaters of one parameter (read once). */
    void onParameterChanged(Tonecrest::TonecrestParamID id);

    /** No items of its own: shows the base menu as it is. */
    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;

    /** The controls of a parameter (all null when the page has none). */
    const Controls& getControls(Tonecrest::TonecrestParamID id) const;
    /** Every child in creation order. */
    size_t getNumPageChildren() const { return children.size(); }
    juce::Component* getPageChild(size_t index) const { return children.get(index); }

protected:
    /** Registers a control's updater; several may share a parameter (a radio group). */
    void addUpdater(Tonecrest::TonecrestParamID id, Updater updater);

private:
    struct Point
    {
        int x, y;
    };

    void addSectionTitle(int x, int y, const char* text);
    void addLabel(int x, int y, int w, int h, const char* text);
    void addKnob(Point value, Point knob, Point name, const char* text, Tonecrest::TonecrestParamID id);
    void addSelectorBox(juce::Rectangle<int> box, Point left, Point right, int arrowHeight, int background,
                        Tonecrest::TonecrestParamID id);
    void addValueWithButtons(int x, int y, int w, Point left, Point right, Tonecrest::TonecrestParamID id);
    void addToggle(int x, int y, Tonecrest::TonecrestParamID id);
    void addRadioButton(int x, int y, Tonecrest::TonecrestParamID id, int value);

    static void stepValueBox(ParameterLabel& box, int direction);
    void toggleClicked(SimpleImageButton& button, Tonecrest::TonecrestParamID id);

    EditComponent* editor;
    Tonecrest::TonecrestEditorService* service;
    std::multimap<Tonecrest::TonecrestParamID, Updater> updaters;
    std::map<Tonecrest::TonecrestParamID, Controls> controls;
    PageChildren children;
};
