#include "common/settings_store.h"

#include "common/numtext.h"

#include <QSettings>

namespace {
const QString kSection = QStringLiteral("Settings/");
}

SettingsStore::SettingsStore(const QString &iniPath) {
    QString path = iniPath;
    if (path.isEmpty()) path = qEnvironmentVariable("TZC3_SETTINGS");
    if (!path.isEmpty())
        s_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    else
        s_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         QStringLiteral("TZ-C3"), QStringLiteral("TZ-C3"));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString &key, const QString &defaultValue) const {
    const QVariant v = s_->value(kSection + key);
    if (!v.isValid()) return defaultValue;
    return v.toString();
}

std::optional<qint16> SettingsStore::readInt16(const QString &key, qint16 defaultValue) const {
    const QVariant v = s_->value(kSection + key);
    if (!v.isValid()) return defaultValue;
    return num::int16Of(v.toString());
}

void SettingsStore::write(const QString &key, const QString &value) {
    // Write failures are not reported: the program runs on with its values.
    s_->setValue(kSection + key, value);
}

bool SettingsStore::contains(const QString &key) const {
    return s_->contains(kSection + key);
}

QString SettingsStore::location() const {
    return s_->fileName();
}

void SettingsStore::sync() {
    s_->sync();
}

int storedLanguage(const SettingsStore &settings) {
    return settings.readInt16(QStringLiteral("Languege"), 1).value_or(2);
}
