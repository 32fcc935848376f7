#include "settings/encoder_settings.h"

#include "engine/folder_path.h"
#include "platform/ini_file.h"
#include "platform/known_folders.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

EncoderSettings g_encoderSettings;
QString g_strConfigDir;

namespace {

const EncoderSettings kDefaults;
constexpr int kDesDirBufferChars = 1024;

QString SectionOutput() { return QStringLiteral("OUTPUT"); }
QString SectionMp3() { return QStringLiteral("MP3"); }

QString ConfigFilePath()
{
    return g_strConfigDir + QStringLiteral("/Config.ini");
}

QString DefaultOutputFolder()
{
    for (const QString& folder : {platform::MusicFolder(), platform::DesktopFolder()}) {
        if (!folder.isEmpty())
            return folder + u'/';
    }
    return QDir::homePath() + u'/';
}

// A stored index outside its table falls back to the field's default, so no table is ever read out of
// bounds, whatever the file or a caller put there.
template <typename Table>
std::int16_t IndexOr(int index, const Table& table, std::int16_t fallback)
{
    return index >= 0 && static_cast<std::size_t>(index) < table.size() ? static_cast<std::int16_t>(index) : fallback;
}

std::int16_t ChannelModeOr(int mode, std::int16_t fallback)
{
    return mode >= 0 && mode <= 2 ? static_cast<std::int16_t>(mode) : fallback;
}

}  // namespace

QString GetConfigFolder()
{
    QString base = platform::ConfigFolder();
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Quorbel");
}

void InitSettings()
{
    g_encoderSettings.DesDir = DefaultOutputFolder();
    g_strConfigDir = GetConfigFolder();
    if (!QFileInfo(g_strConfigDir).isDir() && !CreateFolderPath(g_strConfigDir))
        platform::ShowMessageBox(QStringLiteral("Fail to create folder %1 !!").arg(g_strConfigDir), platform::MessageIcon::None);
    if (QFileInfo::exists(ConfigFilePath())) {
        LoadSettings();
        return;
    }
    // An empty file marks the folder as ours; if it cannot be made, the save at close reports the problem.
    QFile(ConfigFilePath()).open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool LoadSettings()
{
    platform::IniFile ini;
    if (!ini.Load(ConfigFilePath())) {
        platform::ShowMessageBox(QStringLiteral("An Error Occurred while loading settings!"), platform::MessageIcon::Error);
        return false;
    }
    EncoderSettings& s = g_encoderSettings;
    s.Filter = ini.ReadInt(SectionOutput(), QStringLiteral("Filter"), kDefaults.Filter);
    s.LameBits = IndexOr(ini.ReadInt(SectionMp3(), QStringLiteral("LameBits"), kDefaults.LameBits), kBitrates, kDefaults.LameBits);
    s.LameChannel = ChannelModeOr(ini.ReadInt(SectionMp3(), QStringLiteral("LameChannel"), kDefaults.LameChannel), kDefaults.LameChannel);
    s.Freq = IndexOr(ini.ReadInt(SectionMp3(), QStringLiteral("Freq"), kDefaults.Freq), kSampleRates, kDefaults.Freq);
    s.DesDir = ini.ReadString(SectionOutput(), QStringLiteral("DesDir"), DefaultOutputFolder(), kDesDirBufferChars);
    return true;
}

bool SaveSettings()
{
    // One atomic replace for all five keys: a crash or a full disk leaves the previous file whole.
    platform::IniFile ini;
    bool saved = ini.Load(ConfigFilePath());
    if (saved) {
        const EncoderSettings& s = g_encoderSettings;
        ini.WriteString(SectionOutput(), QStringLiteral("Filter"), QString::number(s.Filter));
        ini.WriteString(SectionOutput(), QStringLiteral("DesDir"), s.DesDir);
        ini.WriteString(SectionMp3(), QStringLiteral("LameBits"), QString::number(s.LameBits));
        ini.WriteString(SectionMp3(), QStringLiteral("LameChannel"), QString::number(s.LameChannel));
        ini.WriteString(SectionMp3(), QStringLiteral("Freq"), QString::number(s.Freq));
        saved = ini.Save(ConfigFilePath());
    }
    if (!saved)
        platform::ShowMessageBox(QStringLiteral("An error occurred while saving settings!"), platform::MessageIcon::Error);
    return saved;
}

void ResetSettings()
{
    QFile::remove(ConfigFilePath());
    LoadSettings();
}

std::uint32_t PickOutputRate(std::uint32_t sourceRate)
{
    for (std::size_t i = 1; i < kSampleRates.size(); ++i) {
        if (kSampleRates[i] >= sourceRate)
            return kSampleRates[i];
    }
    return kSampleRates.back();
}

std::uint32_t OutputRateFor(std::uint32_t sourceRate)
{
    const std::int16_t freq = IndexOr(g_encoderSettings.Freq, kSampleRates, kDefaults.Freq);
    return freq != 0 ? kSampleRates[freq] : PickOutputRate(sourceRate);
}

int OutputChannelsFor(std::uint32_t sourceChannels)
{
    switch (g_encoderSettings.LameChannel) {
    case 0:
        return sourceChannels > 1 ? 2 : static_cast<int>(sourceChannels);
    case 1:
        return 1;
    default:
        return 2;
    }
}

int BitrateKbps()
{
    return kBitrates[IndexOr(g_encoderSettings.LameBits, kBitrates, kDefaults.LameBits)];
}

QString SettingsSummaryText()
{
    const std::int16_t freq = IndexOr(g_encoderSettings.Freq, kSampleRates, kDefaults.Freq);
    QString text = QStringLiteral("MP3:  ");
    if (freq != 0)
        text += QString::asprintf("CBR %3d kbps; %5u Hz;", BitrateKbps(), kSampleRates[freq]);
    else
        text += QString::asprintf("CBR %3d kbps; Automatic Frequency;", BitrateKbps());
    switch (g_encoderSettings.LameChannel) {
    case 0:
        text += QStringLiteral(" Automatic Channel;");
        break;
    case 1:
        text += QStringLiteral(" Mono;");
        break;
    case 2:
        text += QStringLiteral(" Stereo;");
        break;
    default:
        break;
    }
    return QStringLiteral("  ") + text;
}
