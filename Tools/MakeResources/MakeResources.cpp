// Draws the interface artwork and writes it as resources.bin:
//     TonecrestMakeResources <output resources.bin> [--png-dir <folder>]
// --png-dir also writes every image and a mock-up of each page there, for a look.

#include "AppImageID.h"
#include "Artwork.h"
#include "ResourcePackFormat.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>
#include <set>

namespace Artwork
{

std::vector<Piece> allPieces()
{
    std::vector<Piece> pieces;
    addPageBackgrounds(pieces);
    addControls(pieces);
    addDials(pieces);
    return pieces;
}

juce::Image render(const Piece& piece)
{
    const int frameHeight = piece.height * renderScale;
    juce::Image image(juce::Image::ARGB, piece.width * renderScale, frameHeight * piece.frames, true);
    juce::Graphics g(image);
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    for (int frame = 0; frame < piece.frames; ++frame)
    {
        juce::Graphics::ScopedSaveState saved(g);
        g.reduceClipRegion(0, frame * frameHeight, image.getWidth(), frameHeight);
        g.setOrigin(0, frame * frameHeight);
        g.addTransform(juce::AffineTransform::scale(float(renderScale)));
        if (piece.paintFrame)
            piece.paintFrame(g, piece.frames > 1 ? float(frame) / float(piece.frames - 1) : 0.0f);
        else
            piece.paint(g);
    }
    return image;
}

} // namespace Artwork

namespace
{

juce::MemoryBlock encodePng(const juce::Image& image)
{
    juce::MemoryOutputStream out;
    juce::PNGImageFormat png;
    if (!png.writeImageToStream(image, out))
        return {};
    return out.getMemoryBlock();
}

/** Every name the program reads must be drawn, and nothing else. */
bool checkCoverage(const std::vector<Artwork::Piece>& pieces)
{
    std::set<std::string> wanted;
    for (const auto& entry : appImageTable)
        wanted.insert(entry.stem);
    std::set<std::string> drawn;
    bool ok = true;
    for (const auto& piece : pieces)
    {
        if (!drawn.insert(piece.stem).second)
        {
            std::fprintf(stderr, "MakeResources: %s is drawn twice\n", piece.stem);
            ok = false;
        }
        if (wanted.count(piece.stem) == 0)
        {
            std::fprintf(stderr, "MakeResources: %s is not an image of the program\n", piece.stem);
            ok = false;
        }
    }
    for (const auto& name : wanted)
        if (drawn.count(name) == 0)
        {
            std::fprintf(stderr, "MakeResources: nothing draws %s\n", name.c_str());
            ok = false;
        }
    return ok;
}

bool writePng(const juce::File& folder, const juce::String& name, const juce::Image& image)
{
    const auto block = encodePng(image);
    return block.getSize() > 0 && folder.getChildFile(name).replaceWithData(block.getData(), block.getSize());
}

int run(const juce::File& output, const juce::File& pngFolder)
{
    const auto pieces = Artwork::allPieces();
    if (!checkCoverage(pieces))
        return 1;

    std::vector<ResourcePackFormat::Entry> entries;
    std::vector<juce::Image> images;
    for (const auto& piece : pieces)
    {
        const auto image = Artwork::render(piece);
        const auto png = encodePng(image);
        if (png.getSize() == 0)
        {
            std::fprintf(stderr, "MakeResources: could not encode %s\n", piece.stem);
            return 1;
        }
        const auto* bytes = static_cast<const uint8_t*>(png.getData());
        entries.push_back({ std::string(piece.stem) + appImageNameSuffix,
                            std::vector<uint8_t>(bytes, bytes + png.getSize()) });
        images.push_back(image);
    }

    const auto pack = ResourcePackFormat::build(entries);
    if (pack.empty() || !output.getParentDirectory().createDirectory()
        || !output.replaceWithData(pack.data(), pack.size()))
    {
        std::fprintf(stderr, "MakeResources: could not write %s\n", output.getFullPathName().toRawUTF8());
        return 1;
    }

    if (pngFolder != juce::File())
    {
        pngFolder.createDirectory();
        for (size_t i = 0; i < pieces.size(); ++i)
            writePng(pngFolder, juce::String(pieces[i].stem).replaceCharacter('/', '_') + appImageNameSuffix, images[i]);
        for (const auto& [name, image] : Artwork::renderMockups(pieces))
            writePng(pngFolder, name, image);
    }

    std::printf("MakeResources: %d images, %d bytes\n", int(entries.size()), int(pack.size()));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2 && !(argc == 4 && juce::String(argv[2]) == "--png-dir"))
    {
        std::fprintf(stderr, "usage: %s <output resources.bin> [--png-dir <folder>]\n", argv[0]);
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI gui;
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto output = cwd.getChildFile(juce::String::fromUTF8(argv[1]));
    const auto pngFolder = argc == 4 ? cwd.getChildFile(juce::String::fromUTF8(argv[3])) : juce::File();
    return run(output, pngFolder);
}
