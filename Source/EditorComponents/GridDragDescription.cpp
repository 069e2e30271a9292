#include "GridDragDescription.h"

namespace
{
enum Field
{
    selectedField,
    anchorColumnField,
    anchorRowField,
    columnWidthField,
    itemCountField,
    rowsPerColumnField,
    selectionOrderField,
    numFields
};

bool isNumber(const juce::var& value)
{
    return value.isInt() || value.isInt64() || value.isDouble() || value.isBool();
}
} // namespace

juce::var GridDragDescription::toVar() const
{
    juce::Array<juce::var> bits;
    for (const bool bit : selected)
        bits.add(bit);

    juce::Array<juce::var> order;
    for (const int position : selectionOrder)
        order.add(position);

    juce::Array<juce::var> fields;
    fields.add(bits);
    fields.add(anchorColumn);
    fields.add(anchorRow);
    fields.add(columnWidth);
    fields.add(itemCount);
    fields.add(rowsPerColumn);
    fields.add(order);
    return fields;
}

std::optional<GridDragDescription> GridDragDescription::fromVar(const juce::var& description)
{
    const auto* fields = description.getArray();
    if (fields == nullptr || fields->size() != numFields)
        return std::nullopt;

    for (int field = anchorColumnField; field <= rowsPerColumnField; ++field)
        if (!isNumber(fields->getReference(field)))
            return std::nullopt;

    const auto* bits = fields->getReference(selectedField).getArray();
    const auto* order = fields->getReference(selectionOrderField).getArray();
    if (bits == nullptr || order == nullptr)
        return std::nullopt;

    GridDragDescription result;
    result.anchorColumn = int(fields->getReference(anchorColumnField));
    result.anchorRow = int(fields->getReference(anchorRowField));
    result.columnWidth = int(fields->getReference(columnWidthField));
    result.itemCount = int(fields->getReference(itemCountField));
    result.rowsPerColumn = int(fields->getReference(rowsPerColumnField));
    if (result.rowsPerColumn <= 0 || result.columnWidth <= 0 || result.itemCount <= 0)
        return std::nullopt;

    for (const auto& bit : *bits)
        result.selected.push_back(bool(bit));
    for (const auto& position : *order)
        result.selectionOrder.push_back(int(position));
    return result;
}
