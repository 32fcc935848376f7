#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The per-user profile: QSettings of organisation "Brellum Corporation" and application "Quorbel", one group
// named after the executable's base name, then one group per section. An empty entry names the section's
// own value, as the empty value name of a registry key does. Writes report whether they reached the store.
std::optional<QByteArray> GetProfileBinary(const QString& section, const QString& entry);
bool WriteProfileBinary(const QString& section, const QString& entry, const QByteArray& bytes);
int GetProfileInt(const QString& section, const QString& entry, int nDefault);
bool WriteProfileInt(const QString& section, const QString& entry, int nValue);
