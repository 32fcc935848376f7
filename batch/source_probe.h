#pragma once

#include <QString>

#include <cstdint>
#include <map>

// What was learnt about a listed file when it was added; the convert commands build tasks from it.
struct FileItemInfo {
    std::int32_t m_bInvalid = 0;  // first, so that the list can colour invalid rows by it
    std::uint8_t m_nType = 0;     // g_fileTypes code; 0 for an unknown extension
    std::uint32_t m_nSampleRate = 0;
    std::uint32_t m_nChannels = 0;
    std::uint64_t m_nSamples = 0;  // frames x channels
    double m_dSizeMB = 0;
    double m_dDuration = 0;  // seconds
};

inline constexpr std::uint8_t kFileTypeWav = 1;

// Upper-case extension (without the dot) to file type code.
extern const std::map<QString, std::uint8_t> g_fileTypes;

// The type code of a file name's extension (the text after its last dot, or the whole name), 0 if unknown.
std::uint8_t FileTypeOf(const QString& fileName);

// 1 when the file could NOT be opened for reading, 0 when it could.
int CanOpenForReading(const QString& path);

// Fills channels, rate, samples and duration from the file's header; false when libsndfile cannot open it.
bool ProbeAudioHeader(const QString& path, FileItemInfo& info);
