#include "lame_enc.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace {

struct LameCloser {
    void operator()(lame_global_flags* pLame) const { lame_close(pLame); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameCloser>;

struct OpenStream {
    LamePtr m_pLame;
    uint32_t m_nChunkSamples;  // per channel
    uint32_t m_nBufferSize;
    bool m_bFlushed = false;
};

struct ClosedStream {
    HBE_STREAM m_hStream;
    std::vector<unsigned char> m_tagFrame;  // empty when no tag was asked for or no frame was written
};

// Every entry point holds this lock for its whole call: one encoder thread per process is the
// expected use, and the lock keeps any other mix of callers correct.
std::mutex g_mutex;
std::map<HBE_STREAM, OpenStream> g_openStreams;
// beWriteVBRHeader gets only a path, so the most recently closed, untagged stream is kept for it.
std::optional<ClosedStream> g_lastClosed;
HBE_STREAM g_hLastIssued = 0;

BE_ERR FromLameResult(int nResult)
{
    return nResult == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

// Takes the tag frame before the encoder is freed; it needs LAME's counts of the whole stream.
ClosedStream CloseStream(std::map<HBE_STREAM, OpenStream>::iterator it)
{
    const lame_global_flags* pLame = it->second.m_pLame.get();
    std::vector<unsigned char> tagFrame(lame_get_lametag_frame(pLame, nullptr, 0));
    lame_get_lametag_frame(pLame, tagFrame.data(), tagFrame.size());
    ClosedStream closed{it->first, std::move(tagFrame)};
    g_openStreams.erase(it);
    return closed;
}

bool IsFrameSync(const std::array<char, 2>& header)
{
    return static_cast<unsigned char>(header[0]) == 0xFF &&
           (static_cast<unsigned char>(header[1]) & 0xE0) == 0xE0;
}

// LAME left the first frame empty for the tag, and nothing (no ID3v2 tag) is written before it.
BE_ERR WriteTagFrame(const std::vector<unsigned char>& tagFrame, const char* lpszFileName)
{
    if (lpszFileName == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    if (tagFrame.empty()) {
        return BE_ERR_SUCCESSFUL;
    }
    std::fstream file(lpszFileName, std::ios::in | std::ios::out | std::ios::binary);
    std::array<char, 2> header{};
    if (!file.read(header.data(), header.size()) || !IsFrameSync(header)) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(tagFrame.data()),
               static_cast<std::streamsize>(tagFrame.size()));
    file.close();
    return file ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

}  // namespace

extern "C" {

BE_ERR beInitStream(const BE_CONFIG* pbeConfig, uint32_t* dwSamples, uint32_t* dwBufferSize,
                    HBE_STREAM* phbeStream)
{
    std::lock_guard lock(g_mutex);
    if (pbeConfig == nullptr || dwSamples == nullptr || dwBufferSize == nullptr ||
        phbeStream == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const BE_CONFIG& config = *pbeConfig;
    if (config.dwConfig != BE_CONFIG_LAME) {
        return BE_ERR_INVALID_FORMAT;
    }
    if (config.dwStructVersion != CURRENT_STRUCT_VERSION ||
        config.dwStructSize != CURRENT_STRUCT_SIZE) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    // Only plain constant bit rate is offered; anything else would quietly encode otherwise.
    if (config.bEnableVBR != 0 || config.dwVbrAbr_bps != 0 || config.nPreset != LQP_NOPRESET) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    MPEG_mode mode = MONO;
    int nChannels = 1;
    switch (config.nMode) {
    case BE_MP3_MODE_MONO:
        break;
    case BE_MP3_MODE_STEREO:
        mode = STEREO;
        nChannels = 2;
        break;
    case BE_MP3_MODE_JSTEREO:
        mode = JOINT_STEREO;
        nChannels = 2;
        break;
    default:
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }

    LamePtr pLame(lame_init());
    if (!pLame) {
        return BE_ERR_NO_MORE_HANDLES;
    }
    lame_global_flags* l = pLame.get();
    // LAME's setters refuse values it cannot use (a rate of 0, an output rate MPEG lacks) and
    // would then encode with their defaults, so every refusal counts.
    int nRefused = 0;
    nRefused |= lame_set_in_samplerate(l, static_cast<int>(config.dwSampleRate));
    if (config.dwReSampleRate != 0) {
        nRefused |= lame_set_out_samplerate(l, static_cast<int>(config.dwReSampleRate));
    }
    nRefused |= lame_set_num_channels(l, nChannels);
    nRefused |= lame_set_mode(l, mode);
    nRefused |= lame_set_VBR(l, vbr_off);
    nRefused |= lame_set_brate(l, static_cast<int>(config.dwBitrate));
    nRefused |= lame_set_disable_reservoir(l, config.bNoRes != 0);
    nRefused |= lame_set_bWriteVbrTag(l, config.bWriteVBRHeader != 0);
    nRefused |= lame_set_strict_ISO(l, config.bStrictIso != 0);
    nRefused |= lame_set_extension(l, config.bPrivate != 0);
    nRefused |= lame_set_error_protection(l, config.bCRC != 0);
    nRefused |= lame_set_copyright(l, config.bCopyright != 0);
    nRefused |= lame_set_original(l, config.bOriginal != 0);
    const int nQuality = config.nQuality & 0xFF;
    if (config.nQuality >> 8 == (~nQuality & 0xFF)) {
        nRefused |= lame_set_quality(l, nQuality);
    }
    if (nRefused != 0 || lame_init_params(l) != 0) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }

    // A chunk is one frame (1152 samples per channel for MPEG-1, 576 for MPEG-2 and 2.5).
    const auto nChunkSamples = static_cast<uint32_t>(lame_get_framesize(l));
    const auto nInRate = static_cast<uint64_t>(lame_get_in_samplerate(l));
    const auto nOutRate = static_cast<uint64_t>(lame_get_out_samplerate(l));
    const uint64_t nOutSamples = (nChunkSamples * std::max(nInRate, nOutRate) + nInRate - 1) / nInRate;
    // LAME's worst case for one call: 1.25 bytes per output sample, plus 7200 for what it still
    // holds; the flush fits in it too. LAME is also told the size, so it refuses rather than overflow.
    const auto nBufferSize = static_cast<uint32_t>((nOutSamples * 5 + 3) / 4 + 7200);

    const HBE_STREAM hStream = ++g_hLastIssued;
    g_openStreams.emplace(hStream, OpenStream{std::move(pLame), nChunkSamples, nBufferSize});
    *dwSamples = nChunkSamples * static_cast<uint32_t>(nChannels);
    *dwBufferSize = nBufferSize;
    *phbeStream = hStream;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM hbeStream, uint32_t nSamples, const float* buffer_l,
                               const float* buffer_r, uint8_t* pOutput, uint32_t* pdwOutput)
{
    std::lock_guard lock(g_mutex);
    if (pdwOutput == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *pdwOutput = 0;
    const auto it = g_openStreams.find(hbeStream);
    if (it == g_openStreams.end() || it->second.m_bFlushed) {
        return BE_ERR_INVALID_HANDLE;
    }
    const OpenStream& stream = it->second;
    if (nSamples > stream.m_nChunkSamples) {
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    const bool bStereo = lame_get_num_channels(stream.m_pLame.get()) == 2;
    if (pOutput == nullptr ||
        (nSamples > 0 && (buffer_l == nullptr || (bStereo && buffer_r == nullptr)))) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const int nBytes = lame_encode_buffer_float(stream.m_pLame.get(), buffer_l,
                                                bStereo ? buffer_r : nullptr,
                                                static_cast<int>(nSamples), pOutput,
                                                static_cast<int>(stream.m_nBufferSize));
    if (nBytes < 0) {
        return FromLameResult(nBytes);
    }
    *pdwOutput = static_cast<uint32_t>(nBytes);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput)
{
    std::lock_guard lock(g_mutex);
    if (pOutput == nullptr || pdwOutput == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *pdwOutput = 0;
    const auto it = g_openStreams.find(hbeStream);
    if (it == g_openStreams.end() || it->second.m_bFlushed) {
        return BE_ERR_INVALID_HANDLE;
    }
    OpenStream& stream = it->second;
    stream.m_bFlushed = true;
    const int nBytes = lame_encode_flush(stream.m_pLame.get(), pOutput,
                                         static_cast<int>(stream.m_nBufferSize));
    if (nBytes < 0) {
        return FromLameResult(nBytes);
    }
    *pdwOutput = static_cast<uint32_t>(nBytes);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM hbeStream)
{
    std::lock_guard lock(g_mutex);
    const auto it = g_openStreams.find(hbeStream);
    if (it == g_openStreams.end()) {
        return BE_ERR_INVALID_HANDLE;
    }
    g_lastClosed = CloseStream(it);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beWriteVBRHeader(const char* lpszFileName)
{
    std::lock_guard lock(g_mutex);
    if (!g_lastClosed) {
        return BE_ERR_INVALID_HANDLE;
    }
    const ClosedStream closed = *std::exchange(g_lastClosed, std::nullopt);
    return WriteTagFrame(closed.m_tagFrame, lpszFileName);
}

BE_ERR beWriteInfoTag(HBE_STREAM hbeStream, const char* lpszFileName)
{
    std::lock_guard lock(g_mutex);
    std::optional<ClosedStream> closed;
    if (const auto it = g_openStreams.find(hbeStream); it != g_openStreams.end()) {
        closed = CloseStream(it);
    } else if (g_lastClosed && g_lastClosed->m_hStream == hbeStream) {
        closed = std::exchange(g_lastClosed, std::nullopt);
    } else {
        return BE_ERR_INVALID_HANDLE;
    }
    return WriteTagFrame(closed->m_tagFrame, lpszFileName);
}

}  // extern "C"
