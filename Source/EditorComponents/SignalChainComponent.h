#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <map>
#include <vector>

/** The strip of block buttons across the top of the edit page, joined by the drawn signal line.
    A block's colour shows whether it is enabled, the selected block is drawn pressed, and its
    place follows its insert point in the chain. Holds no device state: the owner pushes the
    selection, the enable states and the insert points, and hears clicks through Handler.
    Message thread only. */
class SignalChainComponent : public juce::Component,
                             public juce::Button::Listener,
                             public juce::ChangeBroadcaster
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** The user clicked the block's button. */
        virtual void onSignalChainComponentBlockSelected(int blockID) = 0;
        /** The user double-clicked the block's button (the clicks of a selection come first). */
        virtual void onSignalChainComponentBlockToggled(int blockID) = 0;
    };

    struct BlockDescriptor
    {
        int blockID = 0;
        juce::String name; // short caption drawn on the block
        float hue = 0.0f;  // taken modulo 1
        bool topRow = false;
    };

    /** One position of the strip: `blockID` stands here while its insert point equals `insert`.
        A block has one slot per insert point it can take. */
    struct ChainSlot
    {
        int32_t blockID = 0;
        int32_t insert = 0;
    };

    /** The edit page's twenty blocks and their chain of 39 slots. */
    static std::vector<BlockDescriptor> editPageBlocks();
    static std::vector<ChainSlot> editPageChainOrder();

    /** Slots naming a block without a descriptor are ignored. */
    SignalChainComponent(Handler* handler, const std::vector<BlockDescriptor>& descriptors,
                         const std::vector<ChainSlot>& order);
    ~SignalChainComponent() override;

    /** Draws `blockID` pressed and releases the others; an unknown id releases all. */
    void setSelectedBlock(int blockID);
    /** Moves the block to the slot of `insert`; the strip re-lays itself out when a place changed.
        Unknown blocks are ignored. */
    void setBlockInsert(int blockID, int insert);
    /** Coloured block with a black caption when enabled, dark block with a grey caption when not. */
    void setBlockEnabled(int blockID, bool enabled);
    /** Re-applies every block's look and recomputes the places. */
    void refreshAll();

    int getSelectedBlock() const { return selectedBlock; }
    /** Index of the block in the strip, -1 when no slot matches it (or for an unknown block). */
    int getBlockPosition(int blockID) const;
    bool isBlockEnabled(int blockID) const;
    /** The block's button and caption, null for an unknown block. */
    juce::ImageButton* getBlockButton(int blockID) const;
    juce::Label* getBlockLabel(int blockID) const;
    /** The block under `point` (strip coordinates), -1 for none. */
    int getBlockAt(juce::Point<int> point);
    const juce::Path& getSignalPath() const { return signalPath; }

    /** The strip's tint: every pixel's channels multiplied by the colour's. */
    static juce::Image tintImage(const juce::Image& image, juce::Colour colour);

    void paint(juce::Graphics& g) override;
    void resized() override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;
    void buttonClicked(juce::Button* button) override;

private:
    struct BlockButtonInfo
    {
        int blockID = 0;
        juce::String name;
        float hue = 0.0f;
        bool topRow = false;
        juce::ImageButton* button = nullptr;
        juce::Label* label = nullptr;
        int position = -1;
        int insert = 0;
        bool enabled = false;
        juce::Image enabledImage;
        juce::Image disabledImage;
        juce::Image enabledOverImage;
        juce::Image disabledOverImage;
    };

    void createBlock(const BlockDescriptor& descriptor);
    void updateBlockButton(BlockButtonInfo& block);
    /** True when any block's place changed. */
    bool updatePositions();

    Handler* handler;
    int selectedBlock = -1;
    std::map<int, BlockButtonInfo> blocks;
    std::vector<ChainSlot> chainOrder;
    juce::OwnedArray<juce::Component> ownedComponents;
    juce::Path signalPath;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SignalChainComponent)
};
