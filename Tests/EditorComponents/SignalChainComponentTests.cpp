#include "GuiTestFixture.h"
#include "PanelTestSupport.h"
#include "PeerMouse.h"
#include "SignalChainComponent.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace
{

struct RecordingHandler : SignalChainComponent::Handler
{
    std::vector<std::pair<char, int>> calls; // 's' selected, 't' toggled

    void onSignalChainComponentBlockSelected(int blockID) override { calls.push_back({ 's', blockID }); }
    void onSignalChainComponentBlockToggled(int blockID) override { calls.push_back({ 't', blockID }); }
};

class SignalChainTest : public GuiTest
{
protected:
    SignalChainTest() : strip(&handler, SignalChainComponent::editPageBlocks(), SignalChainComponent::editPageChainOrder())
    {
    }

    /** Block ids ordered by their place in the strip. */
    std::vector<int> stripOrder() const
    {
        std::map<int, int> byPosition;
        for (const auto& block : SignalChainComponent::editPageBlocks())
            byPosition[strip.getBlockPosition(block.blockID)] = block.blockID;
        std::vector<int> order;
        for (const auto& entry : byPosition)
            order.push_back(entry.second);
        return order;
    }

    RecordingHandler handler;
    SignalChainComponent strip;
};

TEST_F(SignalChainTest, EditPageTablesGiveEveryBlockOnePlaceAtEachOfItsInserts)
{
    const auto blocks = SignalChainComponent::editPageBlocks();
    const auto order = SignalChainComponent::editPageChainOrder();
    ASSERT_EQ(blocks.size(), 20u);
    ASSERT_EQ(order.size(), 39u);
    EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(), [](const auto& b) { return b.topRow; }), 1);
    EXPECT_TRUE(blocks[11].topRow && blocks[11].blockID == 12 && blocks[11].name == "RTN");

    // Every insert = 0: the chain as the pedal starts it.
    EXPECT_EQ(stripOrder(), (std::vector<int> { 10, 12, 14, 13, 11, 16, 23, 3, 17, 18, 19, 15, 6, 7, 8, 9, 4, 1, 5, 2 }));

    // Each insert a block can take lands it in exactly one slot and keeps the strip 20 wide.
    std::map<int, std::set<int>> inserts;
    for (const auto& slot : order)
        inserts[slot.blockID].insert(slot.insert);
    for (const auto& [blockID, values] : inserts)
    {
        for (const int insert : values)
        {
            strip.setBlockInsert(blockID, insert);
            std::set<int> positions;
            for (const auto& block : blocks)
                positions.insert(strip.getBlockPosition(block.blockID));
            EXPECT_EQ(positions.size(), 20u) << "block " << blockID << " insert " << insert;
            EXPECT_EQ(*positions.begin(), 0);
            EXPECT_EQ(*positions.rbegin(), 19);
        }
        strip.setBlockInsert(blockID, 0);
    }
}

TEST_F(SignalChainTest, InsertPointMovesTheBlockAndSlotsOfOtherInsertsTakeNoPlace)
{
    strip.setBounds(0, 0, 1000, 129);
    strip.setBlockInsert(12, 4); // the loop return after the echo
    EXPECT_EQ(strip.getBlockPosition(12), 17);
    EXPECT_EQ(strip.getBlockPosition(1), 16);
    EXPECT_EQ(strip.getBlockPosition(5), 18);
    EXPECT_EQ(strip.getBlockPosition(2), 19);
    // The new place shows at once: usable 992, margin 24, step 48.
    EXPECT_EQ(strip.getBlockButton(12)->getX(), 17 * 48 + 24);

    strip.setBlockInsert(3, 2); // boost behind the modulation blocks
    EXPECT_EQ(stripOrder(), (std::vector<int> { 10, 14, 13, 11, 16, 23, 17, 18, 19, 15, 6, 7, 8, 9, 3, 4, 1, 12, 5, 2 }));

    // An insert no slot names leaves the block where it stood last.
    strip.setBlockInsert(4, 7);
    EXPECT_EQ(strip.getBlockPosition(4), 15);
}

TEST_F(SignalChainTest, LayoutPlacesBlocksByStepTheLineClimbsToTheLoopAndClicksFindTheBlock)
{
    strip.setBounds(0, 0, 1000, 129);
    const int mid = 129 / 2;
    ASSERT_EQ(strip.getBlockPosition(13), 3);
    EXPECT_EQ(strip.getBlockButton(13)->getBounds(), juce::Rectangle<int>(3 * 48 + 24, mid + 4, 40, 40));
    EXPECT_EQ(strip.getBlockLabel(13)->getBounds(), strip.getBlockButton(13)->getBounds());
    EXPECT_EQ(strip.getBlockButton(12)->getY(), mid - 44) << "the loop return stands on the top row";

    const auto line = strip.getSignalPath().getBounds();
    EXPECT_FLOAT_EQ(line.getX(), 8.0f);
    EXPECT_FLOAT_EQ(line.getRight(), 992.0f);
    EXPECT_FLOAT_EQ(line.getBottom(), float(mid + 24));
    EXPECT_FLOAT_EQ(line.getY(), float(mid - 24 - 16)); // mid - 16 - margin: into the loop block

    const auto wah = strip.getBlockButton(13)->getBounds();
    EXPECT_EQ(strip.getBlockAt(wah.getCentre()), 13) << "the caption lets clicks through";
    EXPECT_EQ(strip.getBlockAt(wah.getTopLeft()), 13);
    EXPECT_EQ(strip.getBlockAt(wah.getTopRight() + juce::Point<int>(2, 0)), -1); // the gap to the next block
    EXPECT_EQ(strip.getBlockAt({ 4, 10 }), -1);
}

TEST_F(SignalChainTest, SelectionPressesOneButtonAndUnknownBlocksReleaseAll)
{
    strip.setSelectedBlock(5);
    for (const auto& block : SignalChainComponent::editPageBlocks())
        EXPECT_EQ(strip.getBlockButton(block.blockID)->getToggleState(), block.blockID == 5) << block.name;

    strip.setSelectedBlock(42);
    for (const auto& block : SignalChainComponent::editPageBlocks())
        EXPECT_FALSE(strip.getBlockButton(block.blockID)->getToggleState()) << block.name;
    EXPECT_TRUE(handler.calls.empty()) << "pushed state is never reported back";
}

TEST_F(SignalChainTest, TintMultipliesEveryChannel)
{
    juce::Image image(juce::Image::ARGB, 2, 1, true);
    image.setPixelAt(0, 0, juce::Colour(juce::uint8(200), juce::uint8(100), juce::uint8(50), juce::uint8(255)));
    image.setPixelAt(1, 0, juce::Colour(juce::uint8(255), juce::uint8(255), juce::uint8(255), juce::uint8(128)));
    const auto tinted = SignalChainComponent::tintImage(image, juce::Colour::fromFloatRGBA(0.5f, 1.0f, 0.0f, 1.0f));
    EXPECT_TRUE(near(tinted.getPixelAt(0, 0), juce::Colour(juce::uint8(100), juce::uint8(100), juce::uint8(0), juce::uint8(255))));
    // Half-transparent pixels are stored premultiplied, so they round a little further.
    EXPECT_TRUE(near(tinted.getPixelAt(1, 0), juce::Colour(juce::uint8(128), juce::uint8(255), juce::uint8(0), juce::uint8(128)), 6))
        << tinted.getPixelAt(1, 0).toString();
    EXPECT_TRUE(near(image.getPixelAt(0, 0), juce::Colour(juce::uint8(200), juce::uint8(100), juce::uint8(50), juce::uint8(255)))) << "the source stays";
    EXPECT_FALSE(SignalChainComponent::tintImage({}, juce::Colours::red).isValid());
}

TEST_F(SignalChainTest, ClicksSelectAndDoubleClickTogglesThroughTheRealMouse)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    strip.setBounds(0, 0, 1000, 129);
    strip.addToDesktop(0);
    strip.setVisible(true);
    PeerMouse mouse(strip);

    mouse.click(strip.getBlockButton(1)->getBounds().getCentre());
    ASSERT_EQ(handler.calls, (std::vector<std::pair<char, int>> { { 's', 1 } }));
    EXPECT_TRUE(strip.getBlockButton(1)->getToggleState());

    // The radio group releases the amp when the cabinet is clicked.
    mouse.click(strip.getBlockButton(2)->getBounds().getCentre());
    EXPECT_TRUE(strip.getBlockButton(2)->getToggleState());
    EXPECT_FALSE(strip.getBlockButton(1)->getToggleState());

    handler.calls.clear();
    mouse.doubleClick(strip.getBlockButton(4)->getBounds().getCentre());
    ASSERT_FALSE(handler.calls.empty());
    EXPECT_EQ(handler.calls.front(), std::make_pair('s', 4)) << "the first click selects";
    EXPECT_EQ(handler.calls.back(), std::make_pair('t', 4));
    EXPECT_EQ(std::count(handler.calls.begin(), handler.calls.end(), std::make_pair('t', 4)), 1);

    handler.calls.clear();
    mouse.doubleClick({ 4, 10 }); // on the strip, off every block
    EXPECT_TRUE(handler.calls.empty());
    strip.removeFromDesktop();
}

TEST_F(SignalChainTest, BlocksWithoutDescriptorAreIgnoredAndAnEmptyStripLaysOutNothing)
{
    SignalChainComponent partial(&handler, { { 1, "AMP", 0.0f, false }, { 2, "CAB", 0.5f, false } },
                                 { { 99, 0 }, { 2, 0 }, { 1, 0 } });
    EXPECT_EQ(partial.getBlockPosition(2), 0);
    EXPECT_EQ(partial.getBlockPosition(1), 1);
    partial.setBlockInsert(99, 0);
    partial.setBlockEnabled(99, true);
    EXPECT_EQ(partial.getBlockButton(99), nullptr);
    EXPECT_EQ(partial.getNumChildComponents(), 4);

    SignalChainComponent empty(nullptr, {}, { { 1, 0 } });
    empty.setBounds(0, 0, 500, 100); // no division by an empty strip
    EXPECT_TRUE(empty.getSignalPath().isEmpty());
}

// The strip as the edit page shows it.
TEST_F(SignalChainTest, EnableStateSwapsBlockImageAndCaptionColourAndTheLineRunsUnderTheStrip)
{
    ScopedBuiltArtwork artwork;
    ASSERT_TRUE(artwork.loaded());
    juce::Component page;
    page.setSize(870, 129);
    SignalChainComponent chain(&handler, SignalChainComponent::editPageBlocks(),
                               SignalChainComponent::editPageChainOrder());
    page.addAndMakeVisible(chain);
    const auto dark = getAppImage(AppImageID::chainBlockDark);
    auto* button = chain.getBlockButton(4);
    auto* label = chain.getBlockLabel(4);

    EXPECT_FALSE(label->isEditable()) << "a caption is not for typing";
    {
        auto other = std::make_unique<SignalChainComponent>(&handler, SignalChainComponent::editPageBlocks(),
                                                            SignalChainComponent::editPageChainOrder());
        juce::Component::SafePointer<juce::Component> block(other->getBlockButton(4)), caption(other->getBlockLabel(4));
        other.reset();
        EXPECT_TRUE(block == nullptr && caption == nullptr) << "the strip deletes its blocks with it";
    }

    // Blocks start disabled: dark block, grey caption; enabled, the light block in the block's hue.
    EXPECT_EQ(label->findColour(juce::Label::textColourId), juce::Colour(0xFF939393));
    EXPECT_EQ(button->getNormalImage().getPixelAt(20, 30), dark.getPixelAt(20, 30));
    chain.setBlockEnabled(4, true);
    EXPECT_TRUE(chain.isBlockEnabled(4));
    EXPECT_EQ(label->findColour(juce::Label::textColourId), juce::Colour(0xFF000000));
    const auto expected = SignalChainComponent::tintImage(getAppImage(AppImageID::chainBlockLight),
                                                          juce::Colour::fromHSV(3.0f / 16.0f, 1.0f, 0.9f, 1.0f));
    EXPECT_TRUE(near(button->getNormalImage().getPixelAt(20, 30), expected.getPixelAt(20, 30)));
    chain.setBlockEnabled(4, false);
    EXPECT_EQ(label->findColour(juce::Label::textColourId), juce::Colour(0xFF939393));
    EXPECT_EQ(button->getNormalImage().getPixelAt(20, 30), dark.getPixelAt(20, 30));

    // Hues from 1.0 wrap round: PQ1 (hue 1.0) is red like the amp.
    chain.setBlockEnabled(17, true);
    const auto pq1 = chain.getBlockButton(17)->getNormalImage().getPixelAt(20, 30);
    EXPECT_GT(pq1.getRed(), pq1.getGreen() + 100);

    for (const int enabled : { 1, 2, 3, 4, 5, 10, 11, 12, 14, 17 })
        chain.setBlockEnabled(enabled, true);
    chain.setBlockInsert(12, 2);
    chain.setSelectedBlock(1);
    chain.setBounds(page.getLocalBounds());
    const auto image = page.createComponentSnapshot(page.getLocalBounds());
    // The signal line runs red under the strip.
    const int lineY = 129 / 2 + 24;
    EXPECT_GT(image.getPixelAt(12, lineY).getRed(), image.getPixelAt(12, lineY).getGreen() + 40);
}

} // namespace
