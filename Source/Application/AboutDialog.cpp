#include "AboutDialog.h"

#ifndef TONECREST_SUPPORT_URL
#define TONECREST_SUPPORT_URL "https://www.ferroxamps.example/support"
#endif

AboutDialog::AboutDialog()
    : softwareLabel(std::make_unique<juce::Label>("Software", "Tonecrest Editor")),
      versionLabel(std::make_unique<juce::Label>("Version", juce::String("VERSION:") + versionText)),
      link(std::make_unique<juce::HyperlinkButton>(getSupportPageAddress(), juce::URL(getSupportPageAddress())))
{
    addAndMakeVisible(*softwareLabel);
    addAndMakeVisible(*versionLabel);
    addAndMakeVisible(*link);
    setSize(400, 200);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::resized()
{
    softwareLabel->setBounds(10, 70, 300, 24);
    versionLabel->setBounds(10, 100, 300, 24);
    link->setBounds(10, 130, 300, 24);
}

juce::String AboutDialog::getSupportPageAddress()
{
    return TONECREST_SUPPORT_URL;
}
