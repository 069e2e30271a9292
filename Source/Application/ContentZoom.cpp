#include "ContentZoom.h"

#include "MainComponent.h"

#include <algorithm>

ContentZoom::ContentZoom(MainComponent* mainComponent) : content(mainComponent)
{
    setSize(content->getWidth(), content->getHeight());
    addAndMakeVisible(*content);
}

void ContentZoom::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::black);
}

void ContentZoom::resized()
{
    const double scale = double(getWidth()) / double(std::max(content->getWidth(), 1));
    content->setTransform(juce::AffineTransform::scale(float(scale)));
}
