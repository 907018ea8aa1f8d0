#pragma once

// The per-user settings store: one section, "Settings", under the program's
// own application name "TZ-C3". Values are text; numbers are their decimal
// text. TZC3_SETTINGS (an .ini path) redirects the store, which the demo,
// the screenshot tool and the tests use to keep the user's own store apart.

#include <QString>
#include <memory>
#include <optional>

class QSettings;

class SettingsStore {
public:
    // Empty path: the user's native store (environment override honoured).
    explicit SettingsStore(const QString &iniPath = QString());
    ~SettingsStore();

    QString read(const QString &key, const QString &defaultValue) const;
    // Every number the program keeps here is a 16-bit integer: the stored
    // text read by the number rule (leading number, 0 when there is none,
    // halves to the even neighbour); the default when the key is absent and
    // nullopt when the number does not fit.
    std::optional<qint16> readInt16(const QString &key, qint16 defaultValue) const;
    void write(const QString &key, const QString &value);
    void write(const QString &key, qint64 value) { write(key, QString::number(value)); }
    bool contains(const QString &key) const;

    // Where the store lives (file path), for the README and diagnostics.
    QString location() const;
    void sync();

private:
    std::unique_ptr<QSettings> s_;
};

// The run's language as the options store it ("Languege"): 1 Japanese, any
// other number English; 2 (English) when the stored value does not fit.
int storedLanguage(const SettingsStore &settings);
