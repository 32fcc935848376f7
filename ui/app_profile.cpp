#include "ui/app_profile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

namespace {

constexpr QStringView kOrganisation = u"Brellum Corporation";
constexpr QStringView kApplication = u"Quorbel";

QString ProfileKey(const QString& section, const QString& entry)
{
    QString strKey = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + u'/' + section;
    if (!entry.isEmpty())
        strKey += u'/' + entry;
    return strKey;
}

QVariant GetProfileValue(const QString& section, const QString& entry)
{
    return QSettings(kOrganisation.toString(), kApplication.toString()).value(ProfileKey(section, entry));
}

bool WriteProfileValue(const QString& section, const QString& entry, const QVariant& value)
{
    QSettings settings(kOrganisation.toString(), kApplication.toString());
    settings.setValue(ProfileKey(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

std::optional<QByteArray> GetProfileBinary(const QString& section, const QString& entry)
{
    const QVariant value = GetProfileValue(section, entry);
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

bool WriteProfileBinary(const QString& section, const QString& entry, const QByteArray& bytes)
{
    return WriteProfileValue(section, entry, bytes);
}

int GetProfileInt(const QString& section, const QString& entry, int nDefault)
{
    bool bOk = false;
    const int nValue = GetProfileValue(section, entry).toInt(&bOk);
    return bOk ? nValue : nDefault;
}

bool WriteProfileInt(const QString& section, const QString& entry, int nValue)
{
    return WriteProfileValue(section, entry, nValue);
}
