#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The content of the About box: the product, its version and the maker's support page. */
class AboutDialog : public juce::Component
{
public:
    static constexpr const char* versionText = "6.2.0.1";

    AboutDialog();
    ~AboutDialog() override;

    void resized() override;

    const juce::Label& getSoftwareLabel() const { return *softwareLabel; }
    const juce::Label& getVersionLabel() const { return *versionLabel; }
    const juce::HyperlinkButton& getLink() const { return *link; }

    /** The maker's support page, shown here and in the update notice. */
    static juce::String getSupportPageAddress();

private:
    std::unique_ptr<juce::Label> softwareLabel;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::HyperlinkButton> link;
};
