#include "DragBar.h"

void DragBar::mouseDown(const juce::MouseEvent& e)
{
    if (auto* window = getTopLevelComponent())
        dragger.startDraggingComponent(window, e);
}

void DragBar::mouseDrag(const juce::MouseEvent& e)
{
    if (auto* window = getTopLevelComponent())
        dragger.dragComponent(window, e, nullptr);
}
