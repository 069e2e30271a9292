#include "CCAssignComponent.h"

#include "AppResources.h"

const std::vector<std::vector<CCAssignComponent::Row>> CCAssignComponent::columns = {
    { { "WAH PEDAL", 306 },
      { "VOL PEDAL", 307 },
      { "EXPRESSION PEDAL A", 308 },
      { "EXPRESSION PEDAL B", 309 },
      { "TAP TEMPO", 300 },
      { "BYPASS", 282 },
      { "LOOP", 283 },
      { "VOLUME", 305 },
      { "WAH", 304 },
      { "BOOST", 284 },
      { "EFFECT", 285 },
      { "CHORUS", 286 },
      { "FLANGER", 287 } },
    { { "PHASER", 288 },
      { "TREMOLO", 289 },
      { "PITCHSHIFTER", 397 },
      { "ECHO", 290 },
      { "REVERB", 291 },
      { "GATE", 292 },
      { "COMPRESSOR", 299 },
      { "GRAPHIC EQ", 293 },
      { "PRE FILTER", 294 },
      { "PEQ-1", 295 },
      { "PEQ-2", 296 },
      { "PEQ-3", 297 },
      { "AMP", 298 } },
    { { "FS 1", 301 },
      { "FS 2", 302 },
      { "FS 3", 303 },
      { "FS 4", 346 },
      { "FS 5", 347 },
      { "FS 6", 348 },
      { "FS 7", 349 },
      { "FS 8", 350 },
      { "FS 9", 351 },
      { "FS 0", 352 },
      { "FS +", 353 },
      { "FS -", 354 } },
};

CCAssignComponent::CCAssignComponent(EditComponent* editor, Tonecrest::TonecrestEditorService* s)
    : service(s), children(*this, editor)
{
    setName("MIDI CC");
    const juce::Colour labelColour { 0xFF969696 };

    children.addLabel("Allocate MIDI CCs to the associated parameter.", { 358, 115, 334, 20 }, sharedFont14,
                      labelColour);

    for (size_t k = 0; k < columns.size(); ++k)
    {
        const int x0 = 301 * int(k);
        for (size_t i = 0; i < columns[k].size(); ++i)
        {
            const int y = 193 + 27 * int(i);
            RowControls row;
            row.id = columns[k][i].id;
            row.name = children.addLabel(columns[k][i].text, { x0 + 104, y, 168, 27 }, sharedFont14, labelColour,
                                         juce::Justification::centredLeft);
            auto menu = std::make_unique<ParameterIntMenu>();
            menu->textColour = juce::Colour(0xFFDEDEDE);
            menu->font = sharedFont12;
            row.menu = children.add(std::move(menu), { x0 + 277, y + 4, 50, 20 });
            row.minus = children.add(std::make_unique<SimpleImageButton>(getAppImage(AppImageID::minusOff),
                                                                         getAppImage(AppImageID::minusOn)),
                                     { x0 + 327, y + 9, 10, 10 });
            row.plus = children.add(std::make_unique<SimpleImageButton>(getAppImage(AppImageID::plusOff),
                                                                        getAppImage(AppImageID::plusOn)),
                                    { x0 + 342, y + 9, 10, 10 });
            auto* boundMenu = row.menu;
            row.minus->onClick = [boundMenu] { boundMenu->selectPrevious(); };
            row.plus->onClick = [boundMenu] { boundMenu->selectNext(); };
            children.bind(row.menu, row.id);
            rows.push_back(row);
        }
    }
}

int CCAssignComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::ignoreUnused(service);
    return showMenuAt(target, baseMenu);
}
