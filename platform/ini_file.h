#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// An INI file with the semantics of the classic private-profile functions: section and key names match
// case-insensitively and the first match wins; a key present with an empty value reads as empty;
// comments, unknown lines and their order survive a write. Saving replaces the file atomically.
class IniFile {
public:
    // A missing file loads as an empty one; false when the file exists but cannot be read.
    bool Load(const QString& path);

    // The leading decimal number of the value, 0 when it has none; the default when the key is absent
    // or its value empty.
    int ReadInt(const QString& section, const QString& key, int defaultValue) const;

    // The value, at most bufferChars - 1 characters of it, as a bounded buffer would take it;
    // the default only when the key is absent.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue,
                       int bufferChars) const;

    // Replaces the first matching key's value, or adds the key at the end of its section, or adds the
    // section at the end of the file.
    void WriteString(const QString& section, const QString& key, const QString& value);

    bool Save(const QString& path) const;

private:
    struct Entry {
        qsizetype sectionLine;  // -1 when the section is absent
        qsizetype keyLine;      // -1 when the key is absent
    };
    Entry Find(const QString& section, const QString& key) const;

    QStringList m_lines;  // without their line ends
    QString m_strNewline = QStringLiteral("\n");
    bool m_bByteOrderMark = false;
};

}  // namespace platform
