#include "formats/jpeg/jpeg_codec_glue.h"

#include "core/errors.h"

#include <string>

namespace tremalu {

namespace {

void IgnoreMessage(j_common_ptr, int) {}
void OutputNothing(j_common_ptr) {}
void FormatNothing(j_common_ptr, char* buffer) { buffer[0] = '\0'; }

void ResetErrorState(j_common_ptr codec)
{
    codec->err->msg_code = 0;
    codec->err->num_warnings = 0;
}

}  // namespace

void RaiseCodecError(j_common_ptr codec)
{
    throw EJPEG(FormatMessage(texts::JpegError, {std::to_string(codec->err->msg_code)}));
}

void InstallCodecErrorHandler(jpeg_error_mgr& handler)
{
    jpeg_std_error(&handler);
    handler.error_exit = RaiseCodecError;
    handler.emit_message = IgnoreMessage;
    handler.output_message = OutputNothing;
    handler.format_message = FormatNothing;
    handler.reset_error_mgr = ResetErrorState;
}

void TCodecContext::LinkProgress(TCodecProgressListener* listener)
{
    if (listener == nullptr)
        return;
    Progress.progress_monitor = OnCodecProgress;
    Progress.Picture = listener;
}

void TCodecContext::DecompressorProgress(j_common_ptr codec)
{
    if (reinterpret_cast<j_decompress_ptr>(codec)->input_scan_number > MaxDecodedScans)
        ERREXIT(codec, JERR_BAD_PROGRESSION);
    OnCodecProgress(codec);
}

void TCodecContext::CreateDecompressor(TCodecProgressListener* listener)
{
    InstallCodecErrorHandler(ErrorHandler);
    Decompress.err = &ErrorHandler;
    jpeg_create_decompress(&Decompress);
    LinkProgress(listener);
    Progress.progress_monitor = DecompressorProgress;
    Decompress.progress = &Progress;
}

void TCodecContext::CreateCompressor(TCodecProgressListener* listener)
{
    InstallCodecErrorHandler(ErrorHandler);
    Compress.err = &ErrorHandler;
    jpeg_create_compress(&Compress);
    LinkProgress(listener);
    if (listener != nullptr)
        Compress.progress = &Progress;
}

void TCodecContext::Close()
{
    if (Decompress.err != nullptr) {
        jpeg_destroy(reinterpret_cast<j_common_ptr>(&Decompress));
        Decompress.err = nullptr;
    }
    if (Compress.err != nullptr) {
        jpeg_destroy(reinterpret_cast<j_common_ptr>(&Compress));
        Compress.err = nullptr;
    }
}

}  // namespace tremalu
