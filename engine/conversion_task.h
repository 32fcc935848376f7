#pragma once

#include "engine/ring_buffer.h"
#include "platform/shared_flag.h"

#include <QIODevice>
#include <QString>

#include <cstdint>

inline constexpr std::int32_t kSourceTypeWav = 1;
inline constexpr std::int32_t kOutputTypeMp3 = 2;

// One file to convert, and the object on which the three stages of its conversion run.
// Copies carry every field, the running flags with their current values.
class CConversionTask {
public:
    // Converts the file on three threads: effects and encoder on their own, the decode on the caller's.
    // The task must outlive both stage threads. 1 when the source was decoded to its end or until a
    // stop, 0 on failure (the batch is then stopped).
    int Convert();

    // Reads m_strSource into g_pReaderRing until end of file or until the batch stops.
    // 1 when the file was opened, 0 when it could not be (after posting the error line).
    int Decode();

    // The effects thread: g_pReaderRing through channels, rate, lowpass and highpass into g_pEffectsRing.
    // Starts the encoder thread once its chain is built. 1 after the chain has flowed, 0 on failure.
    int RunEffects();

    // The encoder thread: m_pRing into the MP3 file m_strDest, tagged at the end.
    void RunEncoder();
    int EncodeMp3();

    float AudioSeconds(std::uint64_t samples) const;

    QString m_strSource;
    std::int32_t m_nSourceType = -1;
    std::uint32_t m_nSourceRate = UINT32_MAX;
    std::uint32_t m_nSourceChannels = UINT32_MAX;
    QString m_strDest;
    std::int32_t m_nOutputType = -1;
    std::uint32_t m_nTargetRate = UINT32_MAX;
    std::uint32_t m_nTargetChannels = UINT32_MAX;
    std::uint64_t m_nTotalSamples = 0;  // output samples, all channels counted

    // Each written by its own stage only; cleared only after that stage's last ring write.
    platform::SharedFlag m_bDecoding;
    platform::SharedFlag m_bEncoding;
    platform::SharedFlag m_bProcessing;

    SampleRing* m_pRing = nullptr;  // the ring the encoder reads; not owned
};

// Opens and closes the file; on failure posts "File Error: " with the system's reason.
bool CheckSource(const QString& path, QIODevice::OpenMode mode);
