#pragma once

#include "SimpleImageButton.h"
#include "SimpleLabel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

class EditComponent;
class iParameterWidget;

/** The pieces the fixed-layout pages (footswitches, MIDI CC, global settings) build from: they
    own every child in one list and bind their parameter widgets through the edit page. Message
    thread only. */
class PageChildren
{
public:
    /** editor may be null: widgets are then left unbound. */
    PageChildren(juce::Component& page, EditComponent* editor);
    /** Unbinds every widget bound through bind, so the edit page keeps no dangling binding. */
    ~PageChildren();

    /** Adds the child to the page, visible, at `bounds`, and keeps it. */
    template <typename T>
    T* add(std::unique_ptr<T> child, juce::Rectangle<int> bounds)
    {
        auto* raw = child.get();
        raw->setBounds(bounds);
        page.addAndMakeVisible(*raw);
        children.push_back(std::move(child));
        return raw;
    }

    /** A caption that lets clicks through to the page. */
    SimpleLabel* addLabel(const juce::String& text, juce::Rectangle<int> bounds, juce::Font font,
                          juce::Colour colour, int justification = juce::Justification::centred);
    /** A readout arrow (left: images 36/37, right: 38/39). */
    SimpleImageButton* addArrow(bool left, juce::Rectangle<int> bounds);

    void bind(iParameterWidget* widget, int id);

    size_t size() const { return children.size(); }
    juce::Component* get(size_t index) const { return children[index].get(); }

private:
    juce::Component& page;
    EditComponent* editor;
    std::vector<iParameterWidget*> bound;
    std::vector<std::unique_ptr<juce::Component>> children;
};
