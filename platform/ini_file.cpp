#include "platform/ini_file.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

namespace platform {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsSectionLine(const QString& trimmed)
{
    return trimmed.startsWith(u'[');
}

QString SectionName(const QString& trimmed)
{
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

// Key of a "key=value" line, or a null string for comments and other lines.
QString KeyName(const QString& trimmed)
{
    if (trimmed.startsWith(u';'))
        return {};
    const qsizetype equals = trimmed.indexOf(u'=');
    return equals < 0 ? QString() : trimmed.left(equals).trimmed();
}

QString Value(const QString& line)
{
    QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

int LeadingInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long magnitude = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace

bool IniFile::Load(const QString& path)
{
    m_lines.clear();
    m_bByteOrderMark = false;
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    if (bytes.startsWith(kByteOrderMark)) {
        m_bByteOrderMark = true;
        bytes.remove(0, 3);
    }
    const QString text = QString::fromUtf8(bytes);
    m_strNewline = text.contains(u"\r\n") ? QStringLiteral("\r\n") : QStringLiteral("\n");
    m_lines = text.split(u'\n');
    if (m_lines.last().isEmpty())
        m_lines.removeLast();  // the final line end starts no line
    for (QString& line : m_lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // Carriage returns that end the file without a line feed end no line either. One kept would be
    // saved as a CRLF into a file of bare line feeds, and the next load would take it for that style.
    if (!text.endsWith(u'\n')) {
        while (!m_lines.isEmpty() && m_lines.last().endsWith(u'\r'))
            m_lines.last().chop(1);
    }
    return true;
}

IniFile::Entry IniFile::Find(const QString& section, const QString& key) const
{
    Entry entry{-1, -1};
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString trimmed = m_lines[i].trimmed();
        if (IsSectionLine(trimmed)) {
            if (entry.sectionLine >= 0)
                break;  // past the end of the first matching section
            if (SectionName(trimmed).compare(section, Qt::CaseInsensitive) == 0)
                entry.sectionLine = i;
        } else if (entry.sectionLine >= 0) {
            const QString name = KeyName(trimmed);
            if (!name.isNull() && name.compare(key, Qt::CaseInsensitive) == 0) {
                entry.keyLine = i;
                break;
            }
        }
    }
    return entry;
}

int IniFile::ReadInt(const QString& section, const QString& key, int defaultValue) const
{
    const Entry entry = Find(section, key);
    if (entry.keyLine < 0)
        return defaultValue;
    const QString value = Value(m_lines[entry.keyLine]);
    return value.isEmpty() ? defaultValue : LeadingInteger(value);
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue,
                            int bufferChars) const
{
    const Entry entry = Find(section, key);
    const QString value = entry.keyLine < 0 ? defaultValue : Value(m_lines[entry.keyLine]);
    return value.left(qMax(bufferChars - 1, 0));
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // A line break inside the value would end the line and turn the rest into another entry.
    QString oneLine = value;
    oneLine.remove(u'\r').remove(u'\n');
    const Entry entry = Find(section, key);
    if (entry.keyLine >= 0) {
        const QString& old = m_lines[entry.keyLine];
        m_lines[entry.keyLine] = KeyName(old.trimmed()) + u'=' + oneLine;
        return;
    }
    const QString line = key + u'=' + oneLine;
    if (entry.sectionLine < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return;
    }
    // After the section's last non-blank line, so that a blank line before the next section stays there.
    qsizetype insertAt = entry.sectionLine + 1;
    for (qsizetype i = insertAt; i < m_lines.size() && !IsSectionLine(m_lines[i].trimmed()); ++i) {
        if (!m_lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}

bool IniFile::Save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = m_bByteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
    for (const QString& line : m_lines)
        bytes += (line + m_strNewline).toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace platform
