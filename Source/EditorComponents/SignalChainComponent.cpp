#include "SignalChainComponent.h"

#include "AppResources.h"

#include <cmath>

namespace
{
constexpr int blockSize = 40;
constexpr int blockRadioGroup = 1;
constexpr int allEdges = juce::Button::ConnectedOnLeft | juce::Button::ConnectedOnRight
                       | juce::Button::ConnectedOnTop | juce::Button::ConnectedOnBottom;
const juce::Colour enabledCaptionColour { 0xFF000000 };
const juce::Colour disabledCaptionColour { 0xFF939393 };
const juce::Colour signalLineColour { 0xFF8B1515 };

float wrapHue(float hue)
{
    return hue - std::floor(hue);
}
} // namespace

std::vector<SignalChainComponent::BlockDescriptor> SignalChainComponent::editPageBlocks()
{
    struct Entry
    {
        int blockID;
        const char* name;
        bool topRow;
    };
    static constexpr Entry entries[] = {
        { 1, "AMP", false },  { 2, "CAB", false },  { 3, "BST", false },  { 4, "ECO", false },  { 5, "RVB", false },
        { 6, "CHO", false },  { 7, "FLA", false },  { 8, "PHA", false },  { 9, "TRE", false },  { 10, "GTE", false },
        { 11, "CMP", false }, { 12, "RTN", true },  { 13, "WAH", false }, { 14, "VOL", false }, { 15, "GEQ", false },
        { 16, "PRE", false }, { 17, "PQ1", false }, { 18, "PQ2", false }, { 19, "PQ3", false }, { 23, "PSH", false },
    };

    // Hues step round the colour circle by sixteenths; the last four come round to red again.
    std::vector<BlockDescriptor> result;
    for (size_t i = 0; i < std::size(entries); ++i)
        result.push_back({ entries[i].blockID, entries[i].name, float(i) / 16.0f, entries[i].topRow });
    return result;
}

std::vector<SignalChainComponent::ChainSlot> SignalChainComponent::editPageChainOrder()
{
    return {
        { 10, 0 }, { 12, 0 }, { 14, 0 }, { 13, 0 }, { 11, 0 }, { 16, 0 }, { 23, 0 }, { 3, 0 },  { 17, 0 }, { 18, 0 },
        { 19, 0 }, { 15, 0 }, { 3, 1 },  { 12, 1 }, { 6, 0 },  { 7, 0 },  { 8, 0 },  { 9, 0 },  { 3, 2 },  { 4, 0 },
        { 12, 2 }, { 1, 0 },  { 14, 1 }, { 17, 1 }, { 18, 1 }, { 19, 1 }, { 15, 1 }, { 12, 3 }, { 11, 1 }, { 23, 1 },
        { 6, 1 },  { 7, 1 },  { 8, 1 },  { 9, 1 },  { 4, 1 },  { 12, 4 }, { 5, 0 },  { 14, 2 }, { 2, 0 },
    };
}

SignalChainComponent::SignalChainComponent(Handler* chainHandler, const std::vector<BlockDescriptor>& descriptors,
                                           const std::vector<ChainSlot>& order)
    : handler(chainHandler)
{
    for (const auto& descriptor : descriptors)
        createBlock(descriptor);

    for (const auto& slot : order)
        if (blocks.count(slot.blockID) != 0)
            chainOrder.push_back(slot);

    refreshAll();
}

SignalChainComponent::~SignalChainComponent()
{
    for (auto& entry : blocks)
        entry.second.button->removeListener(this);
}

void SignalChainComponent::createBlock(const BlockDescriptor& descriptor)
{
    if (blocks.count(descriptor.blockID) != 0)
        return;

    BlockButtonInfo block;
    block.blockID = descriptor.blockID;
    block.name = descriptor.name;
    block.hue = wrapHue(descriptor.hue);
    block.topRow = descriptor.topRow;

    const auto light = getAppImage(AppImageID::chainBlockLight);
    block.enabledImage = tintImage(light, juce::Colour::fromHSV(block.hue, 1.0f, 0.9f, 1.0f));
    block.disabledImage = getAppImage(AppImageID::chainBlockDark);
    block.enabledOverImage = tintImage(light, juce::Colour::fromHSV(block.hue, 0.8f, 1.0f, 1.0f));
    block.disabledOverImage = tintImage(light, juce::Colour::fromHSV(0.0f, 0.0f, 0.25f, 1.0f));

    auto* button = new juce::ImageButton(descriptor.name);
    ownedComponents.add(button);
    button->setTooltip(descriptor.name);
    button->setRadioGroupId(blockRadioGroup);
    button->setClickingTogglesState(true);
    button->setConnectedEdges(allEdges);
    button->addListener(this);
    // Double clicks are the button's; listening to it lets the strip see them.
    button->addMouseListener(this, true);

    auto* label = new juce::Label({}, descriptor.name);
    ownedComponents.add(label);
    label->setFont(juce::Font(juce::Font::getDefaultSansSerifFontName(), 14.0f, juce::Font::plain));
    label->setJustificationType(juce::Justification::centred);
    label->setEditable(false, false, false);
    label->setInterceptsMouseClicks(false, false);

    addAndMakeVisible(button);
    addAndMakeVisible(label);

    block.button = button;
    block.label = label;
    blocks[descriptor.blockID] = block;
}

juce::Image SignalChainComponent::tintImage(const juce::Image& image, juce::Colour colour)
{
    if (!image.isValid())
        return {};

    auto tinted = image.createCopy().convertedToFormat(juce::Image::ARGB);
    const float r = colour.getFloatRed();
    const float g = colour.getFloatGreen();
    const float b = colour.getFloatBlue();
    const float a = colour.getFloatAlpha();

    juce::Image::BitmapData pixels(tinted, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < pixels.height; ++y)
    {
        for (int x = 0; x < pixels.width; ++x)
        {
            const auto pixel = pixels.getPixelColour(x, y);
            pixels.setPixelColour(x, y,
                                  juce::Colour::fromFloatRGBA(pixel.getFloatRed() * r, pixel.getFloatGreen() * g,
                                                              pixel.getFloatBlue() * b, pixel.getFloatAlpha() * a));
        }
    }
    return tinted;
}

void SignalChainComponent::setSelectedBlock(int blockID)
{
    selectedBlock = blockID;
    for (auto& entry : blocks)
        updateBlockButton(entry.second);
}

void SignalChainComponent::setBlockInsert(int blockID, int insert)
{
    const auto found = blocks.find(blockID);
    if (found == blocks.end())
        return;

    found->second.insert = insert;
    for (auto& entry : blocks)
        updateBlockButton(entry.second);

    // A routing change must show at once, not only after the page's next resize.
    if (updatePositions() && !getLocalBounds().isEmpty())
        resized();
}

void SignalChainComponent::setBlockEnabled(int blockID, bool enabled)
{
    const auto found = blocks.find(blockID);
    if (found == blocks.end())
        return;

    found->second.enabled = enabled;
    updateBlockButton(found->second);
}

void SignalChainComponent::refreshAll()
{
    for (auto& entry : blocks)
        updateBlockButton(entry.second);
    updatePositions();
}

void SignalChainComponent::updateBlockButton(BlockButtonInfo& block)
{
    block.label->setColour(juce::Label::textColourId, block.enabled ? enabledCaptionColour : disabledCaptionColour);

    const auto& normal = block.enabled ? block.enabledImage : block.disabledImage;
    const auto& lit = block.enabled ? block.enabledOverImage : block.disabledOverImage;
    block.button->setImages(false, true, true, normal, 1.0f, juce::Colours::transparentBlack, lit, 1.0f,
                            juce::Colours::transparentBlack, lit, 1.0f, juce::Colours::transparentBlack, 0.0f);
    block.button->setToggleState(block.blockID == selectedBlock, juce::dontSendNotification);
}

bool SignalChainComponent::updatePositions()
{
    std::map<int, int> before;
    for (const auto& entry : blocks)
        before[entry.first] = entry.second.position;

    int counter = 0;
    for (const auto& slot : chainOrder)
    {
        auto& block = blocks.at(slot.blockID);
        if (block.insert == slot.insert)
            block.position = counter++;
    }

    for (const auto& entry : blocks)
        if (before[entry.first] != entry.second.position)
            return true;
    return false;
}

int SignalChainComponent::getBlockPosition(int blockID) const
{
    const auto found = blocks.find(blockID);
    return found != blocks.end() ? found->second.position : -1;
}

bool SignalChainComponent::isBlockEnabled(int blockID) const
{
    const auto found = blocks.find(blockID);
    return found != blocks.end() && found->second.enabled;
}

juce::ImageButton* SignalChainComponent::getBlockButton(int blockID) const
{
    const auto found = blocks.find(blockID);
    return found != blocks.end() ? found->second.button : nullptr;
}

juce::Label* SignalChainComponent::getBlockLabel(int blockID) const
{
    const auto found = blocks.find(blockID);
    return found != blocks.end() ? found->second.label : nullptr;
}

int SignalChainComponent::getBlockAt(juce::Point<int> point)
{
    // The captions let clicks through, so only the buttons count.
    for (const auto& entry : blocks)
    {
        auto* button = entry.second.button;
        if (button->getBounds().contains(point) && static_cast<juce::Component*>(button)->hitTest(point.x - button->getX(), point.y - button->getY()))
            return entry.first;
    }
    return -1;
}

void SignalChainComponent::resized()
{
    // Without blocks there is nothing to place (and no step to divide by).
    if (blocks.empty())
        return;

    const int usable = getWidth() - 8;
    const int margin = usable / 40;
    const int step = (usable - margin) / int(blocks.size());
    const int mid = getHeight() / 2;

    int joinX = 0;
    for (auto& entry : blocks)
    {
        auto& block = entry.second;
        const int x = block.position * step + margin;
        const int y = block.topRow ? mid - 44 : mid + 4;
        block.button->setBounds(x, y, blockSize, blockSize);
        block.label->setBounds(x, y, blockSize, blockSize);
        if (block.topRow)
            joinX = x;
    }

    // The line runs along the lower row and climbs to the top-row block (the loop) and back.
    const auto fx = [](int v) { return float(v); };
    signalPath.clear();
    signalPath.startNewSubPath(fx(8), fx(mid + 24));
    signalPath.lineTo(fx(joinX + 6), fx(mid + 24));
    signalPath.cubicTo(fx(joinX + 11), fx(mid + 24), fx(joinX + 16), fx(mid + 19), fx(joinX + 16), fx(mid + 14));
    signalPath.lineTo(fx(joinX + 16), fx(mid - 24));
    signalPath.startNewSubPath(fx(joinX + 24), fx(mid - 16 - margin));
    signalPath.lineTo(fx(joinX + 24), fx(mid + 14));
    signalPath.cubicTo(fx(joinX + 24), fx(mid + 19), fx(joinX + 29), fx(mid + 24), fx(joinX + 34), fx(mid + 24));
    signalPath.lineTo(fx(usable), fx(mid + 24));

    repaint();
}

void SignalChainComponent::paint(juce::Graphics& g)
{
    g.setColour(signalLineColour);
    g.strokePath(signalPath,
                 juce::PathStrokeType(1.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void SignalChainComponent::buttonClicked(juce::Button* button)
{
    // JUCE's radio group also "clicks" the button it releases; only the pressed one is the user's.
    if (handler == nullptr || !button->getToggleState())
        return;
    for (const auto& entry : blocks)
        if (entry.second.button == button)
            handler->onSignalChainComponentBlockSelected(entry.first);
}

void SignalChainComponent::mouseDoubleClick(const juce::MouseEvent& e)
{
    if (handler == nullptr)
        return;
    for (const auto& entry : blocks)
        if (entry.second.button == e.eventComponent)
            handler->onSignalChainComponentBlockToggled(entry.first);
}
