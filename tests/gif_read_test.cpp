// Reading GIF files: what the reader accepts beyond the standard, what it
// tolerates with a warning, what it refuses and with which words.
#include "core/errors.h"
#include "core/streams.h"
#include "formats/gif/gif_image.h"
#include "gif_builder.h"
#include "heap_peak.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::GifWriter;
using testing_support::LzwCodes;

namespace {

const std::vector<uint32_t> Colors4 = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

struct Read {
    std::unique_ptr<TGIFImage> Image = std::make_unique<TGIFImage>();
    std::vector<std::string> Warnings;
    std::string Failure;
};

Read ReadGif(const std::vector<uint8_t>& bytes)
{
    Read r;
    r.Image->OnWarning = [&r](const TObject&, TGIFSeverity, const std::string& text) { r.Warnings.push_back(text); };
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    try {
        r.Image->ReadFromStream(stream);
    } catch (const GIFException& e) {
        r.Failure = e.message();
    }
    return r;
}

std::vector<uint8_t> Pixels(const TGIFSubImage& frame)
{
    std::vector<uint8_t> all;
    for (int32_t y = 0; y < frame.Height; ++y)
        for (int32_t x = 0; x < frame.Width; ++x)
            all.push_back(frame.Pixels.At(x, y));
    return all;
}

GifWriter OneFrame(const std::string& signature = "GIF89a")
{
    GifWriter w;
    w.Header(4, 2, Colors4, 0, signature).Image(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    return w;
}

// ---------------------------------------------------------------- what is read

struct AcceptedCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

class GifAccepted : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(GifAccepted, ReadsTheFrame)
{
    const Read r = ReadGif(GetParam().Bytes);
    ASSERT_EQ(r.Failure, "");
    ASSERT_EQ(r.Image->Images.Count(), 1u);
    EXPECT_EQ(Pixels(r.Image->Images[0]), (std::vector<uint8_t>{0, 1, 2, 3, 3, 2, 1, 0}));
}

std::vector<uint8_t> WithPrefix(std::vector<uint8_t> bytes)
{
    bytes.insert(bytes.begin(), {'M', 'A', 'C', 0});
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Gif, GifAccepted,
    ::testing::Values(AcceptedCase{"LowerCaseSignature", OneFrame("gif89a").Trailer().Bytes()},
                      AcceptedCase{"Version87a", OneFrame("GIF87a").Trailer().Bytes()},
                      AcceptedCase{"AnyVersion", OneFrame("GIF99z").Trailer().Bytes()},
                      AcceptedCase{"FourBytePrefix", WithPrefix(OneFrame().Trailer().Bytes())},
                      AcceptedCase{"NoTrailer", OneFrame().Bytes()},
                      AcceptedCase{"ZerosBetweenBlocks", OneFrame().Raw({0, 0, 0}).Trailer().Bytes()}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifRead, SizeIsTheLogicalScreensNotTheFrames)
{
    const Read r =
        ReadGif(GifWriter().Header(100, 50, Colors4).Image(10, 10, 20, 10, std::vector<uint8_t>(200, 1)).Bytes());
    EXPECT_EQ(r.Image->PixelWidth(), 100);
    EXPECT_EQ(r.Image->PixelHeight(), 50);
}

TEST(GifRead, ZeroWidthFrameTakesTheScreenSizeAndKeepsItsPlace)
{
    const Read r =
        ReadGif(GifWriter().Header(6, 5, Colors4).ImageData(2, 1, 0, 3, LzwCodes(2).Code(1).End().Data()).Bytes());
    ASSERT_EQ(r.Image->Images.Count(), 1u);
    const TGIFSubImage& frame = r.Image->Images[0];
    EXPECT_EQ(frame.BoundsRect(), Rect(2, 1, 8, 6));
    EXPECT_EQ(r.Warnings, (std::vector<std::string>{"Image exceeds Logical Screen size"}));
}

struct FillCase {
    const char* Name;
    int Transparent;  // -1: none
    uint8_t Fill;
};

class GifTruncatedData : public ::testing::TestWithParam<FillCase> {};

TEST_P(GifTruncatedData, MissingPixelsKeepTheFill)
{
    GifWriter w;
    w.Header(3, 2, Colors4).GraphicControl(0, 0, GetParam().Transparent);
    w.ImageData(0, 0, 3, 2, LzwCodes(2).Codes({1, 2}).Data());
    const Read r = ReadGif(w.Bytes());
    ASSERT_EQ(r.Failure, "");
    const uint8_t f = GetParam().Fill;
    EXPECT_EQ(Pixels(r.Image->Images[0]), (std::vector<uint8_t>{1, 2, f, f, f, f}));
}

INSTANTIATE_TEST_SUITE_P(Gif, GifTruncatedData,
                         ::testing::Values(FillCase{"Opaque", -1, 0}, FillCase{"Transparent", 3, 3}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(GifRead, InterlacedRowsComeFromTheirPasses)
{
    for (uint16_t height : {1, 2, 3, 5, 8, 9, 17}) {
        std::vector<uint8_t> rows;
        for (uint16_t y = 0; y < height; ++y)
            rows.push_back(static_cast<uint8_t>(y));
        GifWriter w;
        w.Header(1, height, {}).Image(0, 0, 1, height, rows, {}, true);
        const Read r = ReadGif(w.Bytes());
        EXPECT_EQ(Pixels(r.Image->Images[0]), rows) << "height " << height;
    }
}

TEST(GifRead, CommentAfterTheImageMakesAnEmptySecondFrame)
{
    const Read r = ReadGif(OneFrame().Comment("fin").Trailer().Bytes());
    ASSERT_EQ(r.Image->Images.Count(), 2u);
    EXPECT_FALSE(r.Image->Images[0].Empty());
    EXPECT_TRUE(r.Image->Images[1].Empty());
    auto* comment = dynamic_cast<TGIFCommentExtension*>(&r.Image->Images[1].Extensions[0]);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Lines, (std::vector<std::string>{"fin"}));
}

TEST(GifRead, ExtensionsBelongToTheFrameThatFollowsThem)
{
    GifWriter w;
    w.Header(2, 1, Colors4).Loop(3).GraphicControl(2, 7, 1).Image(0, 0, 2, 1, {1, 2});
    w.GraphicControl(1, 0).GraphicControl(3, 9, 2);
    w.Image(0, 0, 2, 1, {2, 1}).Trailer();
    const Read r = ReadGif(w.Bytes());
    ASSERT_EQ(r.Image->Images.Count(), 2u);
    const TGIFSubImage& first = r.Image->Images[0];
    ASSERT_EQ(first.Extensions.Count(), 2u);
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop&>(first.Extensions[0]).Loops, 3);
    EXPECT_TRUE(first.Transparent());
    EXPECT_EQ(first.GraphicControlExtension()->Delay, 7);
    // The first graphic control extension is the frame's own; a later one
    // with transparency still makes the frame transparent.
    const TGIFSubImage& second = r.Image->Images[1];
    EXPECT_EQ(second.GraphicControlExtension()->Disposal(), 1);
    EXPECT_TRUE(second.Transparent());
}

TEST(GifRead, PictureWithoutColourTablesIsRead)
{
    const Read r = ReadGif(GifWriter().Header(2, 1).Image(0, 0, 2, 1, {1, 0}).Bytes());
    EXPECT_EQ(r.Failure, "");
    EXPECT_EQ(r.Image->Images.Count(), 1u);
}

struct AppCase {
    const char* Name;
    std::vector<uint8_t> Extension;  // from the introducer on
    const char* Kind;                // class name of the extension read
};

class GifApplicationBlocks : public ::testing::TestWithParam<AppCase> {};

TEST_P(GifApplicationBlocks, ChooseTheirKindByBlockSizeAndIdentifier)
{
    const Read r = ReadGif(GifWriter().Header(1, 1, Colors4).Raw(GetParam().Extension).Image(0, 0, 1, 1, {2}).Bytes());
    ASSERT_EQ(r.Failure, "");
    ASSERT_EQ(r.Image->Images.Count(), 1u);
    EXPECT_STREQ(r.Image->Images[0].Extensions[0].ClassName(), GetParam().Kind);
    EXPECT_EQ(r.Image->Images[0].Pixels.At(0, 0), 2) << "the image after the extension is read";
}

INSTANTIATE_TEST_SUITE_P(
    Gif, GifApplicationBlocks,
    ::testing::Values(
        AppCase{"Netscape", {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0},
                "TGIFAppExtNSLoop"},
        AppCase{"AnimExts", {0x21, 0xFF, 11, 'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0', 3, 1, 5, 0, 0},
                "TGIFAppExtNSLoop"},
        AppCase{"OtherIdentifier", {0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, 7, 7, 0},
                "TGIFUnknownAppExtension"},
        AppCase{"BlockSize12", {0x21, 0xFF, 12, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', '!', 1, 5, 0},
                "TGIFUnknownAppExtension"},
        // Ten stored bytes: the byte after them is the first length byte.
        AppCase{"BlockSize10", {0x21, 0xFF, 10, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', 2, 7, 7, 0},
                "TGIFUnknownAppExtension"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifRead, LoopExtensionFields)
{
    // Sub-block 1 with extra bytes, sub-block 2 (buffer size), another id.
    const Read r = ReadGif(GifWriter()
                               .Header(1, 1, Colors4)
                               .Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 4, 1, 0x10,
                                     0x27, 9, 5, 2, 0x78, 0x56, 0x34, 0x12, 2, 3, 3, 0})
                               .Image(0, 0, 1, 1, {0})
                               .Bytes());
    ASSERT_EQ(r.Failure, "");
    const auto& loop = dynamic_cast<TGIFAppExtNSLoop&>(r.Image->Images[0].Extensions[0]);
    EXPECT_EQ(loop.Loops, 10000);
    EXPECT_EQ(loop.BufferSize, 0x12345678u);
}

// ---------------------------------------------------------------- warnings

TEST(GifRead, UnknownBlockTypeEndsTheFramesAndKeepsThem)
{
    const Read r = ReadGif(OneFrame().Raw({0x99}).Image(0, 0, 1, 1, {1}).Trailer().Bytes());
    EXPECT_EQ(r.Failure, "");
    EXPECT_EQ(r.Image->Images.Count(), 1u);
    EXPECT_EQ(r.Warnings.front(), "Unknown GIF block type");
}

TEST(GifRead, StrayByteAfterExtensionsIsReadAsTheImageDescriptor)
{
    // 0x2D instead of 0x2C: the descriptor's first byte is not checked.
    GifWriter w;
    w.Header(1, 1, Colors4).Comment("x").ImageData(0, 0, 1, 1, LzwCodes(2).Code(3).End().Data());
    std::vector<uint8_t> bytes = w.Bytes();
    bytes[13 + 12 + 5] = 0x2D;  // header, global table, comment
    const Read r = ReadGif(bytes);
    ASSERT_EQ(r.Failure, "");
    EXPECT_EQ(r.Image->Images[0].Pixels.At(0, 0), 3);
    EXPECT_EQ(r.Warnings, (std::vector<std::string>{"Invalid extension introducer"}));
}

// ---------------------------------------------------------------- failures

struct FailureCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    const char* Message;
};

class GifFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(GifFailures, RefuseWithTheirText)
{
    EXPECT_EQ(ReadGif(GetParam().Bytes).Failure, GetParam().Message);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

std::vector<uint8_t> AfterScreen(const std::vector<uint8_t>& extension)
{
    return GifWriter().Header(1, 1).Raw(extension).Image(0, 0, 1, 1, {0}).Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Gif, GifFailures,
    ::testing::Values(
        FailureCase{"BitmapFile", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "Invalid GIF signature"},
        FailureCase{"SignatureCut", {'G', 'I', 'F', '8'}, "Premature end of data"},
        FailureCase{"ScreenCut", Cut(OneFrame().Bytes(), 10), "Premature end of data"},
        FailureCase{"GlobalTableCut", Cut(OneFrame().Bytes(), 20), "Premature end of data"},
        FailureCase{"ImageDescriptorCut", Cut(OneFrame().Bytes(), 13 + 12 + 5), "Premature end of data"},
        FailureCase{"LocalTableCut", GifWriter().Header(1, 1).Raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x81, 1, 2}).Bytes(),
                    "Premature end of data"},
        FailureCase{"ExtensionLabel02", AfterScreen({0x21, 0x02, 0}), "Unknown extension type"},
        FailureCase{"ExtensionCutAtLabel", GifWriter().Header(1, 1).Raw({0x21}).Bytes(), "Unknown extension type"},
        FailureCase{"ApplicationBlockSize8", AfterScreen({0x21, 0xFF, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0}),
                    "Unsupported Application Extension block size"},
        FailureCase{"ApplicationBlockSize10Cut", GifWriter().Header(1, 1).Raw({0x21, 0xFF, 10, 'A', 'B'}).Bytes(),
                    "Unknown extension type"},
        FailureCase{"ApplicationIdentifierCut", GifWriter().Header(1, 1).Raw({0x21, 0xFF, 11, 'N', 'E'}).Bytes(),
                    "Premature end of data"},
        FailureCase{"LoopSubBlockTooShort",
                    AfterScreen({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 2, 1, 5, 0}),
                    "Invalid GIF data"},
        FailureCase{"BufferSubBlockTooShort",
                    AfterScreen({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 4, 2, 1, 1, 1,
                                 0}),
                    "Invalid GIF data"},
        FailureCase{"LoopFieldsCut",
                    GifWriter().Header(1, 1).Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.',
                                                  '0', 3, 1, 5}).Bytes(),
                    "Premature end of data"},
        FailureCase{"CommentSubBlockCut", GifWriter().Header(1, 1).Raw({0x21, 0xFE, 5, 'a', 'b'}).Bytes(),
                    "Premature end of data"},
        FailureCase{"PlainTextHeaderCut", GifWriter().Header(1, 1).Raw({0x21, 0x01, 12, 0, 0, 0}).Bytes(),
                    "Premature end of data"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifRead, ExtensionObjectsCheckTheirOpening)
{
    const std::vector<uint8_t> control = {0x21, 0xF9, 4, 0, 0, 0, 0, 0};
    TReadOnlyMemoryStream stream(control.data(), control.size());
    TGIFCommentExtension comment(nullptr);
    try {
        comment.ReadFromStream(stream);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Internal error: Extension Instance does not match Extension Label");
    }
    const std::vector<uint8_t> noIntroducer = {0x22, 0xFE, 0};
    TReadOnlyMemoryStream other(noIntroducer.data(), noIntroducer.size());
    try {
        comment.ReadFromStream(other);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Invalid extension introducer");
    }
}

TEST(GifRead, FailureRestoresTheStreamPosition)
{
    std::vector<uint8_t> bytes = {1, 2, 3};
    const std::vector<uint8_t> broken = Cut(OneFrame().Bytes(), 20);
    bytes.insert(bytes.end(), broken.begin(), broken.end());
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    stream.SetPosition(3);
    TGIFImage image;
    EXPECT_THROW(image.ReadFromStream(stream), GIFException);
    EXPECT_EQ(stream.Position(), 3);
}

TEST(GifRead, ProgressFromStartToEnd)
{
    std::vector<std::pair<TProgressStage, int>> reports;
    TGIFImage image;
    image.OnProgress = [&](TObject&, TProgressStage stage, uint8_t percent, bool, const TRect&,
                           const std::string& msg) {
        EXPECT_EQ(msg, "Loading...");
        reports.emplace_back(stage, percent);
    };
    const std::vector<uint8_t> bytes = OneFrame().Trailer().Bytes();
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    image.ReadFromStream(stream);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].first, TProgressStage::StageStarting);
    EXPECT_EQ(reports[1].first, TProgressStage::StageRunning);
    EXPECT_EQ(reports[1].second, 100 * static_cast<int>(bytes.size() - 1) / static_cast<int>(bytes.size()));
    EXPECT_EQ(reports[2], std::make_pair(TProgressStage::StageEnding, 100));
}

// ---------------------------------------------------------------- the picture kind

TEST(GifPicture, ContainerLoadsByExtensionAndKeepsItsPictureOnFailure)
{
    testing_support::TempDir dir;
    testing_support::WriteBytes(dir.File("Image.GIF"), OneFrame().Trailer().Bytes());
    testing_support::WriteBytes(dir.File("cut.gif"), Cut(OneFrame().Bytes(), 9));
    TPicture picture;
    picture.ReadFromFile(dir.File("Image.GIF"));
    ASSERT_STREQ(picture.Graphic()->ClassName(), "TGIFImage");
    EXPECT_EQ(picture.PixelWidth(), 4);
    try {
        picture.ReadFromFile(dir.File("cut.gif"));
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Premature end of data");
    }
    EXPECT_EQ(picture.PixelWidth(), 4);
}

TEST(GifPicture, WrittenAndReadBackGivesTheSameFrames)
{
    GifWriter w;
    w.Header(5, 4, Colors4, 2).Loop(0).GraphicControl(2, 30, 3).Comment("x");
    w.Image(1, 1, 3, 3, {0, 1, 2, 3, 0, 1, 2, 3, 0}, {0x112233, 0x445566}, true).Trailer();
    const Read first = ReadGif(w.Bytes());
    TMemoryStream written;
    first.Image->WriteToStream(written);
    const Read again = ReadGif({written.Memory(), written.Memory() + written.ByteCount()});
    ASSERT_EQ(again.Failure, "");
    ASSERT_EQ(again.Image->Images.Count(), 1u);
    const TGIFSubImage& a = first.Image->Images[0];
    const TGIFSubImage& b = again.Image->Images[0];
    EXPECT_EQ(Pixels(a), Pixels(b));
    EXPECT_EQ(b.BoundsRect(), a.BoundsRect());
    EXPECT_EQ(b.ColorMap.Entries(), a.ColorMap.Entries());
    EXPECT_EQ(b.Extensions.Count(), 3u);
    EXPECT_EQ(b.GraphicControlExtension()->Delay, 30);
    EXPECT_TRUE(first.Image->SameAs(again.Image.get()));
}

TEST(GifPicture, CopyHasItsOwnFrames)
{
    const Read r = ReadGif(OneFrame().Comment("end").Bytes());
    TGIFImage copy;
    copy.CopyFrom(r.Image.get());
    r.Image->Clear();
    ASSERT_EQ(copy.Images.Count(), 2u);
    EXPECT_EQ(Pixels(copy.Images[0]), (std::vector<uint8_t>{0, 1, 2, 3, 3, 2, 1, 0}));
    EXPECT_EQ(copy.PixelWidth(), 4);
}

TEST(GifPicture, SizeCannotShrinkBelowAFrame)
{
    const Read r = ReadGif(GifWriter().Header(10, 10, Colors4).Image(2, 3, 4, 5, std::vector<uint8_t>(20, 1)).Bytes());
    EXPECT_THROW(
        {
            try {
                r.Image->SetPixelWidth(5);
            } catch (const GIFException& e) {
                EXPECT_EQ(e.message(), "Image width too small for contained frames");
                throw;
            }
        },
        GIFException);
    EXPECT_THROW(r.Image->SetPixelHeight(7), GIFException);
    r.Image->SetPixelWidth(6);
    r.Image->SetPixelHeight(8);
    EXPECT_EQ(r.Image->PixelWidth(), 6);
    EXPECT_EQ(r.Image->PixelHeight(), 8);
}

// ---------------------------------------------------------------- indices a picture may hold

// A frame may declare 65535 x 65535 pixels and bring codes that expand to
// any number of them; the picture keeps at most 2^28 indices, all frames
// together, and refuses data that would give more before allocating it.
struct IndexCase {
    const char* Name;
    std::vector<uint8_t> Gif;
    std::string Failure;   // empty: the picture is read
    uint64_t Decoded;      // indices kept, all frames together
    uint64_t HeapBound;    // the most that reading may take at once
};

class GifIndexBound : public ::testing::TestWithParam<IndexCase> {};

TEST_P(GifIndexBound, HoldsNoMoreThanABitmapsWorth)
{
    const IndexCase& c = GetParam();
    TGIFImage gif;
    std::string failure;
    const bool within = testing_support::StaysWithin(c.HeapBound, [&] {
        TReadOnlyMemoryStream stream(c.Gif.data(), c.Gif.size());
        try {
            gif.ReadFromStream(stream);
        } catch (const Exception& e) {
            failure = e.message();
        }
    });
    EXPECT_TRUE(within);
    EXPECT_EQ(failure, c.Failure);
    uint64_t decoded = 0;
    for (const auto& frame : gif.Images)
        decoded += frame->Pixels.Decoded().size();
    EXPECT_EQ(decoded, c.Decoded);
}

constexpr uint64_t Bound = uint64_t{1} << 28;
constexpr uint64_t SmallHeap = uint64_t{16} << 20;

INSTANTIATE_TEST_SUITE_P(
    Gif, GifIndexBound,
    ::testing::Values(
        IndexCase{"OneFrameExpandingPastTheBound",
                  GifWriter().Header(65535, 65535, Colors4).ImageData(0, 0, 65535, 65535,
                                                                      testing_support::ExpandingLzw(Bound + 1)).Bytes(),
                  "Mémoire insuffisante", 0, SmallHeap},
        // Exactly as many as the bound: read, in one allocation of that size.
        IndexCase{"OneFrameExpandingToTheBound",
                  GifWriter().Header(65535, 65535, Colors4).ImageData(0, 0, 65535, 65535,
                                                                      testing_support::ExpandingLzw(Bound)).Bytes(),
                  "", Bound, Bound + SmallHeap},
        // Each frame alone fits; the second is refused, the first's
        // indices being still held.
        IndexCase{"TwoFramesPastTheBoundTogether",
                  GifWriter()
                      .Header(65535, 65535, Colors4)
                      .ImageData(0, 0, 65535, 65535, testing_support::ExpandingLzw(Bound / 4 * 3))
                      .ImageData(0, 0, 65535, 65535, testing_support::ExpandingLzw(Bound / 4 + 1))
                      .Bytes(),
                  "Mémoire insuffisante", Bound / 4 * 3, Bound / 4 * 3 + SmallHeap},
        // A frame that declares more than the bound and brings little data
        // is read as before: what decoding does not reach is the fill.
        IndexCase{"HugeFrameWithLittleData",
                  GifWriter().Header(65535, 65535, Colors4).ImageData(0, 0, 65535, 65535,
                                                                      testing_support::PlainLzw({1, 2, 3})).Bytes(),
                  "", 3, SmallHeap}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
