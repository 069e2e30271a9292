#include "EffectParameters.h"

#include "AppResources.h"

#include <algorithm>
#include <type_traits>

namespace
{

// The grid, in pixels of the page. Knob slots are 87 wide; a long menu is placed on an 86 grid
// but takes three slots, a short menu two.
constexpr int panelTop = 2;
constexpr int knobSlotWidth = 87;
constexpr int longMenuSlotWidth = 86;
constexpr int knobRowHeight = 94;
constexpr int menuRowHeight = 33;
constexpr int menuDropInKnobRow = 30;
constexpr int arrowDrop = 8;

const juce::Rectangle<int> knobCaptionArea { 39, 74, 70, 16 };
const juce::Rectangle<int> knobArea { 40, 17, 73, 78 };
const juce::Rectangle<int> knobReadoutArea { 39, 0, 70, 19 };
const juce::Rectangle<int> menuCaptionArea { 0, 0, 91, 30 };
const juce::Rectangle<int> longMenuArea { 95, 0, 183, 30 };
const juce::Rectangle<int> shortMenuArea { 95, 0, 122, 30 };
constexpr int arrowWidth = 10;
constexpr int arrowHeight = 13;
constexpr int longMenuLeftArrowX = 245;
constexpr int shortMenuLeftArrowX = 184;
constexpr int arrowSpacing = 13;

/** The pack's arrow, or a plain triangle of the same size when the pack lacks it, so the arrows
    stay visible and usable without artwork. */
juce::Image arrowImage(AppImageID id, bool pointsRight, bool lit)
{
    if (auto image = getAppImage(id); image.isValid())
        return image;
    constexpr int scale = 2;
    juce::Image image(juce::Image::ARGB, arrowWidth * scale, arrowHeight * scale, true);
    juce::Graphics g(image);
    const float w = arrowWidth * scale, h = arrowHeight * scale;
    juce::Path triangle;
    if (pointsRight)
        triangle.addTriangle(w * 0.3f, h * 0.25f, w * 0.3f, h * 0.75f, w * 0.75f, h * 0.5f);
    else
        triangle.addTriangle(w * 0.7f, h * 0.25f, w * 0.7f, h * 0.75f, w * 0.25f, h * 0.5f);
    g.setColour(lit ? juce::Colours::white : juce::Colour(0xFF8C8E93));
    g.fillPath(triangle);
    return image;
}

} // namespace

EffectParameters::EffectParameters()
{
    setSize(1, 1);
}

EffectParameters::~EffectParameters()
{
    clear();
}

EffectParameters::BuiltPanel EffectParameters::build(const EditLayoutTable* table, const ParameterCheck& check)
{
    clear();
    BuiltPanel built;
    if (table != nullptr)
    {
        for (const auto& row : *table)
        {
            newRow();
            for (const auto& item : row)
            {
                if (item.kind == LayoutWidgetKind::Spacer)
                {
                    addSpacer();
                    continue;
                }
                if (check && !check(item.paramID))
                    continue;

                const juce::String caption = juce::String::fromUTF8(item.label != nullptr ? item.label : "");
                constexpr int cabinetParamID = 13;
                if (item.paramID == cabinetParamID)
                    built.cabinetMenu = addPopupMenu(caption + ":");
                else if (item.kind == LayoutWidgetKind::IntMenu)
                    built.bindings.push_back({ addIntMenu(caption + ":", true), item.paramID });
                else if (item.kind == LayoutWidgetKind::ShortMenu)
                    built.bindings.push_back({ addShortMenu(caption + ":", true), item.paramID });
                else if (item.kind == LayoutWidgetKind::Menu)
                    built.bindings.push_back({ addMenu(caption + ":", true), item.paramID });
                else
                {
                    const auto controls = addKnob(caption);
                    built.bindings.push_back({ controls.knob, item.paramID });
                    built.bindings.push_back({ controls.readout, item.paramID });
                }
            }
        }
    }
    layoutColumns();
    return built;
}

void EffectParameters::clear()
{
    rows.clear();
    startNewRow = true;
    removeAllChildren();
    ownedChildren.clear();
}

void EffectParameters::newRow()
{
    startNewRow = true;
}

EffectParameters::Entry& EffectParameters::appendEntry(LayoutWidgetKind kind)
{
    if (startNewRow || rows.empty())
        rows.emplace_back();
    startNewRow = false;
    rows.back().push_back({});
    rows.back().back().kind = kind;
    return rows.back().back();
}

template <typename Child>
Child* EffectParameters::adopt(std::unique_ptr<Child> child)
{
    Child* raw = child.get();
    ownedChildren.push_back(std::move(child));
    addAndMakeVisible(raw);
    return raw;
}

void EffectParameters::addSpacer()
{
    appendEntry(LayoutWidgetKind::Spacer);
}

std::unique_ptr<SimpleLabel> EffectParameters::createLabel(const juce::String& caption, int horizontal)
{
    auto label = std::make_unique<SimpleLabel>(caption.toRawUTF8());
    label->setTextColour(parameterValueColour);
    label->font = parameterValueFont;
    label->setTextAlignment(horizontal, 0);
    return label;
}

EffectParameters::KnobControls EffectParameters::addKnob(const juce::String& caption)
{
    auto label = createLabel(caption, 0);

    auto knob = std::make_unique<ParameterKnob>();
    knob->setImage(getAppImage(AppImageID::fxDialFilmStrip), 1, 99, -1);

    auto readout = std::make_unique<ParameterLabel>();
    readout->setTextColour(parameterValueColour);
    readout->setFont(parameterValueFont);

    auto& entry = appendEntry(LayoutWidgetKind::Knob);
    entry.first = adopt(std::move(label));
    KnobControls controls { adopt(std::move(knob)), adopt(std::move(readout)) };
    entry.second = controls.knob;
    entry.third = controls.readout;
    return controls;
}

template <typename Menu>
Menu* EffectParameters::addMenuEntry(LayoutWidgetKind kind, AppImageID background, const juce::String& caption,
                                     bool withArrows)
{
    auto label = createLabel(caption, 1);
    auto box = std::make_unique<Menu>();
    box->textColour = parameterLabelColour;
    box->font = parameterLabelFont;
    box->background = getAppImage(background);

    auto& entry = appendEntry(kind);
    entry.first = adopt(std::move(label));
    Menu* menu = adopt(std::move(box));
    entry.second = menu;

    if constexpr (std::is_base_of_v<ParameterMenu, Menu>)
    {
        if (withArrows)
        {
            auto left = std::make_unique<SimpleImageButton>(arrowImage(AppImageID::readoutArrowLeftOff, false, false),
                                                            arrowImage(AppImageID::readoutArrowLeftOn, false, true));
            auto right = std::make_unique<SimpleImageButton>(arrowImage(AppImageID::readoutArrowRightOff, true, false),
                                                             arrowImage(AppImageID::readoutArrowRightOn, true, true));
            left->onClick = [menu] { menu->selectPrevious(); };
            right->onClick = [menu] { menu->selectNext(); };
            entry.third = adopt(std::move(left));
            entry.fourth = adopt(std::move(right));
        }
    }
    else
    {
        juce::ignoreUnused(withArrows);
    }
    return menu;
}

ParameterMenu* EffectParameters::addMenu(const juce::String& caption, bool withArrows)
{
    return addMenuEntry<ParameterMenu>(LayoutWidgetKind::Menu, AppImageID::readoutBox, caption, withArrows);
}

ParameterMenu* EffectParameters::addShortMenu(const juce::String& caption, bool withArrows)
{
    return addMenuEntry<ParameterMenu>(LayoutWidgetKind::ShortMenu, AppImageID::readoutBoxShort, caption, withArrows);
}

ParameterIntMenu* EffectParameters::addIntMenu(const juce::String& caption, bool withArrows)
{
    return addMenuEntry<ParameterIntMenu>(LayoutWidgetKind::Menu, AppImageID::readoutBox, caption, withArrows);
}

ParameterPopupMenu* EffectParameters::addPopupMenu(const juce::String& caption)
{
    return addMenuEntry<ParameterPopupMenu>(LayoutWidgetKind::Menu, AppImageID::readoutBox, caption, false);
}

void EffectParameters::layoutColumns()
{
    auto place = [](juce::Component* child, juce::Rectangle<int> area, int x, int y) {
        if (child != nullptr)
            child->setBounds(area.translated(x, y));
    };

    int top = panelTop;
    for (const auto& row : rows)
    {
        const bool hasKnob = std::any_of(row.begin(), row.end(),
                                         [](const Entry& e) { return e.kind == LayoutWidgetKind::Knob; });
        const int menuTop = hasKnob ? top + menuDropInKnobRow : top;
        const int arrowTop = menuTop + arrowDrop;

        int slot = 0;
        for (const auto& entry : row)
        {
            switch (entry.kind)
            {
                case LayoutWidgetKind::Spacer:
                    slot += 1;
                    break;
                case LayoutWidgetKind::Knob:
                {
                    const int x = slot * knobSlotWidth;
                    place(entry.first, knobCaptionArea, x, top);
                    place(entry.second, knobArea, x, top);
                    place(entry.third, knobReadoutArea, x, top);
                    if (entry.first != nullptr)
                        entry.first->toBack();
                    slot += 1;
                    break;
                }
                case LayoutWidgetKind::Menu:
                case LayoutWidgetKind::ShortMenu:
                {
                    const bool isLong = entry.kind == LayoutWidgetKind::Menu;
                    const int x = slot * (isLong ? longMenuSlotWidth : knobSlotWidth);
                    const int leftArrowX = isLong ? longMenuLeftArrowX : shortMenuLeftArrowX;
                    place(entry.first, menuCaptionArea, x, menuTop);
                    place(entry.second, isLong ? longMenuArea : shortMenuArea, x, menuTop);
                    place(entry.third, { leftArrowX, 0, arrowWidth, arrowHeight }, x, arrowTop);
                    place(entry.fourth, { leftArrowX + arrowSpacing, 0, arrowWidth, arrowHeight }, x, arrowTop);
                    if (entry.first != nullptr)
                        entry.first->toBack();
                    slot += isLong ? 3 : 2;
                    break;
                }
                case LayoutWidgetKind::IntMenu: // entries are never made with this kind
                default:
                    break;
            }
        }
        top += hasKnob ? knobRowHeight : menuRowHeight;
    }

    int right = 1, bottom = 1;
    for (auto* child : getChildren())
    {
        right = juce::jmax(right, child->getRight());
        bottom = juce::jmax(bottom, child->getBottom());
    }
    setSize(right, bottom);
}
