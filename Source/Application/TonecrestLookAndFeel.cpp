#include "TonecrestLookAndFeel.h"

TonecrestLookAndFeel::TonecrestLookAndFeel()
{
    setColour(juce::ProgressBar::backgroundColourId, juce::Colour::greyLevel(0.9f));
    setColour(juce::ProgressBar::foregroundColourId, juce::Colour::greyLevel(0.5f));
    setColour(tabColourId, juce::Colour::greyLevel(0.18f));
}

void TonecrestLookAndFeel::drawProgressBar(juce::Graphics& g, juce::ProgressBar& bar, int width, int height,
                                           double progress, const juce::String& text)
{
    const auto background = bar.findColour(juce::ProgressBar::backgroundColourId);
    const auto foreground = bar.findColour(juce::ProgressBar::foregroundColourId);

    g.fillAll(background);

    // A finished bar (exactly 1.0) is drawn full; only a negative value means "unknown".
    if (progress >= 0.0 && progress <= 1.0)
    {
        const auto filled = juce::jlimit(0.0, width - 2.0, progress * (width - 2.0));
        drawGlassLozenge(g, 1.0f, 1.0f, float(filled), float(height - 2), foreground, 0.5f, 0.0f, true, true, true,
                         true);
    }
    else if (width > 0 && height > 0)
    {
        const int stripeWidth = height * 2;
        const int offset = int(juce::Time::getMillisecondCounter() / 15) % stripeWidth;

        juce::Path stripes;
        for (float x = float(-offset); x < float(width + stripeWidth); x += float(stripeWidth))
            stripes.addQuadrilateral(x, 0.0f, x + float(stripeWidth) * 0.5f, 0.0f, x, float(height),
                                     x - float(stripeWidth) * 0.5f, float(height));

        juce::Image lozenge(juce::Image::ARGB, width, height, true);
        {
            juce::Graphics lozengeGraphics(lozenge);
            drawGlassLozenge(lozengeGraphics, 1.0f, 1.0f, float(width - 2), float(height - 2), foreground, 0.5f, 0.0f,
                             true, true, true, true);
        }
        g.setTiledImageFill(lozenge, 0, 0, 0.85f);
        g.fillPath(stripes);
    }

    if (text.isNotEmpty())
    {
        g.setColour(juce::Colour::contrasting(background, foreground));
        g.setFont(float(height) * 0.6f);
        g.drawText(text, 0, 0, width, height, juce::Justification::centred, false);
    }
}

void TonecrestLookAndFeel::drawDocumentWindowTitleBar(juce::DocumentWindow& window, juce::Graphics& g, int w, int h,
                                                      int titleSpaceX, int titleSpaceW, const juce::Image* icon,
                                                      bool drawTitleTextOnLeft)
{
    if (w <= 0 || h <= 0)
        return;

    const bool isActive = window.isActiveWindow();
    const auto background = window.getBackgroundColour();

    g.setGradientFill(juce::ColourGradient::vertical(background, 0.0f,
                                                     background.contrasting(isActive ? 0.15f : 0.05f), float(h)));
    g.fillAll();

    juce::Font font(float(h) * 0.65f, juce::Font::bold);
    g.setFont(font);

    int textW = font.getStringWidth(window.getName());
    int iconW = 0;
    int iconH = 0;
    const bool hasIcon = icon != nullptr && icon->getHeight() > 0;
    if (hasIcon)
    {
        iconH = int(font.getHeight());
        iconW = icon->getWidth() * iconH / icon->getHeight() + 4;
    }

    textW = juce::jmin(titleSpaceW, textW + iconW);
    int textX = drawTitleTextOnLeft ? titleSpaceX : juce::jmax(titleSpaceX, (w - textW) / 2);
    if (textX + textW > titleSpaceX + titleSpaceW)
        textX = titleSpaceX + titleSpaceW - textW;

    if (hasIcon)
    {
        g.setOpacity(isActive ? 1.0f : 0.6f);
        g.drawImageWithin(*icon, textX, (h - iconH) / 2, iconW, iconH, juce::RectanglePlacement::centred, false);
        textX += iconW;
        textW -= iconW;
    }

    if (window.isColourSpecified(juce::DocumentWindow::textColourId)
        || isColourSpecified(juce::DocumentWindow::textColourId))
        g.setColour(window.findColour(juce::DocumentWindow::textColourId));
    else
        g.setColour(background.contrasting(isActive ? 0.7f : 0.4f));

    g.drawText(window.getName(), textX, 0, textW, h, juce::Justification::centredLeft, true);
}

int TonecrestLookAndFeel::getTabButtonBestWidth(juce::TabBarButton&, int)
{
    return 111;
}

void TonecrestLookAndFeel::drawTabButton(juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver,
                                         bool isMouseDown)
{
    const auto area = button.getActiveArea();
    const auto tabColour = button.findColour(tabColourId, true);

    auto base = tabColour.contrasting(0.15f);
    if (button.isFrontTab())
        base = base.overlaidWith(juce::Colour(0xFF8B0000).withAlpha(0.5f));

    g.setGradientFill(juce::ColourGradient::vertical(base.brighter(0.1f), float(area.getY()), base.darker(0.1f),
                                                     float(area.getBottom())));
    g.fillRect(area);

    g.setColour(tabColour.darker(0.3f));
    g.drawRect(area, 1);

    const float alpha = !button.isEnabled() ? 0.3f : ((isMouseOver || isMouseDown) ? 1.0f : 0.8f);
    const auto textColour = base.contrasting(1.0f).withMultipliedAlpha(alpha);

    juce::Font font(float(area.getHeight()) * 0.5f);
    if (button.getTabbedButtonBar().getOrientation() == juce::TabbedButtonBar::TabsAtLeft)
        font.setHeightWithoutChangingWidth(float(area.getHeight()) * 0.25f);
    font.setUnderline(button.hasKeyboardFocus(false));

    juce::AttributedString text;
    text.setJustification(juce::Justification::centred);
    text.append(button.getButtonText().trim(), font, textColour);

    juce::TextLayout layout;
    layout.createLayout(text, float(area.getWidth()));
    layout.draw(g, button.getTextArea().toFloat());
}

void TonecrestLookAndFeel::drawTabAreaBehindFrontButton(juce::TabbedButtonBar&, juce::Graphics&, int, int)
{
}
