// Fuzz target of enhanced metafiles and their playback (see metafile_fuzz.h).
#include "metafile_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz_support::ReadAndDrawMetafile(data, size);
}
