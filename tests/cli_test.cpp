#include "bmp_builder.h"
#include "cli_commands.h"
#include "gif_builder.h"
#include "icon_builder.h"
#include "metafile_builder.h"
#include "raster/bitmap.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_image.h"
#include "core/streams.h"
#include "raster/bitmap.h"
#include "temp_dir.h"
#include "test_kinds.h"
#include "core/format_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

using namespace tremalu;
using testing_support::BmpFields;
using testing_support::BuildBmp;
using testing_support::ReadBytes;
using testing_support::Rows24;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

struct CliRun {
    int Code;
    std::string Out;
    std::string Err;
};

CliRun RunTool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// A 3 × 2 24-bit picture: top row red, green, blue; bottom row black.
std::vector<uint8_t> SmallBmp()
{
    BmpFields f;
    f.Width = 3;
    f.Height = 2;
    f.Pixels = Rows24(3, {{0xFF0000, 0x00FF00, 0x0000FF}, {0, 0, 0}});
    return BuildBmp(f);
}

}  // namespace

TEST(Cli, UsageErrorsExitWith2)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"draw", "a.bmp"}, {"info"}, {"info", "a", "b"}, {"render", "a.bmp"}}) {
        const CliRun r = RunTool(args);
        EXPECT_EQ(r.Code, 2);
        EXPECT_NE(r.Err.find("Usage :"), std::string::npos);
        EXPECT_TRUE(r.Out.empty());
    }
}

TEST(Cli, InfoGivesKindAndSizeOnTheFirstLine)
{
    TempDir dir;
    WriteBytes(dir.File("p.BMP"), SmallBmp());
    const CliRun r = RunTool({"info", dir.File("p.BMP")});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "TBitmap 3 2");
    EXPECT_NE(r.Out.find("24 bits"), std::string::npos);
}

TEST(Cli, FailuresShowTheMessageBoxTextAndExitWith1)
{
    TempDir dir;
    CliRun r = RunTool({"info", dir.File("absent.bmp")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "Impossible d'ouvrir le fichier " + dir.File("absent.bmp") + ".\n");
    r = RunTool({"info", dir.File("photo.png")});
    EXPECT_EQ(r.Err, "Extension de fichier graphique inconnue (.png)\n");
    WriteBytes(dir.File("bad.bmp"), std::vector<unsigned char>(60, 'A'));
    r = RunTool({"info", dir.File("bad.bmp")});
    EXPECT_EQ(r.Err, "Image bitmap incorrecte.\n");
}

namespace {

// A picture whose drawing fails with a standard failure rather than one of
// the program's own: memory running out, or a library's error.
class TThrowingGraphic : public testing_support::TTestGraphic {
    TREMALU_DECLARE_CLASS()
public:
    static inline std::function<void()> Throw;
    void DrawOn(TCanvas&, const TRect&) override { Throw(); }
};
TREMALU_DEFINE_CLASS(TThrowingGraphic, testing_support::TTestGraphic)

}  // namespace

TEST(Cli, StandardFailuresAreShownAsTheWindowsShowThemAndWriteNothing)
{
    struct Case {
        std::function<void()> Throw;
        std::string Shown;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); }, "Mémoire insuffisante.\n"},
        {[] { throw std::length_error("vector trop long"); }, "vector trop long.\n"},
    };
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), SmallBmp());
    WriteBytes(dir.File("d.err"), testing_support::TestGraphicFile(3, 2, clRed));
    WriteBytes(dir.File("out.bmp"), {'o', 'l', 'd'});
    RegisterFormat("err", "", TThrowingGraphic::StaticClass());
    for (const Case& c : cases) {
        TThrowingGraphic::Throw = c.Throw;
        const CliRun r = RunTool({"compose", dir.File("g.bmp"), dir.File("d.err"), dir.File("out.bmp")});
        EXPECT_EQ(r.Code, 1);
        EXPECT_EQ(r.Err, c.Shown);
        EXPECT_EQ(ReadBytes(dir.File("out.bmp")), (std::vector<unsigned char>{'o', 'l', 'd'}));
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"d.err", "g.bmp", "out.bmp"}));
    }
    UnregisterKind(TThrowingGraphic::StaticClass());
}

TEST(Cli, WhatIsNotARegularFileIsRefusedAtOnce)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), SmallBmp());
    for (const std::string& name : testing_support::NonRegularPictureNames(dir)) {
        CliRun r = RunTool({"info", name});
        EXPECT_EQ(r.Code, 1);
        EXPECT_EQ(r.Err, "Impossible d'ouvrir le fichier " + name + ".\n");
        r = RunTool({"compose", dir.File("g.bmp"), name, dir.File("a.bmp")});
        EXPECT_EQ(r.Err, "Impossible d'ouvrir le fichier " + name + ".\n");
        EXPECT_FALSE(std::filesystem::exists(dir.File("a.bmp")));
    }
}

TEST(Cli, RenderDrawsOnWhiteAndSavesA32BitBitmap)
{
    TempDir dir;
    WriteBytes(dir.File("p.bmp"), SmallBmp());
    const CliRun r = RunTool({"render", dir.File("p.bmp"), dir.File("out.BMP")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::vector<unsigned char> out = ReadBytes(dir.File("out.BMP"));
    ASSERT_EQ(out.size(), 54u + 4 * 3 * 2);
    EXPECT_EQ(out[28], 32);
    // Bottom row first: black; then the top row: red, green, blue as B, G, R, 0.
    const std::vector<unsigned char> top(out.begin() + 54 + 12, out.end());
    EXPECT_EQ(top, (std::vector<unsigned char>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}));
}

TEST(Cli, RenderRefusesOtherNamesBeforeReadingAnything)
{
    TempDir dir;
    for (const std::string name : {"out.png", "out.jpeg", "Mes.Images/out"}) {
        const CliRun r = RunTool({"render", dir.File("absent.bmp"), dir.File(name)});
        EXPECT_EQ(r.Code, 1);
        EXPECT_EQ(r.Err, "Rien n'a été enregistré : choisissez un nom de fichier se terminant par .jpg ou .bmp.\n");
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(Cli, RenderOfAPictureWithoutPixelsSavesNothing)
{
    TempDir dir;
    const CliRun r = RunTool({"render", dir.File("photo"), dir.File("out.bmp")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(Cli, ResaveWritesThePictureWithItsOwnWriter)
{
    TempDir dir;
    WriteBytes(dir.File("p.bmp"), SmallBmp());
    const CliRun r = RunTool({"resave", dir.File("p.bmp"), dir.File("q.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("q.bmp")), ReadBytes(dir.File("p.bmp")));
}

TEST(Cli, SaveOverAReadOnlyFileFailsAndKeepsIt)
{
    TempDir dir;
    WriteBytes(dir.File("p.bmp"), SmallBmp());
    WriteBytes(dir.File("q.bmp"), {'o', 'l', 'd'});
    ::chmod(dir.File("q.bmp").c_str(), 0444);
    const CliRun r = RunTool({"resave", dir.File("p.bmp"), dir.File("q.bmp")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "Impossible de créer le fichier " + dir.File("q.bmp") + ".\n");
    EXPECT_EQ(ReadBytes(dir.File("q.bmp")), (std::vector<unsigned char>{'o', 'l', 'd'}));
}

namespace {

std::vector<uint8_t> Solid24(int32_t w, int32_t h, uint32_t color)
{
    BmpFields f;
    f.Width = w;
    f.Height = h;
    f.Pixels = Rows24(w, std::vector<std::vector<uint32_t>>(static_cast<size_t>(h), std::vector<uint32_t>(w, color)));
    return BuildBmp(f);
}

}  // namespace

TEST(CliCompose, RedOfTheLeftGreenAndBlueOfTheRight)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Solid24(4, 3, 0x804020));
    WriteBytes(dir.File("d.bmp"), Solid24(4, 3, 0x102030));
    const CliRun r = RunTool({"compose", dir.File("g.bmp"), dir.File("d.bmp"), dir.File("a.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(r.Err.empty());
    const std::vector<unsigned char> out = ReadBytes(dir.File("a.bmp"));
    ASSERT_EQ(out.size(), 54u + 4 * 4 * 3);
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + 54, out.begin() + 58), (std::vector<unsigned char>{0x30, 0x20, 0x80, 0}));
}

TEST(CliCompose, DifferentSizesWarnAndComposeAtTheLeftSize)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Solid24(2, 1, 0x804020));
    WriteBytes(dir.File("d.bmp"), Solid24(1, 1, 0x102030));
    const CliRun r = RunTool({"compose", dir.File("g.bmp"), dir.File("d.bmp"), dir.File("a.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Err, "Les deux images n'ont pas les même dimensions.\n");
    const std::vector<unsigned char> out = ReadBytes(dir.File("a.bmp"));
    ASSERT_EQ(out.size(), 54u + 8);
    // The second pixel lies beyond the right picture: green and blue of white.
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + 58, out.end()), (std::vector<unsigned char>{0xFF, 0xFF, 0x80, 0}));
}

TEST(CliCompose, RefusesAMissingSideOrAnUnusableNameWithoutWriting)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Solid24(2, 1, 0x804020));
    CliRun r = RunTool({"compose", dir.File("g.bmp"), "", dir.File("a.bmp")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "Il faut DEUX images pour créer un anaglyphe...\n");
    r = RunTool({"compose", dir.File("g.bmp"), dir.File("absent.bmp"), dir.File("a.bmp")});
    EXPECT_EQ(r.Err, "Impossible d'ouvrir le fichier " + dir.File("absent.bmp") + ".\n");
    r = RunTool({"compose", dir.File("g.bmp"), dir.File("g.bmp"), dir.File("a.png")});
    EXPECT_EQ(r.Err, "Rien n'a été enregistré : choisissez un nom de fichier se terminant par .jpg ou .bmp.\n");
    r = RunTool({"compose", dir.File("g.bmp"), dir.File("sans-extension"), dir.File("a.bmp")});
    EXPECT_EQ(r.Err, "Opération en virgule flottante incorrecte.\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"g.bmp"});
}

namespace {

std::vector<uint8_t> SmallJpeg(bool progressive)
{
    auto bitmap = testing_support::DeviceBitmap(40, 30, [](int32_t x, int32_t) { return x < 20 ? 0xFF0000u : 0x0000FFu; });
    return testing_support::EncodeJpeg(*bitmap, 95, false, progressive);
}

}  // namespace

TEST(CliJpeg, InfoReadsTheHeaderOnly)
{
    TempDir dir;
    const std::vector<uint8_t> file = SmallJpeg(true);
    WriteBytes(dir.File("p.jpeg"), file);
    const CliRun r = RunTool({"info", dir.File("p.jpeg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "TJPEGImage 40 30\nJPEG progressif, " + std::to_string(file.size()) + " octets\n");
}

TEST(CliJpeg, RenderWritesAQualityHundredJpegForJpgNames)
{
    TempDir dir;
    WriteBytes(dir.File("p.jpg"), SmallJpeg(false));
    const CliRun r = RunTool({"render", dir.File("p.jpg"), dir.File("out.JPG")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::vector<unsigned char> out = ReadBytes(dir.File("out.JPG"));
    TJPEGImage back;
    TReadOnlyMemoryStream in(out.data(), out.size());
    back.ReadFromStream(in);
    EXPECT_FALSE(back.WriteProgressive());
    const TBitmap& decoded = back.DecodedBitmap();
    EXPECT_EQ(decoded.PixelWidth(), 40);
    EXPECT_LE(testing_support::ChannelDistance(testing_support::Shown(decoded, 4, 15), 0xFF0000), 6);
    EXPECT_LE(testing_support::ChannelDistance(testing_support::Shown(decoded, 36, 15), 0x0000FF), 6);

    // And a JPEG drawn on white into a BMP file.
    ASSERT_EQ(RunTool({"render", dir.File("p.jpg"), dir.File("out.bmp")}).Code, 0);
    EXPECT_EQ(ReadBytes(dir.File("out.bmp")).size(), 54u + 4 * 40 * 30);
}

TEST(CliJpeg, ResaveGivesBackTheExactBytesAndComposeSavesJpeg)
{
    TempDir dir;
    std::vector<uint8_t> file = SmallJpeg(true);
    file.push_back(0x42);  // a byte after the end of the image
    WriteBytes(dir.File("p.jpg"), file);
    ASSERT_EQ(RunTool({"resave", dir.File("p.jpg"), dir.File("q.jpg")}).Code, 0);
    EXPECT_EQ(ReadBytes(dir.File("q.jpg")), file);

    const CliRun r = RunTool({"compose", dir.File("p.jpg"), dir.File("q.jpg"), dir.File("a.jpg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::vector<unsigned char> anaglyph = ReadBytes(dir.File("a.jpg"));
    ASSERT_GT(anaglyph.size(), 2u);
    EXPECT_EQ(anaglyph[0], 0xFF);
    EXPECT_EQ(anaglyph[1], 0xD8);
}

TEST(CliJpeg, ComposeThatFailsWhileDecodingLeavesNoFile)
{
    TempDir dir;
    // A second frame header after the image data: the file reads, its
    // decode fails at the end.
    const std::vector<uint8_t> file = testing_support::WithSecondFrameHeader(SmallJpeg(false));
    WriteBytes(dir.File("damaged.jpg"), file);
    WriteBytes(dir.File("good.jpg"), SmallJpeg(false));
    WriteBytes(dir.File("a.jpg"), {'o', 'l', 'd'});
    const CliRun r = RunTool({"compose", dir.File("good.jpg"), dir.File("damaged.jpg"), dir.File("a.jpg")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err.rfind("Erreur JPEG #", 0), 0u) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("a.jpg")), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.jpg", "damaged.jpg", "good.jpg"}));
}

namespace {

using testing_support::GifWriter;

// Two frames of 1 x 1 at (1, 0) of a 2 x 1 screen, looping without end with
// long delays: red, then blue.
std::vector<uint8_t> EndlessGif()
{
    GifWriter w;
    w.Header(2, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}).Loop(0);
    w.GraphicControl(1, 60000).Image(1, 0, 1, 1, {1}).GraphicControl(1, 60000).Image(1, 0, 1, 1, {3});
    return w.Trailer().Bytes();
}

}  // namespace

TEST(CliGif, InfoGivesTheScreenThenFramesAndLoops)
{
    TempDir dir;
    WriteBytes(dir.File("a.gif"), EndlessGif());
    const CliRun r = RunTool({"info", dir.File("a.gif")});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "TGIFImage 2 1\nVues : 2\nBoucles : 0 (sans fin)\n");
}

TEST(CliGif, RenderOfAnEndlessAnimationDrawsItsFirstFrameAndEnds)
{
    TempDir dir;
    WriteBytes(dir.File("a.gif"), EndlessGif());
    ASSERT_EQ(RunTool({"render", dir.File("a.gif"), dir.File("out.bmp")}).Code, 0);
    TPicture drawn;
    drawn.ReadFromFile(dir.File("out.bmp"));
    const TPixelBuffer* pixels = dynamic_cast<TBitmap&>(*drawn.Graphic()).PeekPixels();
    EXPECT_EQ(pixels->PixelAt(0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixels->PixelAt(1, 0), 0xFF0000u);
}

TEST(CliGif, DamagedFileWritesNothing)
{
    TempDir dir;
    std::vector<uint8_t> bytes = EndlessGif();
    bytes.resize(20);
    WriteBytes(dir.File("a.gif"), bytes);
    const CliRun r = RunTool({"render", dir.File("a.gif"), dir.File("out.bmp")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "Premature end of data.\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.gif"});
}

// Icons report the standard size until drawn; metafiles the size of their
// headers. Render draws each onto a white bitmap of that size.
TEST(Cli, IconsAndMetafilesInfoAndRender)
{
    TempDir dir;
    const std::vector<uint32_t> red(16 * 16, 0xFF0000);
    WriteBytes(dir.File("a.ico"),
               testing_support::BuildIconFile(
                   {{16, 16, 0, testing_support::DibIconImage(16, 16, red, std::vector<uint8_t>(256, 0))}}));
    WriteBytes(dir.File("b.wmf"), testing_support::WmfWriter(0, 0, 1440, 720, 1440).Finish());
    WriteBytes(dir.File("c.emf"), testing_support::EmfWriter({0, 0, 5080, 2540}, 1024, 768, 320, 240).Finish());
    EXPECT_EQ(RunTool({"info", dir.File("a.ico")}).Out, "TIcon 32 32\n");
    EXPECT_EQ(RunTool({"info", dir.File("b.wmf")}).Out, "TMetafile 96 48\n");
    EXPECT_EQ(RunTool({"info", dir.File("c.emf")}).Out, "TMetafile 163 81\n");

    ASSERT_EQ(RunTool({"render", dir.File("a.ico"), dir.File("a.bmp")}).Code, 0);
    TBitmap drawn;
    drawn.ReadFromFile(dir.File("a.bmp"));
    EXPECT_EQ(drawn.PixelWidth(), 32);
    EXPECT_EQ(drawn.PeekPixels()->PixelAt(15, 15), 0xFF0000u);
    EXPECT_EQ(drawn.PeekPixels()->PixelAt(16, 16), 0xFFFFFFu);
}
