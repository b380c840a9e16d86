// The glue between the JPEG picture and the codec: failures thrown from
// every kind of callback arrive intact through the codec's C frames, the
// memory source and destination, and the progress rules.
#include "core/errors.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_stream_io.h"
#include "core/streams.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tremalu;
using testing_support::CodecFileFields;
using testing_support::EncodeWithCodec;

namespace {

std::vector<uint8_t> SmallFile(int32_t width = 40, int32_t height = 32, CodecFileFields fields = {})
{
    fields.Width = width;
    fields.Height = height;
    return EncodeWithCodec(fields, [](int32_t x, int32_t y, uint8_t* s) {
        s[0] = static_cast<uint8_t>(x * 6);
        s[1] = static_cast<uint8_t>(y * 7);
        s[2] = static_cast<uint8_t>(x + y);
    });
}

// Decodes the whole stream with our glue; returns the rows read.
JDIMENSION DecodeAll(TStream& stream, TCodecContext& context)
{
    context.CreateDecompressor(nullptr);
    SetStreamSource(&context.Decompress, stream);
    jpeg_read_header(&context.Decompress, TRUE);
    context.Decompress.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&context.Decompress);
    std::vector<uint8_t> row(context.Decompress.output_width * 3);
    JSAMPROW rows[1] = {row.data()};
    while (context.Decompress.output_scanline < context.Decompress.output_height)
        jpeg_read_scanlines(&context.Decompress, rows, 1);
    jpeg_finish_decompress(&context.Decompress);
    return context.Decompress.output_scanline;
}

// A noisy gray picture, so that its file is large.
uint8_t GrayAt(JDIMENSION x, JDIMENSION y) { return static_cast<uint8_t>(x * 131 + y * y * 7); }

void EncodeGray(TStream& stream, TCodecContext& context, JDIMENSION width, JDIMENSION height)
{
    context.CreateCompressor(nullptr);
    SetStreamDestination(&context.Compress, stream);
    context.Compress.image_width = width;
    context.Compress.image_height = height;
    context.Compress.input_components = 1;
    context.Compress.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&context.Compress);
    jpeg_set_quality(&context.Compress, 100, TRUE);
    jpeg_start_compress(&context.Compress, TRUE);
    std::vector<uint8_t> row(width);
    JSAMPROW rows[1] = {row.data()};
    while (context.Compress.next_scanline < height) {
        for (JDIMENSION x = 0; x < width; ++x)
            row[x] = GrayAt(x, context.Compress.next_scanline);
        jpeg_write_scanlines(&context.Compress, rows, 1);
    }
    jpeg_finish_compress(&context.Compress);
}

// A stream that gives its bytes, then fails as a broken device would.
class TFailingReadStream : public TReadOnlyMemoryStream {
public:
    TFailingReadStream(const std::vector<uint8_t>& bytes, size_t good)
        : TReadOnlyMemoryStream(bytes.data(), bytes.size()), Good(good) {}
    size_t Read(void* buffer, size_t count) override
    {
        if (Position() + static_cast<int64_t>(count) > static_cast<int64_t>(Good))
            throw EReadError(texts::StreamRead);
        return TReadOnlyMemoryStream::Read(buffer, count);
    }

private:
    size_t Good;
};

std::string ErrorText(int code) { return "Erreur JPEG #" + std::to_string(code); }

}  // namespace

TEST(JpegCodecGlue, CodecFailuresBecomeEJpegWithTheCodecsMessageCode)
{
    const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0, 0, 0};
    TReadOnlyMemoryStream stream(notJpeg.data(), notJpeg.size());
    TCodecContext context;
    try {
        DecodeAll(stream, context);
        FAIL() << "no failure";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), ErrorText(JERR_NO_SOI));
        EXPECT_EQ(e.message(), ErrorText(53));  // libjpeg-turbo 2.1, release-6 numbering
    }
    // The context is reusable after Close, and Close twice is harmless.
    context.Close();
    context.Close();
    const std::vector<uint8_t> file = SmallFile();
    TReadOnlyMemoryStream good(file.data(), file.size());
    EXPECT_EQ(DecodeAll(good, context), 32u);
}

TEST(JpegCodecGlue, FailuresOfOurStreamsPassThroughTheCodecUnchanged)
{
    // From the source, raised in the middle of the entropy-coded data.
    const std::vector<uint8_t> file = SmallFile(400, 300);
    TFailingReadStream broken(file, file.size() / 2);
    TCodecContext reading;
    EXPECT_THROW(DecodeAll(broken, reading), EReadError);

    // From the destination: a memory buffer that may not grow.
    TMemoryStream bounded;
    bounded.SetCapacityLimit(3 * CodecBufferSize);
    TCodecContext writing;
    try {
        EncodeGray(bounded, writing, 512, 512);
        FAIL() << "no failure";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.message(), texts::MemoryStreamGrowth);
    }
    EXPECT_EQ(bounded.ByteCount(), 3 * CodecBufferSize);
}

TEST(JpegCodecGlue, DestinationTakingFewerBytesFailsWithTheWriteCode)
{
    const std::vector<uint8_t> nothing;
    TReadOnlyMemoryStream takesNothing(nothing.data(), 0);  // Write takes 0 bytes
    for (JDIMENSION side : {8u, 512u}) {  // fails at the end of the file, and at a full buffer
        TCodecContext context;
        try {
            EncodeGray(takesNothing, context, side, side);
            FAIL() << "no failure";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.message(), ErrorText(JERR_FILE_WRITE));
            EXPECT_EQ(e.message(), ErrorText(37));
        }
    }
}

TEST(JpegCodecGlue, DestinationAppendsTheWholeFileInOrder)
{
    TMemoryStream ours;
    TCodecContext context;
    EncodeGray(ours, context, 300, 200);
    ASSERT_GT(ours.ByteCount(), 4 * CodecBufferSize);
    // The same parameters through the codec's own memory destination.
    jpeg_compress_struct codec{};
    jpeg_error_mgr errors{};
    codec.err = jpeg_std_error(&errors);
    jpeg_create_compress(&codec);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&codec, &buffer, &size);
    codec.image_width = 300;
    codec.image_height = 200;
    codec.input_components = 1;
    codec.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, 100, TRUE);
    jpeg_start_compress(&codec, TRUE);
    std::vector<uint8_t> row(300);
    JSAMPROW rows[1] = {row.data()};
    while (codec.next_scanline < 200) {
        for (JDIMENSION x = 0; x < 300; ++x)
            row[x] = GrayAt(x, codec.next_scanline);
        jpeg_write_scanlines(&codec, rows, 1);
    }
    jpeg_finish_compress(&codec);
    const std::vector<uint8_t> expected(buffer, buffer + size);
    jpeg_destroy_compress(&codec);
    std::free(buffer);
    EXPECT_EQ(std::vector<uint8_t>(ours.Memory(), ours.Memory() + ours.ByteCount()), expected);
}

TEST(JpegCodecGlue, SourceSkipsLongSegmentsAcrossItsBuffer)
{
    CodecFileFields fields;
    fields.Markers = {{JPEG_APP0 + 5, std::vector<uint8_t>(3 * CodecBufferSize + 123, 0x5A)},
                      {JPEG_COM, std::vector<uint8_t>(CodecBufferSize - 1, 'c')}};
    const std::vector<uint8_t> file = SmallFile(24, 16, fields);
    TReadOnlyMemoryStream stream(file.data(), file.size());
    TCodecContext context;
    EXPECT_EQ(DecodeAll(stream, context), 16u);
}

TEST(JpegCodecGlue, SourceEndsTruncatedDataAndRefusesEmptyData)
{
    const std::vector<uint8_t> file = SmallFile(64, 64);
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(file.size() * 2 / 3));
    TReadOnlyMemoryStream stream(cut.data(), cut.size());
    TCodecContext context;
    EXPECT_EQ(DecodeAll(stream, context), 64u);
    EXPECT_EQ(context.ErrorHandler.num_warnings, 0);  // warnings are not even counted

    TReadOnlyMemoryStream empty(file.data(), 0);
    TCodecContext emptyContext;
    try {
        DecodeAll(empty, emptyContext);
        FAIL() << "no failure";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), ErrorText(JERR_INPUT_EMPTY));
        EXPECT_EQ(e.message(), ErrorText(42));
    }
}

// ---------------------------------------------------------------- progress rules

namespace {

struct Report {
    TProgressStage Stage;
    uint8_t Percent;
    bool Redraw;
    TRect R;
};

class TRecordingListener : public TCodecProgressListener {
public:
    void CodecProgress(TProgressStage stage, uint8_t percent, bool redraw, const TRect& r) override
    {
        Reports.push_back({stage, percent, redraw, r});
    }
    std::vector<Report> Reports;
};

uint32_t FakeNow = 0;
uint32_t FakeClock() { return FakeNow; }

class ProgressRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        Previous = SetCodecProgressClock(FakeClock);
        Decoder.is_decompressor = TRUE;
        Decoder.progress = &Record;
        Decoder.output_width = 640;
        Decoder.output_height = 480;
        Record.Picture = &Listener;
        Record.pass_limit = 100;
        Record.total_passes = 1;
    }
    void TearDown() override { SetCodecProgressClock(Previous); }

    // One call of the monitor at time now, pass counter and output row.
    void Call(uint32_t now, long counter, JDIMENSION scanline)
    {
        FakeNow = now;
        Record.pass_counter = counter;
        Decoder.output_scanline = scanline;
        OnCodecProgress(reinterpret_cast<j_common_ptr>(&Decoder));
    }

    TMillisecondClock Previous = nullptr;
    jpeg_decompress_struct Decoder{};
    TCodecProgress Record{};
    TRecordingListener Listener;
};

}  // namespace

TEST_F(ProgressRules, ReportsAtMostEvery500MsAndOnlyNewWholePercentages)
{
    Call(1000, 10, 40);  // the first call only starts the clock
    Call(1499, 20, 60);  // too soon
    EXPECT_TRUE(Listener.Reports.empty());
    Call(1500, 50, 240);
    ASSERT_EQ(Listener.Reports.size(), 1u);
    EXPECT_EQ(Listener.Reports[0].Stage, TProgressStage::StageRunning);
    EXPECT_EQ(Listener.Reports[0].Percent, 50);
    EXPECT_TRUE(Listener.Reports[0].Redraw);
    EXPECT_EQ(Listener.Reports[0].R, Rect(0, 0, 640, 240));
    Call(2100, 50, 250);  // same percentage
    EXPECT_EQ(Listener.Reports.size(), 1u);
    Call(2700, 51, 242);  // 51 %: the band starts at the last row reported
    ASSERT_EQ(Listener.Reports.size(), 2u);
    EXPECT_EQ(Listener.Reports[1].R, Rect(0, 240, 640, 242));
    EXPECT_FALSE(Listener.Reports[1].Redraw);  // fewer than 4 rows
    // A new output pass: the band runs from the last row reported to the bottom.
    Record.completed_passes = 1;
    Record.total_passes = 3;
    Call(3300, 10, 8);
    ASSERT_EQ(Listener.Reports.size(), 3u);
    EXPECT_EQ(Listener.Reports[2].Percent, 36);  // (10/100 + 1) × 100 / 3, truncated
    EXPECT_EQ(Listener.Reports[2].R, Rect(0, 242, 640, 480));
}

TEST_F(ProgressRules, EncodingReportsAnEmptyRectangleAndNothingWithoutAPicture)
{
    jpeg_compress_struct encoder{};
    encoder.progress = &Record;
    FakeNow = 5000;
    OnCodecProgress(reinterpret_cast<j_common_ptr>(&encoder));
    FakeNow = 6000;
    Record.pass_counter = 25;
    OnCodecProgress(reinterpret_cast<j_common_ptr>(&encoder));
    ASSERT_EQ(Listener.Reports.size(), 1u);
    EXPECT_EQ(Listener.Reports[0].Percent, 25);
    EXPECT_EQ(Listener.Reports[0].R, Rect(0, 0, 0, 0));
    EXPECT_FALSE(Listener.Reports[0].Redraw);

    Record.Picture = nullptr;
    FakeNow = 7000;
    Record.pass_counter = 90;
    OnCodecProgress(reinterpret_cast<j_common_ptr>(&encoder));
    EXPECT_EQ(Listener.Reports.size(), 1u);
}
