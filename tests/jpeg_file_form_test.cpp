// The JPEG files the program writes, parsed marker by marker; byte-identical
// resaving; and saves that fail or are cancelled.
#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/save_rules.h"
#include "core/streams.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::DeviceBitmap;
using testing_support::EncodeJpeg;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

struct Segment {
    uint8_t Marker;
    std::vector<uint8_t> Body;  // without the marker and the length field
};

struct ParsedFile {
    std::vector<Segment> Segments;  // in file order, SOI and EOI included (empty bodies)
    size_t RestartMarkers = 0;
    size_t EoiOffset = 0;
};

// Walks the segments; after each SOS, steps over the entropy-coded data,
// counting restart markers, to the next marker.
ParsedFile Parse(const std::vector<uint8_t>& f)
{
    ParsedFile p;
    size_t i = 0;
    while (i + 1 < f.size()) {
        if (f[i] != 0xFF)
            throw std::runtime_error("no marker at " + std::to_string(i));
        const uint8_t marker = f[i + 1];
        if (marker == 0xD8 || marker == 0xD9) {
            p.Segments.push_back({marker, {}});
            if (marker == 0xD9) {
                p.EoiOffset = i;
                return p;
            }
            i += 2;
            continue;
        }
        const size_t length = static_cast<size_t>(f.at(i + 2) << 8 | f.at(i + 3));
        p.Segments.push_back({marker, {f.begin() + static_cast<long>(i + 4), f.begin() + static_cast<long>(i + 2 + length)}});
        i += 2 + length;
        if (marker == 0xDA) {
            while (i + 1 < f.size() && !(f[i] == 0xFF && f[i + 1] != 0 && (f[i + 1] < 0xD0 || f[i + 1] > 0xD7))) {
                if (f[i] == 0xFF && f[i + 1] >= 0xD0 && f[i + 1] <= 0xD7)
                    ++p.RestartMarkers;
                ++i;
            }
        }
    }
    throw std::runtime_error("no end-of-image marker");
}

std::vector<uint8_t> Seq(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

// The standard Huffman tables: counts of codes of each length 1 to 16, and
// the first symbols.
const std::vector<uint8_t> DcLumaBits = Seq({0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
const std::vector<uint8_t> DcChromaBits = Seq({0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0});
const std::vector<uint8_t> AcLumaBits = Seq({0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D});
const std::vector<uint8_t> AcChromaBits = Seq({0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77});
const std::vector<uint8_t> AcLumaFirst = Seq({0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12});
const std::vector<uint8_t> AcChromaFirst = Seq({0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21});

void ExpectHuffmanTable(const Segment& s, uint8_t classAndId, const std::vector<uint8_t>& bits, size_t symbols,
                        const std::vector<uint8_t>& first)
{
    ASSERT_EQ(s.Marker, 0xC4);
    ASSERT_EQ(s.Body.size(), 1 + 16 + symbols);
    EXPECT_EQ(s.Body[0], classAndId);
    EXPECT_EQ(std::vector<uint8_t>(s.Body.begin() + 1, s.Body.begin() + 17), bits);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(s.Body[17 + i], first[i]) << i;
    if (first.empty()) {
        for (size_t i = 0; i < symbols; ++i)
            EXPECT_EQ(s.Body[17 + i], i);  // DC symbols 0 to 11 in order
    }
}

uint32_t Colourful(int32_t x, int32_t y)
{
    return static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x * y) & 0xFF));
}

std::vector<uint8_t> Written(TGraphic& graphic)
{
    TMemoryStream out;
    graphic.WriteToStream(out);
    return {out.Memory(), out.Memory() + out.ByteCount()};
}

std::unique_ptr<TJPEGImage> Read(const std::vector<uint8_t>& file)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TReadOnlyMemoryStream stream(file.data(), file.size());
    jpeg->ReadFromStream(stream);
    return jpeg;
}

}  // namespace

TEST(JpegFileForm, QualityHundredIsBaselineJfifWithUnitTablesAndStandardHuffman)
{
    const ParsedFile p = Parse(EncodeJpeg(*DeviceBitmap(400, 300, Colourful), 100));
    const std::vector<Segment>& s = p.Segments;
    ASSERT_EQ(s.size(), 11u);
    EXPECT_EQ(s[0].Marker, 0xD8);
    // APP0: "JFIF\0", version 1.01, aspect ratio only (unit 0) of 1:1, no thumbnail.
    EXPECT_EQ(s[1].Marker, 0xE0);
    EXPECT_EQ(s[1].Body, Seq({'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
    for (int table = 0; table < 2; ++table) {
        const Segment& dqt = s[2 + table];
        EXPECT_EQ(dqt.Marker, 0xDB);
        ASSERT_EQ(dqt.Body.size(), 65u);
        EXPECT_EQ(dqt.Body[0], table);  // 8-bit precision, table number
        EXPECT_EQ(std::vector<uint8_t>(dqt.Body.begin() + 1, dqt.Body.end()), std::vector<uint8_t>(64, 1));
    }
    // SOF0: precision 8, 300 × 400, Y 2×2 on table 0, Cb and Cr 1×1 on table 1.
    EXPECT_EQ(s[4].Marker, 0xC0);
    EXPECT_EQ(s[4].Body, Seq({8, 0x01, 0x2C, 0x01, 0x90, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
    ExpectHuffmanTable(s[5], 0x00, DcLumaBits, 12, {});
    ExpectHuffmanTable(s[6], 0x10, AcLumaBits, 162, AcLumaFirst);
    ExpectHuffmanTable(s[7], 0x01, DcChromaBits, 12, {});
    ExpectHuffmanTable(s[8], 0x11, AcChromaBits, 162, AcChromaFirst);
    // One interleaved scan of the three components, sequential.
    EXPECT_EQ(s[9].Marker, 0xDA);
    EXPECT_EQ(s[9].Body, Seq({3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
    EXPECT_EQ(p.RestartMarkers, 0u);
    EXPECT_EQ(s[10].Marker, 0xD9);
}

TEST(JpegFileForm, QualityScalesTheStandardTables)
{
    // Zig-zag order starts 16, 11, 12 (luminance) and 17, 18, 18 (chrominance).
    struct Case {
        int Quality;
        std::vector<uint8_t> Luma, Chroma;
    };
    for (const Case& c : {Case{90, Seq({3, 2, 2}), Seq({3, 4, 4})}, Case{50, Seq({16, 11, 12}), Seq({17, 18, 18})},
                          Case{0, Seq({255, 255, 255}), Seq({255, 255, 255})}}) {
        const ParsedFile p = Parse(EncodeJpeg(*DeviceBitmap(16, 16, Colourful), c.Quality));
        EXPECT_EQ(std::vector<uint8_t>(p.Segments[2].Body.begin() + 1, p.Segments[2].Body.begin() + 4), c.Luma);
        EXPECT_EQ(std::vector<uint8_t>(p.Segments[3].Body.begin() + 1, p.Segments[3].Body.begin() + 4), c.Chroma);
    }
}

TEST(JpegFileForm, GrayModeWritesOneComponentWithTheFirstTablesOnly)
{
    const ParsedFile p = Parse(EncodeJpeg(*DeviceBitmap(40, 30, Colourful), 100, true));
    std::vector<uint8_t> markers;
    for (const Segment& s : p.Segments)
        markers.push_back(s.Marker);
    EXPECT_EQ(markers, Seq({0xD8, 0xE0, 0xDB, 0xC0, 0xC4, 0xC4, 0xDA, 0xD9}));
    EXPECT_EQ(p.Segments[3].Body, Seq({8, 0, 30, 0, 40, 1, 1, 0x11, 0}));
    EXPECT_EQ(p.Segments[6].Body, Seq({1, 1, 0x00, 0, 63, 0}));
}

TEST(JpegFileForm, ProgressiveFileIsWrittenProgressiveAgainAfterABitmapIsCopiedIn)
{
    auto jpeg = Read(EncodeJpeg(*DeviceBitmap(48, 32, Colourful), 90, false, true));
    ASSERT_TRUE(jpeg->WriteProgressive());
    jpeg->CopyFrom(DeviceBitmap(24, 16, Colourful).get());
    const ParsedFile p = Parse(Written(*jpeg));
    size_t scans = 0, sof2 = 0;
    for (const Segment& s : p.Segments) {
        scans += s.Marker == 0xDA;
        sof2 += s.Marker == 0xC2;
    }
    EXPECT_EQ(sof2, 1u);
    EXPECT_EQ(scans, 10u);
    // The first scan carries the DC coefficients of all three components.
    for (const Segment& s : p.Segments)
        if (s.Marker == 0xDA) {
            EXPECT_EQ(s.Body[0], 3);
            break;
        }
}

TEST(JpegFileForm, ReadAndWrittenBackGivesTheSameBytesTrailingOnesIncluded)
{
    std::vector<uint8_t> file = EncodeJpeg(*DeviceBitmap(33, 21, Colourful), 77);
    const std::string trailing = "\x00\xFF\xD9 bytes after the end";
    file.insert(file.end(), trailing.begin(), trailing.end());
    auto jpeg = Read(file);
    EXPECT_EQ(Written(*jpeg), file);
    jpeg->DecodedBitmap();  // decoding does not touch the bytes
    EXPECT_EQ(Written(*jpeg), file);

    TempDir dir;
    WriteBytes(dir.File("in.JPG"), file);
    TPicture picture;
    picture.ReadFromFile(dir.File("in.JPG"));
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    picture.WriteToFile(dir.File("out.jpeg"));
    EXPECT_EQ(ReadBytes(dir.File("out.jpeg")), file);
}

TEST(JpegFileForm, SaveThatFailsWhileEncodingKeepsThePreviousFile)
{
    TempDir dir;
    const std::string name = dir.File("anaglyphe.jpg");
    WriteBytes(name, {'o', 'l', 'd'});
    // Wider than the format allows: the codec refuses it once compression starts.
    auto tooWide = DeviceBitmap(65501, 1, [](int32_t, int32_t) { return 0x123456u; });
    for (int via = 0; via < 2; ++via) {
        try {
            if (via == 0) {
                SaveBitmapByName(*tooWide, name);
            } else {
                TJPEGImage jpeg;
                jpeg.CopyFrom(tooWide.get());
                jpeg.WriteToFile(name);
            }
            FAIL() << "no failure";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.message(), "Erreur JPEG #" + std::to_string(JERR_IMAGE_TOO_BIG));
        }
        EXPECT_EQ(ReadBytes(name), Seq({'o', 'l', 'd'}));
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"anaglyphe.jpg"});
    }
}

TEST(JpegFileForm, SaveByNameWritesQualityHundredColourFiles)
{
    TempDir dir;
    auto bitmap = DeviceBitmap(20, 10, Colourful);
    SaveBitmapByName(*bitmap, dir.File("a.JPG"));
    const std::vector<uint8_t> saved = ReadBytes(dir.File("a.JPG"));
    EXPECT_EQ(saved, EncodeJpeg(*bitmap, 100));
    EXPECT_EQ(Parse(saved).Segments[4].Body[5], 3);  // three components
}

TEST(JpegFileForm, CancelledEncodeWritesNothingAndTheNextWriteEncodesAgain)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(DeviceBitmap(30, 20, Colourful).get());
    std::vector<TProgressStage> stages;
    jpeg.OnProgress = [&](TObject&, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                          const std::string&) {
        stages.push_back(stage);
        EXPECT_FALSE(redraw);
        EXPECT_EQ(r, TRect{});
        if (stage == TProgressStage::StageStarting)
            throw EAbort();
        EXPECT_EQ(percent, 100);
    };
    EXPECT_TRUE(Written(jpeg).empty());
    EXPECT_EQ(jpeg.Data().Encoded, nullptr);
    stages.clear();
    jpeg.OnProgress = [&](TObject&, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        stages.push_back(stage);
        if (stage == TProgressStage::StageEnding) {
            EXPECT_EQ(percent, 100);
        }
    };
    EXPECT_EQ(Written(jpeg), EncodeJpeg(*DeviceBitmap(30, 20, Colourful), 90));
    EXPECT_EQ(stages, (std::vector<TProgressStage>{TProgressStage::StageStarting, TProgressStage::StageEnding}));
}
