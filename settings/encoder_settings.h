#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Stored as small indexes into these tables, so that an option list's position is the stored value.
inline constexpr std::array<std::uint32_t, 9> kSampleRates{0, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};
inline constexpr std::array<std::int16_t, 17> kBitrates{8,   16,  24,  32,  40,  48,  56,  64, 80,
                                                       96,  112, 128, 160, 192, 224, 256, 320};

struct EncoderSettings {
    QString DesDir;               // output folder, ending in "/"
    std::int16_t Freq = 0;        // index into kSampleRates; 0 picks the rate from the source
    std::int16_t LameChannel = 0; // 0 automatic, 1 mono, 2 stereo
    std::int16_t LameBits = 11;   // index into kBitrates
    std::int32_t Filter = 15;     // kept in the file for older versions; nothing uses it
    std::int16_t LameQuality = 9; // fixed encoder quality; never stored
};

// The process-wide settings. Written on the window thread only; workers read the bit rate and quality
// while a modal batch keeps the options dialog closed.
extern EncoderSettings g_encoderSettings;
// The folder that holds Config.ini; set by InitSettings.
extern QString g_strConfigDir;

void InitSettings();
bool LoadSettings();
bool SaveSettings();
void ResetSettings();
QString GetConfigFolder();

std::uint32_t PickOutputRate(std::uint32_t sourceRate);
std::uint32_t OutputRateFor(std::uint32_t sourceRate);
int OutputChannelsFor(std::uint32_t sourceChannels);
int BitrateKbps();

// The status bar's one-line summary of the settings, leading blanks included.
QString SettingsSummaryText();
