// Decoding JPEG files into bitmaps: colours and rows in their places, gray
// and progressive files, the kinds of file the program never writes, damaged
// and truncated data, and a decode that stops early.
#include "raster/bitmap.h"
#include "core/errors.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_rows.h"
#include "formats/jpeg/jpeg_rows_ahead.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "core/streams.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tremalu;
using testing_support::Bitmap24;
using testing_support::ChannelDistance;
using testing_support::CodecFileFields;
using testing_support::DeviceBitmap;
using testing_support::EncodeJpeg;
using testing_support::EncodeWithCodec;
using testing_support::Shown;

namespace {

std::unique_ptr<TJPEGImage> Read(const std::vector<uint8_t>& file)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TReadOnlyMemoryStream stream(file.data(), file.size());
    jpeg->ReadFromStream(stream);
    return jpeg;
}

// Colour blocks of 16 × 16 pixels, aligned on the grid of 4:2:0 chroma.
constexpr uint32_t Palette8[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00, 0x00FFFF, 0x808080};
uint32_t Blocks(int32_t x, int32_t y) { return Palette8[(x / 16 + 3 * (y / 16)) % 8]; }

// A gray picture that changes along both axes; a row shifted or read with
// the wrong stride shows at once.
uint32_t Diagonal(int32_t x, int32_t y)
{
    const auto v = static_cast<uint32_t>(40 + (x * 3 + y * 7) % 170);
    return v * 0x010101u;
}

// The largest channel difference between a bitmap and a picture function.
int WorstDistance(const TBitmap& bitmap, uint32_t (*expected)(int32_t, int32_t))
{
    int worst = 0;
    for (int32_t y = 0; y < bitmap.PixelHeight(); ++y)
        for (int32_t x = 0; x < bitmap.PixelWidth(); ++x)
            worst = std::max(worst, ChannelDistance(Shown(bitmap, x, y), expected(x, y)));
    return worst;
}

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.PixelWidth() != b.PixelWidth() || a.PixelHeight() != b.PixelHeight())
        return false;
    for (int32_t y = 0; y < a.PixelHeight(); ++y)
        for (int32_t x = 0; x < a.PixelWidth(); ++x)
            if (Shown(a, x, y) != Shown(b, x, y))
                return false;
    return true;
}

std::vector<uint8_t> SmoothFile(int32_t w, int32_t h, int quality = 90, bool progressive = false)
{
    return EncodeJpeg(*DeviceBitmap(w, h, Diagonal), quality, false, progressive);
}

// The offset just after the first SOS segment: where entropy-coded data starts.
size_t EntropyStart(const std::vector<uint8_t>& f)
{
    size_t i = 2;
    while (i + 4 <= f.size()) {
        const uint8_t marker = f[i + 1];
        const size_t length = static_cast<size_t>(f[i + 2] << 8 | f[i + 3]);
        i += 2 + length;
        if (marker == 0xDA)
            return i;
    }
    return f.size();
}

// Where the entropy-coded data of the first scan ends: at the next marker.
size_t EntropyEnd(const std::vector<uint8_t>& f, size_t start)
{
    for (size_t i = start; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] != 0 && (f[i + 1] < 0xD0 || f[i + 1] > 0xD7))
            return i;
    return f.size();
}

}  // namespace

TEST(JpegColours, SavedAndReadBackKeepRedAndBlueInTheirPlaces)
{
    auto bitmap = DeviceBitmap(400, 300, Blocks);
    auto jpeg = Read(EncodeJpeg(*bitmap, 100));
    const TBitmap& decoded = jpeg->DecodedBitmap();
    ASSERT_EQ(decoded.PixelWidth(), 400);
    ASSERT_EQ(decoded.PixelHeight(), 300);
    for (int32_t by = 0; by < 300 / 16; ++by)
        for (int32_t bx = 0; bx < 400 / 16; ++bx) {
            const int32_t x = bx * 16 + 8, y = by * 16 + 8;
            EXPECT_LE(ChannelDistance(Shown(decoded, x, y), Blocks(x, y)), 3) << x << "," << y;
        }
    EXPECT_LE(ChannelDistance(Shown(decoded, 8, 8), 0xFF0000), 3);  // red, not blue
}

TEST(JpegColours, OddWidthsAndPaddedRowsGiveTheSameImageWithoutShift)
{
    for (int32_t width : {1, 3, 37, 101}) {
        auto device = DeviceBitmap(width, 23, Diagonal);
        auto padded = Bitmap24(width, 23, Diagonal);
        const std::vector<uint8_t> fromDevice = EncodeJpeg(*device, 100);
        // The 32-bit rows go to the codec as they are, skipping the unused
        // byte: the file is the one a 24-bit copy gives.
        EXPECT_EQ(EncodeJpeg(*padded, 100), fromDevice) << width;
        auto jpeg = Read(fromDevice);
        EXPECT_LE(WorstDistance(jpeg->DecodedBitmap(), Diagonal), 3) << width;
    }
}

TEST(JpegColours, OtherBitmapLayoutsAreEncodedFromA24BitCopy)
{
    auto bitmap = DeviceBitmap(33, 17, Blocks);
    const std::vector<uint8_t> reference = EncodeJpeg(*bitmap, 100);
    bitmap->SetPixelFormat(TPixelFormat::pf8bit);  // the halftone palette holds all eight colours
    const TPixelBuffer* before = bitmap->PeekPixels();
    EXPECT_EQ(EncodeJpeg(*bitmap, 100), reference);
    EXPECT_EQ(bitmap->PeekPixels(), before);  // the bitmap itself is not changed
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
}

TEST(JpegGray, GrayFilesDecodeTo8BitsWithAtMost236GrayLevels)
{
    auto bitmap = DeviceBitmap(64, 40, Diagonal);
    for (bool gray : {true, false}) {
        auto jpeg = Read(EncodeJpeg(*bitmap, 100, gray));
        if (!gray)
            jpeg->SetGrayMode(true);  // a colour file read in gray mode gives the same
        ASSERT_EQ(jpeg->BitmapDepth(), TJPEGBitmapDepth::Depth24);
        const TBitmap& decoded = jpeg->DecodedBitmap();
        EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf8bit);
        ASSERT_TRUE(decoded.Palette());
        EXPECT_LE(decoded.Palette()->Entries.size(), 236u);
        EXPECT_GE(decoded.Palette()->Entries.size(), 200u);
        for (const TPaletteEntry& e : decoded.Palette()->Entries)
            EXPECT_TRUE(e.Red == e.Green && e.Green == e.Blue);
        EXPECT_LE(WorstDistance(decoded, Diagonal), 4);
    }
}

TEST(JpegColours, EightBitColourDecodingKeepsTheColours)
{
    auto jpeg = Read(EncodeJpeg(*DeviceBitmap(64, 64, Blocks), 100));
    jpeg->SetBitmapDepth(TJPEGBitmapDepth::Depth8);
    const TBitmap& decoded = jpeg->DecodedBitmap();
    EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_LE(decoded.Palette()->Entries.size(), 236u);
    for (int32_t y = 8; y < 64; y += 16)
        for (int32_t x = 8; x < 64; x += 16)
            EXPECT_LE(ChannelDistance(Shown(decoded, x, y), Blocks(x, y)), 8) << x << "," << y;
}

TEST(JpegProgressive, ReadingSetsWriteProgressiveAndDecodesLikeBaseline)
{
    const std::vector<uint8_t> baseline = SmoothFile(90, 70, 85);
    const std::vector<uint8_t> progressive = SmoothFile(90, 70, 85, true);
    ASSERT_NE(baseline, progressive);
    auto b = Read(baseline);
    auto p = Read(progressive);
    EXPECT_FALSE(b->WriteProgressive());
    EXPECT_TRUE(p->WriteProgressive());
    // The same coefficients, entropy-coded otherwise: the same pixels.
    EXPECT_TRUE(SamePixels(b->DecodedBitmap(), p->DecodedBitmap()));

    // Scan by scan: one display per scan, then the final pass with the
    // accurate settings, which gives the same image.
    auto s = Read(progressive);
    s->SetScanByScanDisplay(true);
    EXPECT_TRUE(SamePixels(s->DecodedBitmap(), b->DecodedBitmap()));
}

TEST(JpegProgressive, ScanByScanEightBitDecodingEndsWithTheFinalPassPalette)
{
    auto jpeg = Read(EncodeJpeg(*DeviceBitmap(64, 64, Blocks), 100, false, true));
    jpeg->SetScanByScanDisplay(true);
    jpeg->SetBitmapDepth(TJPEGBitmapDepth::Depth8);
    const TBitmap& decoded = jpeg->DecodedBitmap();
    EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf8bit);
    for (int32_t y = 8; y < 64; y += 16)
        for (int32_t x = 8; x < 64; x += 16)
            EXPECT_LE(ChannelDistance(Shown(decoded, x, y), Blocks(x, y)), 8) << x << "," << y;
}

TEST(JpegCodecFiles, ArithmeticRestartAndOtherSamplingsDecode)
{
    for (int variant = 0; variant < 4; ++variant) {
        CodecFileFields f;
        f.Width = 50;
        f.Height = 34;
        f.Quality = 100;
        f.Arithmetic = variant == 0;
        f.RestartInterval = variant == 1 ? 1 : 0;
        f.LumaSampling = variant == 2 ? 1 : 2;  // 4:4:4
        f.Progressive = variant == 3;
        f.Arithmetic = f.Arithmetic || variant == 3;
        const std::vector<uint8_t> file = EncodeWithCodec(f, [](int32_t x, int32_t y, uint8_t* s) {
            const uint32_t c = Diagonal(x, y);
            s[0] = s[1] = s[2] = static_cast<uint8_t>(c);
        });
        auto jpeg = Read(file);
        EXPECT_LE(WorstDistance(jpeg->DecodedBitmap(), Diagonal), 3) << variant;
    }
}

TEST(JpegCodecFiles, FourComponentFilesShowTheirColoursWithOrWithoutTheAdobeMarker)
{
    struct Case {
        J_COLOR_SPACE Space;
        bool Adobe;
    };
    // Red ink on white paper: no cyan, full magenta and yellow, no black.
    for (const Case c : {Case{JCS_CMYK, true}, Case{JCS_CMYK, false}, Case{JCS_YCCK, true}}) {
        CodecFileFields f;
        f.Components = 4;
        f.FileColorSpace = c.Space;
        f.AdobeMarker = c.Adobe;
        f.Quality = 100;
        const std::vector<uint8_t> file = EncodeWithCodec(f, [&](int32_t x, int32_t, uint8_t* s) {
            const uint8_t ink[4] = {0, 255, 255, static_cast<uint8_t>(x < 8 ? 0 : 128)};
            for (int i = 0; i < 4; ++i)
                s[i] = c.Adobe ? static_cast<uint8_t>(255 - ink[i]) : ink[i];  // Adobe files store inverted
        });
        auto jpeg = Read(file);
        const TBitmap& decoded = jpeg->DecodedBitmap();
        EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_LE(ChannelDistance(Shown(decoded, 2, 8), 0xFF0000), 4) << c.Space << c.Adobe;
        EXPECT_LE(ChannelDistance(Shown(decoded, 13, 8), 0x7F0000), 4) << c.Space << c.Adobe;
        jpeg->SetGrayMode(true);
        const uint32_t gray = Shown(jpeg->DecodedBitmap(), 2, 8);
        EXPECT_LE(ChannelDistance(gray, 0x4C4C4C), 3);  // 0.299 × 255
    }
}

TEST(JpegDamage, TruncatedFileLoadsAndDrawsWithItsTopRowsIntact)
{
    const std::vector<uint8_t> file = SmoothFile(64, 96);
    auto whole = Read(file);
    const size_t start = EntropyStart(file);
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(start + (file.size() - start) / 2));
    auto truncated = Read(cut);
    EXPECT_EQ(truncated->PixelHeight(), 96);
    TBitmap target;
    target.SetPixelWidth(64);
    target.SetPixelHeight(96);
    EXPECT_NO_THROW(target.Surface().DrawAt(0, 0, truncated.get()));
    const TBitmap& part = truncated->DecodedBitmap();
    ASSERT_EQ(part.PixelHeight(), 96);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(Shown(part, x, y), Shown(whole->DecodedBitmap(), x, y)) << x << "," << y;
}

TEST(JpegDamage, DamagedEntropyDataDecodesWithoutFailure)
{
    for (bool progressive : {false, true}) {
        std::vector<uint8_t> file = SmoothFile(80, 64, 90, progressive);
        const size_t start = EntropyStart(file);
        const size_t end = EntropyEnd(file, start);
        ASSERT_GT(end, start + 40);
        for (size_t i = start + 10; i + 1 < end; i += 7)
            if (file[i] != 0xFF && file[i - 1] != 0xFF)
                file[i] = static_cast<uint8_t>(file[i] * 5 + 1) == 0xFF ? 0 : static_cast<uint8_t>(file[i] * 5 + 1);
        auto jpeg = Read(file);
        EXPECT_NO_THROW(jpeg->DecodedBitmap()) << progressive;
        EXPECT_EQ(jpeg->DecodedBitmap().PixelHeight(), 64);
    }
}

TEST(JpegDamage, SizesBeyondTheBitmapLimitAreRefusedBeforeDecoding)
{
    std::vector<uint8_t> file = SmoothFile(16, 16);
    for (size_t i = 2; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            // SOF0: length, precision, height, width.
            file[i + 5] = 0xFD, file[i + 6] = 0xE8;  // 65000
            file[i + 7] = 0xFD, file[i + 8] = 0xE8;
            break;
        }
    auto jpeg = Read(file);
    EXPECT_EQ(jpeg->PixelWidth(), 65000);
    int ends = 0;
    jpeg->OnProgress = [&](TObject&, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        if (stage == TProgressStage::StageEnding) {
            ++ends;
            EXPECT_EQ(percent, 0);
        }
    };
    try {
        jpeg->DecodedBitmap();
        FAIL() << "no failure";
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.message(), "Mémoire insuffisante");
    }
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(jpeg->DecodedBitmap().IsEmpty());  // no new attempt
}

TEST(JpegDamage, FailureAfterTheRowsKeepsThemAndLaterDrawsDoNotFail)
{
    // A second frame header after the image data: the codec refuses it only
    // when the decode is finished.
    const std::vector<uint8_t> good = SmoothFile(32, 32);
    auto jpeg = Read(testing_support::WithSecondFrameHeader(good));
    EXPECT_THROW(jpeg->DecodedBitmap(), EJPEG);
    EXPECT_TRUE(SamePixels(jpeg->DecodedBitmap(), Read(good)->DecodedBitmap()));
}

namespace {

// The two ways a picture is decoded: into its bitmap (drawing, saving), and
// row by row with no one listening (the batch composition).
void DecodeWhole(TJPEGImage& jpeg) { jpeg.DecodedBitmap(); }
void DecodeByRows(TJPEGImage& jpeg)
{
    std::unique_ptr<TJpegRowReader> rows = jpeg.OpenRowReader();
    ASSERT_NE(rows, nullptr);
    for (int32_t y = 0; y < rows->Height(); ++y)
        rows->NextRow();
    rows->Finish();
}
// The same a few rows ahead, on the helper thread and on this one (the
// composition).
void DecodeAhead(TJPEGImage& jpeg)
{
    std::unique_ptr<TJpegRowReader> reader = jpeg.OpenRowReader();
    TJpegDecodeHelper helper;
    TJpegRowsAhead rows(helper, *reader, 4);
    for (int32_t y = 0; y < rows.Height(); ++y)
        rows.NextRow();
    rows.Finish();
}

}  // namespace

TEST(JpegRowsAhead, TwoPicturesOnOneHelperGiveTheirReadersRows)
{
    auto first = Read(EncodeJpeg(*DeviceBitmap(24, 57, Blocks), 90));
    auto second = Read(EncodeJpeg(*DeviceBitmap(40, 33, Blocks), 75));
    std::unique_ptr<TJpegRowReader> plainFirst = first->OpenRowReader(), plainSecond = second->OpenRowReader();
    std::unique_ptr<TJpegRowReader> readerFirst = first->OpenRowReader(), readerSecond = second->OpenRowReader();
    TJpegDecodeHelper helper;
    // Rings of two rows wrap many times; the second picture ends first and
    // is completed while the first still has rows to go.
    TJpegRowsAhead aheadFirst(helper, *readerFirst, 2), aheadSecond(helper, *readerSecond, 2);
    for (int32_t y = 0; y < 57; ++y) {
        const uint8_t* expected = plainFirst->NextRow();
        ASSERT_TRUE(std::equal(expected, expected + 24 * 3, aheadFirst.NextRow())) << y;
        if (y < 33) {
            expected = plainSecond->NextRow();
            ASSERT_TRUE(std::equal(expected, expected + 40 * 3, aheadSecond.NextRow())) << y;
        } else if (y == 33) {
            aheadSecond.Finish();
        }
    }
    aheadFirst.Finish();
}

TEST(JpegRowsAhead, StopWhenLeftEarlyAndFinishWithoutTheRowsNobodyTook)
{
    auto jpeg = Read(EncodeJpeg(*DeviceBitmap(24, 57, Blocks), 90));
    TJpegDecodeHelper helper;
    // Left after three rows: the helper lets go of the picture.
    std::unique_ptr<TJpegRowReader> reader = jpeg->OpenRowReader();
    auto early = std::make_unique<TJpegRowsAhead>(helper, *reader, 2);
    for (int k = 0; k < 3; ++k)
        early->NextRow();
    early.reset();
    // Completed after three rows (a picture cropped at the bottom, far more
    // rows than the ring holds): the rest is decoded, not waited for.
    std::unique_ptr<TJpegRowReader> cropped = jpeg->OpenRowReader();
    TJpegRowsAhead ahead(helper, *cropped, 2);
    for (int k = 0; k < 3; ++k)
        ahead.NextRow();
    ahead.Finish();
}

TEST(JpegDamage, EndlesslyRepeatedScansStopAtTheScanLimitOnEveryDecodePath)
{
    const std::vector<uint8_t> file = EncodeJpeg(*DeviceBitmap(16, 16, Blocks), 90, false, true);  // colour, progressive
    size_t lastScan = file.size() - 2;
    while (!(file[lastScan] == 0xFF && file[lastScan + 1] == 0xDA))
        --lastScan;
    // The last scan again and again: the codec steps over the bogus
    // progression, and would go on as long as the file does.
    const auto repeated = [&](int copies) {
        std::vector<uint8_t> out(file.begin(), file.end() - 2);
        for (int i = 0; i < copies; ++i)
            out.insert(out.end(), file.begin() + static_cast<long>(lastScan), file.end() - 2);
        out.insert(out.end(), {0xFF, 0xD9});
        return out;
    };
    for (void (*decode)(TJPEGImage&) : {DecodeWhole, DecodeByRows, DecodeAhead}) {
        auto many = Read(repeated(MaxDecodedScans / 2));
        EXPECT_NO_THROW(decode(*many));
        auto endless = Read(repeated(MaxDecodedScans));
        try {
            decode(*endless);
            ADD_FAILURE() << "no failure";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.message(), "Erreur JPEG #" + std::to_string(JERR_BAD_PROGRESSION));
        }
    }
}

// ---------------------------------------------------------------- progress and cancel

namespace {

uint32_t SteppingNow = 1;
uint32_t SteppingClock() { return SteppingNow += 600; }

class WithSteppingClock : public ::testing::Test {
protected:
    void SetUp() override { Previous = SetCodecProgressClock(SteppingClock); }
    void TearDown() override { SetCodecProgressClock(Previous); }
    TMillisecondClock Previous = nullptr;
};

struct Seen {
    TProgressStage Stage;
    uint8_t Percent;
    bool Redraw;
};

}  // namespace

TEST_F(WithSteppingClock, DecodeReportsStartRunningAndEndThenAnnouncesItsPalette)
{
    auto jpeg = Read(SmoothFile(64, 512));
    std::vector<Seen> seen;
    int changes = 0;
    jpeg->OnChange = [&](TObject&) { ++changes; };
    jpeg->OnProgress = [&](TObject& sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                           const std::string& msg) {
        EXPECT_EQ(&sender, jpeg.get());
        EXPECT_TRUE(msg.empty());
        if (stage != TProgressStage::StageRunning) {
            EXPECT_EQ(r, TRect{});
        }
        seen.push_back({stage, percent, redraw});
    };
    jpeg->DecodedBitmap();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().Stage, TProgressStage::StageStarting);
    EXPECT_EQ(seen[1].Stage, TProgressStage::StageRunning);
    EXPECT_EQ(seen.back().Stage, TProgressStage::StageEnding);
    EXPECT_EQ(seen.back().Percent, 100);
    EXPECT_TRUE(seen.back().Redraw);  // reading set the palette-modified flag
    EXPECT_EQ(changes, 1);
    for (size_t i = 2; i + 1 < seen.size(); ++i)
        EXPECT_GT(seen[i].Percent, seen[i - 1].Percent);
}

TEST_F(WithSteppingClock, CancelledDecodeKeepsItsRowsWhitensTheRestAndIsNotRetried)
{
    const std::vector<uint8_t> file = SmoothFile(64, 512);
    auto whole = Read(file);
    auto jpeg = Read(file);
    int starts = 0;
    jpeg->OnProgress = [&](TObject&, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        starts += stage == TProgressStage::StageStarting;
        if (stage == TProgressStage::StageRunning)
            throw EAbort();
    };
    const TBitmap& part = jpeg->DecodedBitmap();  // no failure
    ASSERT_EQ(part.PixelHeight(), 512);
    EXPECT_EQ(Shown(part, 5, 0), Shown(whole->DecodedBitmap(), 5, 0));
    EXPECT_EQ(Shown(part, 5, 511), 0xFFFFFFu);
    jpeg->DecodedBitmap();
    EXPECT_EQ(starts, 1);
}
