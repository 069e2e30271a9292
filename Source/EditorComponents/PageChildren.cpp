#include "PageChildren.h"

#include "AppResources.h"
#include "EditComponent.h"

PageChildren::PageChildren(juce::Component& owner, EditComponent* e) : page(owner), editor(e)
{
}

PageChildren::~PageChildren()
{
    if (editor != nullptr)
        for (auto* widget : bound)
            editor->unbindParameterWidget(widget);
}

SimpleLabel* PageChildren::addLabel(const juce::String& text, juce::Rectangle<int> bounds, juce::Font font,
                                    juce::Colour colour, int justification)
{
    auto label = std::make_unique<SimpleLabel>(text.toRawUTF8());
    label->font = font;
    label->setTextColour(colour);
    label->justification = justification;
    label->setInterceptsMouseClicks(false, false);
    return add(std::move(label), bounds);
}

SimpleImageButton* PageChildren::addArrow(bool left, juce::Rectangle<int> bounds)
{
    const auto normal = left ? AppImageID::readoutArrowLeftOff : AppImageID::readoutArrowRightOff;
    const auto over = left ? AppImageID::readoutArrowLeftOn : AppImageID::readoutArrowRightOn;
    return add(std::make_unique<SimpleImageButton>(getAppImage(normal), getAppImage(over)), bounds);
}

void PageChildren::bind(iParameterWidget* widget, int id)
{
    if (editor == nullptr || widget == nullptr)
        return;
    editor->bindParameterWidget(widget, Tonecrest::TonecrestParamID(id));
    bound.push_back(widget);
}
