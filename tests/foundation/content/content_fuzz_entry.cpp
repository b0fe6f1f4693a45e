// libFuzzer entry for one content reader, chosen by TW_CONTENT_FUZZ_FORM (1 text, 2 binary,
// 3 compressed) when this file is built for a fuzzing campaign; empty in the test program.
#if defined(TW_CONTENT_FUZZ_FORM)

#include "content_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
#if TW_CONTENT_FUZZ_FORM == 1
    return FuzzContentTextReader(data, size);
#elif TW_CONTENT_FUZZ_FORM == 2
    return FuzzContentBinaryReader(data, size);
#else
    return FuzzContentCompressedReader(data, size);
#endif
}

#endif
