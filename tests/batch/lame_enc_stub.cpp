// Stand-ins for the encoder module: they forward to the real one, and fail, or lack entry points,
// as the tests need. QUORBEL_STUB_FAIL=init|encode|deinit picks the failing call.
#include "lame_enc/lame_enc.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr BE_ERR kInjectedError = 77;

bool FailsAt(const char* call)
{
    const char* fail = std::getenv("QUORBEL_STUB_FAIL");
    return fail && std::strcmp(fail, call) == 0;
}

template <typename Entry>
Entry Real(const char* name)
{
    static void* module = dlopen(REAL_LAME_ENC, RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<Entry>(dlsym(module, name));
}

}  // namespace

extern "C" {

BE_ERR beInitStream(const BE_CONFIG* config, uint32_t* samples, uint32_t* bufferSize, HBE_STREAM* stream)
{
    if (FailsAt("init"))
        return kInjectedError;
    return Real<BEINITSTREAM>("beInitStream")(config, samples, bufferSize, stream);
}

#ifndef STUB_WITHOUT_ENCODE
BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM stream, uint32_t samples, const float* left, const float* right,
                               uint8_t* output, uint32_t* produced)
{
    if (FailsAt("encode"))
        return kInjectedError;
    return Real<BEENCODECHUNKFLOATS16NI>("beEncodeChunkFloatS16NI")(stream, samples, left, right, output, produced);
}
#endif

BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* produced)
{
    if (FailsAt("deinit"))
        return kInjectedError;
    return Real<BEDEINITSTREAM>("beDeinitStream")(stream, output, produced);
}

BE_ERR beCloseStream(HBE_STREAM stream)
{
    return Real<BECLOSESTREAM>("beCloseStream")(stream);
}

BE_ERR beWriteVBRHeader(const char* path)
{
    return Real<BEWRITEVBRHEADER>("beWriteVBRHeader")(path);
}

#ifndef STUB_WITHOUT_INFO_TAG
BE_ERR beWriteInfoTag(HBE_STREAM stream, const char* path)
{
    return Real<BEWRITEINFOTAG>("beWriteInfoTag")(stream, path);
}
#endif
}
