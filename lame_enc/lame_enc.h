#pragma once

/* The encoder stream interface of lame_enc, in the BladeEnc/LAME form. The encoder stage loads
   the module at run time and looks the six entry points up by name, so this header is C. */

#include <assert.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t BE_ERR;
/* 0 is never a valid stream. */
typedef uint64_t HBE_STREAM;

enum {
    BE_ERR_SUCCESSFUL = 0,
    BE_ERR_INVALID_FORMAT = 1,            /* dwConfig is not BE_CONFIG_LAME */
    BE_ERR_INVALID_FORMAT_PARAMETERS = 2, /* a field of the record, an argument or the tagged file is unusable */
    BE_ERR_NO_MORE_HANDLES = 3,
    BE_ERR_INVALID_HANDLE = 4,            /* unknown or already tagged stream, or closed when it must be open */
    BE_ERR_BUFFER_TOO_SMALL = 5           /* more samples than one chunk: the output could exceed the buffer */
};

enum { BE_CONFIG_LAME = 256 };

enum {
    BE_MP3_MODE_STEREO = 0,
    BE_MP3_MODE_JSTEREO = 1,
    BE_MP3_MODE_DUALCHANNEL = 2, /* refused: LAME cannot encode it */
    BE_MP3_MODE_MONO = 3
};

enum { LQP_NOPRESET = -1 };
enum { MPEG1 = 1, MPEG2 = 0 }; /* values of dwMpegVersion */

enum { CURRENT_STRUCT_VERSION = 1, CURRENT_STRUCT_SIZE = 331 };

/* The LAME version-1 configuration record, byte for byte the layout that callers of
   lame_enc have always filled: zero it, then set what is needed. */
#pragma pack(push, 1)
typedef struct BE_CONFIG {
    uint32_t dwConfig;        /* BE_CONFIG_LAME */
    uint32_t dwStructVersion; /* CURRENT_STRUCT_VERSION */
    uint32_t dwStructSize;    /* CURRENT_STRUCT_SIZE */

    uint32_t dwSampleRate;   /* input rate, Hz */
    uint32_t dwReSampleRate; /* output rate, Hz; 0 lets LAME choose for the bit rate */
    int32_t nMode;           /* BE_MP3_MODE_* */
    uint32_t dwBitrate;      /* kbit/s; LAME takes the nearest rate the output's MPEG version allows */
    uint32_t dwMaxBitrate;   /* variable bit rate only: ignored */
    int32_t nPreset;         /* LQP_NOPRESET; presets are not offered */
    uint32_t dwMpegVersion;  /* ignored: LAME picks the version the output rate needs */
    uint32_t dwPsyModel;
    uint32_t dwEmphasis;

    int32_t bPrivate;
    int32_t bCRC;
    int32_t bCopyright;
    int32_t bOriginal;

    int32_t bWriteVBRHeader; /* reserve the first frame for the Info tag */
    int32_t bEnableVBR;      /* refused: constant bit rate only */
    int32_t nVBRQuality;
    uint32_t dwVbrAbr_bps;   /* refused when set */
    int32_t nVbrMethod;
    int32_t bNoRes;          /* disable the bit reservoir */

    int32_t bStrictIso;
    uint16_t nQuality;       /* low byte 0..9, used only when the high byte is its complement */

    uint8_t btReserved[237];
} BE_CONFIG;
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == CURRENT_STRUCT_SIZE, "BE_CONFIG must keep its 331-byte layout");

/* beInitStream: on success, *dwSamples is the chunk S (samples across all channels) and
   *dwBufferSize the output buffer B that any chunk of at most S samples, and the flush, fit in.
   Callers of the classic interface pass further arguments after these four; under the C calling
   convention they are simply not read. */
typedef BE_ERR BeInitStreamFn(const BE_CONFIG* pbeConfig, uint32_t* dwSamples,
                              uint32_t* dwBufferSize, HBE_STREAM* phbeStream);
/* nSamples per channel, at most S / channels; buffer_r is not read for mono and may be null.
   The floats are in the 16-bit range (full scale is +-32768). */
typedef BE_ERR BeEncodeChunkFloatS16NIFn(HBE_STREAM hbeStream, uint32_t nSamples,
                                         const float* buffer_l, const float* buffer_r,
                                         uint8_t* pOutput, uint32_t* pdwOutput);
/* Flushes the last frames into pOutput (B bytes). */
typedef BE_ERR BeDeinitStreamFn(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput);
/* Frees the encoder; the stream stays known for one tag write until the next stream is closed. */
typedef BE_ERR BeCloseStreamFn(HBE_STREAM hbeStream);
/* Writes the tag of the most recently closed, untagged stream into the file at the path. */
typedef BE_ERR BeWriteVBRHeaderFn(const char* lpszFileName);
/* Writes the stream's tag into the file at the path (closing the stream first if still open),
   then forgets the stream. */
typedef BE_ERR BeWriteInfoTagFn(HBE_STREAM hbeStream, const char* lpszFileName);

typedef BeInitStreamFn* BEINITSTREAM;
typedef BeEncodeChunkFloatS16NIFn* BEENCODECHUNKFLOATS16NI;
typedef BeDeinitStreamFn* BEDEINITSTREAM;
typedef BeCloseStreamFn* BECLOSESTREAM;
typedef BeWriteVBRHeaderFn* BEWRITEVBRHEADER;
typedef BeWriteInfoTagFn* BEWRITEINFOTAG;

#define LAME_ENC_EXPORT __attribute__((visibility("default")))

LAME_ENC_EXPORT BeInitStreamFn beInitStream;
LAME_ENC_EXPORT BeEncodeChunkFloatS16NIFn beEncodeChunkFloatS16NI;
LAME_ENC_EXPORT BeDeinitStreamFn beDeinitStream;
LAME_ENC_EXPORT BeCloseStreamFn beCloseStream;
LAME_ENC_EXPORT BeWriteVBRHeaderFn beWriteVBRHeader;
LAME_ENC_EXPORT BeWriteInfoTagFn beWriteInfoTag;

#ifdef __cplusplus
}
#endif
