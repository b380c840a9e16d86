// The working record of one codec operation (a decode, a size computation or
// an encode) and the codec's error manager.
//
// How failures leave the codec. The codec reports a fatal error by calling
// its error manager's error_exit, which must not return. Ours throws EJPEG
// straight out of it, through the codec's own C frames, up to the picture's
// code, which destroys the codec object (CloseCodec) on the way out. That
// needs the codec's frames to carry unwind tables: the system's libjpeg-turbo
// is built by the distribution with asynchronous unwind tables (its
// .eh_frame covers every C function), so the unwinder walks through them even
// though the library is not compiled with -fexceptions. The codec keeps no
// state on its C stack that needs cleaning up; everything lives in its memory
// pools, which jpeg_destroy frees. tests/jpeg_codec_glue_test.cpp throws from
// every kind of callback (error exit, source, destination, progress monitor)
// and checks that the failure arrives intact, under the sanitizers and with
// both g++ and clang. Were that ever to fail on some build of the codec, the
// fallback is a setjmp/longjmp pair confined to a C-style layer, converted to
// the exception outside the codec frames; nothing here needs it.
//
// Only C++ code of ours runs in the callbacks, and nothing with a destructor
// is ever left behind in a codec frame: the codec has none.
#pragma once

#include "formats/jpeg/jpeg_codec.h"
#include "formats/jpeg/jpeg_progress.h"

#include <cstdint>

namespace tremalu {

// The settings of the last output pass, kept when early passes of a
// scan-by-scan decode run with faster ones.
struct TFinalPassSettings {
    J_DCT_METHOD DctMethod = JDCT_ISLOW;
    bool TwoPassQuantize = false;
    J_DITHER_MODE DitherMode = JDITHER_NONE;
};

// The most scans a decode goes through. The codec reads every scan a file
// holds, each a pass over the whole image, and a hostile file can repeat tiny
// scans by the thousand and keep a decode busy for minutes on a large
// picture. Encoders write about ten, a few dozen at the very most; the decode
// of a file with more than this many fails with the codec's "invalid
// progressive parameters" code. Every decoder made here enforces it, whether
// or not someone listens to its progress.
inline constexpr int MaxDecodedScans = 100;

class TCodecContext {
public:
    TCodecContext() = default;
    // Destroys the codec object if it exists: a failure anywhere still frees it.
    ~TCodecContext() { Close(); }
    TCodecContext(const TCodecContext&) = delete;
    TCodecContext& operator=(const TCodecContext&) = delete;

    // Install the error handler and create the decompression (or compression)
    // object. A decompressor always has the progress record linked in, for
    // the scan limit; with a listener, the record also reports to it (a
    // compressor has the record only then).
    void CreateDecompressor(TCodecProgressListener* listener);
    void CreateCompressor(TCodecProgressListener* listener);

    // CloseCodec: destroys the codec object if it exists; harmless twice.
    void Close();

    jpeg_error_mgr ErrorHandler{};
    TCodecProgress Progress{};
    TFinalPassSettings FinalPass{};
    jpeg_decompress_struct Decompress{};
    jpeg_compress_struct Compress{};

private:
    void LinkProgress(TCodecProgressListener* listener);
    // The progress monitor of every decompressor: the scan limit, then the
    // listener's reports.
    static void DecompressorProgress(j_common_ptr codec);
};

// The error manager of the program: error exit raises EJPEG "Erreur JPEG #%d"
// with the codec's message code; warnings and trace messages are neither
// shown nor counted; reset clears the code and the warning count.
void InstallCodecErrorHandler(jpeg_error_mgr& handler);

struct JpegSettings;
class TStream;

// The compression parameters of an encode: the picture's size and input
// rows, then the codec's defaults with the quality (forcing baseline
// tables), gray mode and progressive scans of the settings.
void ConfigureCompressor(jpeg_compress_struct& codec, int32_t width, int32_t height, int components,
                         J_COLOR_SPACE colorSpace, const JpegSettings& settings);

// Creates the decompressor on the bytes (from their start), reads the header
// and sets the decompression parameters from a picture's settings. listener
// hears the decode's progress, if any.
void OpenConfiguredDecoder(TCodecContext& context, TCodecProgressListener* listener, TStream& bytes,
                           const JpegSettings& settings);

// The error exit: raises EJPEG with the codec's msg_code.
[[noreturn]] void RaiseCodecError(j_common_ptr codec);

}  // namespace tremalu
