#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

// The JUCE build settings reach the tests: a zip written with JUCE reads back.
TEST(ApplicationFiles, JuceZipRoundTrip)
{
    juce::MemoryOutputStream zipped;
    {
        juce::ZipFile::Builder builder;
        builder.addEntry(new juce::MemoryInputStream(juce::MemoryBlock("abc", 3), true), 9, "a.txt", juce::Time());
        ASSERT_TRUE(builder.writeToStream(zipped, nullptr));
    }
    juce::MemoryInputStream input(zipped.getData(), zipped.getDataSize(), false);
    juce::ZipFile zip(input);
    ASSERT_EQ(zip.getNumEntries(), 1);
    std::unique_ptr<juce::InputStream> entry(zip.createStreamForEntry(0));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->readEntireStreamAsString(), "abc");
}
