#include "platform/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

enum class Op { ReadString, ReadInt, Write };

struct IniCase {
    const char* name;
    const char* content;  // nullptr: no file
    Op op;
    const char* section;
    const char* key;
    const char* valueOrDefault;  // the value to write, or the default to read with
    int bufferChars;
    const char* expected;  // the value read, or the whole file after the write
};

class IniFileSemantics : public testing::TestWithParam<IniCase> {};

TEST_P(IniFileSemantics, BehavesLikeAPrivateProfile)
{
    const IniCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (c.content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
    }
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    const QString section = QString::fromUtf8(c.section);
    const QString key = QString::fromUtf8(c.key);
    const QString value = QString::fromUtf8(c.valueOrDefault);
    switch (c.op) {
    case Op::ReadString:
        EXPECT_EQ(ini.ReadString(section, key, value, c.bufferChars), QString::fromUtf8(c.expected));
        break;
    case Op::ReadInt:
        EXPECT_EQ(ini.ReadInt(section, key, value.toInt()), QByteArray(c.expected).toInt());
        break;
    case Op::Write: {
        ini.WriteString(section, key, value);
        ASSERT_TRUE(ini.Save(path));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(c.expected));
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileSemantics,
    testing::Values(
        IniCase{"missing_file_gives_default", nullptr, Op::ReadString, "S", "k", "dflt", 1024, "dflt"},
        IniCase{"names_match_any_case", "[mp3]\nFREQ=5\n", Op::ReadInt, "MP3", "Freq", "0", 0, "5"},
        IniCase{"empty_string_value_is_empty", "[OUTPUT]\nDesDir=\n", Op::ReadString, "OUTPUT", "DesDir", "dflt", 1024, ""},
        IniCase{"empty_int_value_gives_default", "[S]\nk=\n", Op::ReadInt, "S", "k", "7", 0, "7"},
        IniCase{"absent_key_gives_default", "[S]\nother=1\n", Op::ReadInt, "S", "k", "11", 0, "11"},
        IniCase{"key_of_another_section_is_absent", "[A]\nk=1\n[B]\n", Op::ReadString, "B", "k", "d", 1024, "d"},
        IniCase{"first_match_wins", "[S]\nk=1\nk=2\n[S]\nk=3\n", Op::ReadString, "S", "k", "", 1024, "1"},
        IniCase{"comments_are_not_keys", "[S]\n;k=9\nk=2\n", Op::ReadInt, "S", "k", "0", 0, "2"},
        IniCase{"blanks_around_names_and_values", "  [ S ]  \n  k  =  v w  \n", Op::ReadString, "S", "k", "", 1024, "v w"},
        IniCase{"quotes_around_a_value_go", "[S]\nk=\"a b\"\n", Op::ReadString, "S", "k", "", 1024, "a b"},
        IniCase{"bounded_buffer_truncates", "[S]\nk=abcdef\n", Op::ReadString, "S", "k", "", 4, "abc"},
        IniCase{"bounded_buffer_truncates_default", nullptr, Op::ReadString, "S", "k", "abcdef", 3, "ab"},
        IniCase{"int_takes_leading_digits", "[S]\nk=12abc\n", Op::ReadInt, "S", "k", "5", 0, "12"},
        IniCase{"int_of_text_is_zero", "[S]\nk=abc\n", Op::ReadInt, "S", "k", "5", 0, "0"},
        IniCase{"int_may_be_negative", "[S]\nk=-3\n", Op::ReadInt, "S", "k", "5", 0, "-3"},
        IniCase{"int_saturates", "[S]\nk=99999999999\n", Op::ReadInt, "S", "k", "5", 0, "2147483647"},
        IniCase{"crlf_lines_read", "[S]\r\nk=v\r\n", Op::ReadString, "S", "k", "", 1024, "v"},
        IniCase{"utf8_bom_and_text", "\xEF\xBB\xBF[S]\nk=M\xC3\xBCsik\n", Op::ReadString, "S", "k", "", 1024, "M\xC3\xBCsik"},
        IniCase{"write_creates_file", nullptr, Op::Write, "S", "k", "v", 0, "[S]\nk=v\n"},
        IniCase{"write_replaces_and_keeps_the_rest", "; note\n[S]\nA=1\nk=old\nB=2\n", Op::Write, "S", "k", "new", 0,
                "; note\n[S]\nA=1\nk=new\nB=2\n"},
        IniCase{"write_keeps_the_stored_spelling", "[s]\nKEY=1\n", Op::Write, "S", "key", "2", 0, "[s]\nKEY=2\n"},
        IniCase{"write_appends_to_its_section", "[S]\na=1\n\n[T]\nb=2\n", Op::Write, "S", "k", "v", 0,
                "[S]\na=1\nk=v\n\n[T]\nb=2\n"},
        IniCase{"write_appends_a_section", "[S]\na=1", Op::Write, "T", "k", "v", 0, "[S]\na=1\n\n[T]\nk=v\n"},
        IniCase{"write_keeps_crlf_and_bom", "\xEF\xBB\xBF[S]\r\na=1\r\n", Op::Write, "S", "b", "2", 0,
                "\xEF\xBB\xBF[S]\r\na=1\r\nb=2\r\n"},
        IniCase{"write_keeps_a_value_on_one_line", "", Op::Write, "S", "k", "x\ny", 0, "[S]\nk=xy\n"}),
    [](const testing::TestParamInfo<IniCase>& row) { return std::string(row.param.name); });

TEST(IniFile, UnreadableFileFailsToLoad)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    ASSERT_TRUE(QDir().mkdir(path));
    platform::IniFile ini;
    EXPECT_FALSE(ini.Load(path));
}

TEST(IniFile, FailedSaveLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/Config.ini"));
    platform::IniFile ini;
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_FALSE(ini.Save(path));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
