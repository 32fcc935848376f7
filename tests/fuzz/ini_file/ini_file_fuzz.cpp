// Arbitrary bytes as the contents of an INI file: every name found in it and the settings' own names
// read, one value written, saved and loaded again; and the settings loaded from the same bytes.
#include "fuzz_support.h"

#include "platform/ini_file.h"
#include "settings/encoder_settings.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace {

constexpr int kWholeValue = 1 << 20;     // a buffer that takes any value the input can hold
constexpr std::size_t kMaxNames = 64;    // every read scans the file: keep one input's work linear
const QString kAbsent = QStringLiteral("\n");  // no value can hold a line break

struct Name {
    QString section;
    QString key;
    bool Matches(const Name& other) const
    {
        return section.compare(other.section, Qt::CaseInsensitive) == 0 &&
               key.compare(other.key, Qt::CaseInsensitive) == 0;
    }
};

// What reading gives back for a written value: one line, trimmed, one pair of enclosing quotes dropped,
// as the private-profile functions do.
QString AsReadBack(QString value)
{
    value.remove(u'\r').remove(u'\n');
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

// The settings' names, then the names the input spells, found the way the layer finds them.
std::vector<Name> NamesToRead(const QString& text)
{
    std::vector<Name> names{{QStringLiteral("OUTPUT"), QStringLiteral("DesDir")},
                            {QStringLiteral("OUTPUT"), QStringLiteral("Filter")},
                            {QStringLiteral("MP3"), QStringLiteral("LameBits")},
                            {QStringLiteral("MP3"), QStringLiteral("LameChannel")},
                            {QStringLiteral("MP3"), QStringLiteral("Freq")}};
    QString section;
    for (const QString& line : text.split(u'\n')) {
        if (names.size() >= kMaxNames)
            break;
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            section = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
            names.push_back({section, QStringLiteral("Filter")});
        } else if (!trimmed.startsWith(u';') && trimmed.contains(u'=')) {
            const QString key = trimmed.left(trimmed.indexOf(u'=')).trimmed();
            names.push_back({section, key});
            names.push_back({QStringLiteral("MP3"), key});
        }
    }
    return names;
}

QString Read(const platform::IniFile& ini, const Name& name)
{
    return ini.ReadString(name.section, name.key, kAbsent, kWholeValue);
}

void CheckReads(const platform::IniFile& ini, const Name& name, int bufferChars)
{
    const QString value = Read(ini, name);
    const QString bounded = ini.ReadString(name.section, name.key, kAbsent, bufferChars);
    FUZZ_CHECK(bounded == value.left(std::max(bufferChars - 1, 0)));

    constexpr int kDefault = -12345;
    const int number = ini.ReadInt(name.section, name.key, kDefault);
    if (value == kAbsent || value.isEmpty()) {
        FUZZ_CHECK(number == kDefault);
    } else {
        bool ok = false;
        const int whole = value.toInt(&ok);
        if (ok && value.size() <= 9 && std::all_of(value.begin(), value.end(), [](QChar c) {
                return c.unicode() >= u'0' && c.unicode() <= u'9';
            }))
            FUZZ_CHECK(number == whole);
    }
}

void FuzzIniFile(const QByteArray& bytes)
{
    const QString path = FuzzScratchDir() + QStringLiteral("/input.ini");
    WriteInputFile(path, bytes);

    platform::IniFile ini;
    FUZZ_CHECK(ini.Load(path));
    const QString text = QString::fromUtf8(bytes);
    const std::vector<Name> names = NamesToRead(text);
    const int bufferChars = bytes.isEmpty() ? 0 : static_cast<signed char>(bytes.back());
    std::vector<QString> before;
    for (const Name& name : names) {
        CheckReads(ini, name, bufferChars);
        before.push_back(Read(ini, name));
    }

    // One of those names gets the last two lines of the input, line break included.
    const Name written = names[static_cast<std::size_t>(bytes.isEmpty() ? 0 : static_cast<unsigned char>(bytes[0])) % names.size()];
    const qsizetype lastBreak = text.lastIndexOf(u'\n');
    const QString value = text.mid(lastBreak <= 0 ? 0 : text.lastIndexOf(u'\n', lastBreak - 1) + 1);
    ini.WriteString(written.section, written.key, value);
    FUZZ_CHECK(Read(ini, written) == AsReadBack(value));
    FUZZ_CHECK(ini.Save(path));

    platform::IniFile reloaded;
    FUZZ_CHECK(reloaded.Load(path));
    FUZZ_CHECK(Read(reloaded, written) == AsReadBack(value));
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!names[i].Matches(written))
            FUZZ_CHECK(Read(reloaded, names[i]) == before[i]);
    }

    // A saved file loads and saves to the same bytes.
    QFile saved(path);
    FUZZ_CHECK(saved.open(QIODevice::ReadOnly));
    const QByteArray savedBytes = saved.readAll();
    saved.close();
    FUZZ_CHECK(reloaded.Save(path));
    FUZZ_CHECK(saved.open(QIODevice::ReadOnly));
    FUZZ_CHECK(saved.readAll() == savedBytes);
}

void FuzzSettings(const QByteArray& bytes)
{
    WriteInputFile(g_strConfigDir + QStringLiteral("/Config.ini"), bytes);
    g_encoderSettings = EncoderSettings{};
    FUZZ_CHECK(LoadSettings());
    const EncoderSettings loaded = g_encoderSettings;
    FUZZ_CHECK(loaded.Freq >= 0 && static_cast<std::size_t>(loaded.Freq) < kSampleRates.size());
    FUZZ_CHECK(loaded.LameChannel >= 0 && loaded.LameChannel <= 2);
    FUZZ_CHECK(loaded.LameBits >= 0 && static_cast<std::size_t>(loaded.LameBits) < kBitrates.size());
    FUZZ_CHECK(loaded.DesDir.size() < 1024);
    FUZZ_CHECK(std::find(kBitrates.begin(), kBitrates.end(), BitrateKbps()) != kBitrates.end());
    FUZZ_CHECK(std::find(kSampleRates.begin() + 1, kSampleRates.end(), OutputRateFor(44100)) != kSampleRates.end());
    FUZZ_CHECK(!SettingsSummaryText().isEmpty());

    // What was loaded survives a save and a load.
    FUZZ_CHECK(SaveSettings());
    g_encoderSettings = EncoderSettings{};
    FUZZ_CHECK(LoadSettings());
    const EncoderSettings& again = g_encoderSettings;
    FUZZ_CHECK(again.Freq == loaded.Freq && again.LameChannel == loaded.LameChannel &&
               again.LameBits == loaded.LameBits && again.Filter == loaded.Filter);
    FUZZ_CHECK(again.DesDir == AsReadBack(loaded.DesDir));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_strConfigDir = FuzzScratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FuzzIniFile(bytes);
    FuzzSettings(bytes);
    return 0;
}
