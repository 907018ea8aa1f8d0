#include "link/port_map.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace portmap {

namespace {

struct SortKey {
    int group;
    QString stem;
    qint64 number;
    QString name;
    bool operator<(const SortKey &o) const {
        return std::tie(group, stem, number, name) < std::tie(o.group, o.stem, o.number, o.name);
    }
};

SortKey keyOf(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    static const QRegularExpression tail(QStringLiteral("^(.*?)(\\d+)$"));
    const auto m = tail.match(name);
    const QString stem = m.hasMatch() ? m.captured(1) : name;
    const qint64 number = m.hasMatch() ? m.captured(2).toLongLong() : -1;
    int group = 3;
    if (stem == QLatin1String("ttyUSB"))
        group = 0;
    else if (stem == QLatin1String("ttyACM"))
        group = 1;
    else if (stem == QLatin1String("ttyS"))
        group = 2;
    return {group, stem, number, name};
}

} // namespace

QStringList orderDevices(const QStringList &paths) {
    // A /dev/tty.* node that has a /dev/cu.* twin is the same port, opened in
    // the variant that blocks until carrier detect.
    QSet<QString> callout;
    for (const QString &p : paths) {
        const QString n = QFileInfo(p).fileName();
        if (n.startsWith(QLatin1String("cu."))) callout.insert(n.mid(3));
    }
    QList<QPair<SortKey, QString>> keyed;
    QSet<QString> seen;
    for (const QString &p : paths) {
        const QString n = QFileInfo(p).fileName();
        if (n.startsWith(QLatin1String("tty.")) && callout.contains(n.mid(4))) continue;
        if (seen.contains(p)) continue;
        seen.insert(p);
        keyed.append({keyOf(p), p});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList out;
    for (const auto &k : keyed)
        out << k.second;
    return out;
}

QStringList serialDevices() {
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths << info.systemLocation();
    return orderDevices(paths);
}

PortMapping mappingFor(int n) {
    if (n < 1 || n > 9) return {};
    const QString env = qEnvironmentVariable(qPrintable(QStringLiteral("TZC3_COM%1").arg(n)));
    if (!env.isEmpty()) return {env, Source::Environment};
#ifdef Q_OS_WIN
    return {QStringLiteral("COM%1").arg(n), Source::Windows};
#else
    const QStringList devices = serialDevices();
    if (n <= devices.size()) return {devices.at(n - 1), Source::Enumerated};
    return {};
#endif
}

QString portDeviceFor(int n) {
    return mappingFor(n).device;
}

QList<PortRow> portTable() {
    QHash<QString, QString> descriptions;
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString key = info.portName(); // what a number maps to there
#else
        const QString key = info.systemLocation();
#endif
        paths << key;
        descriptions.insert(key, info.description());
    }
    const QStringList devices = orderDevices(paths);
    QList<PortRow> rows;
    QSet<QString> reached;
    for (int n = 1; n <= 9; ++n) {
        const QString env = qEnvironmentVariable(qPrintable(QStringLiteral("TZC3_COM%1").arg(n)));
        PortRow row;
        row.number = n;
        if (!env.isEmpty()) {
            row.device = env;
            row.source = Source::Environment;
        } else {
#ifdef Q_OS_WIN
            row.device = QStringLiteral("COM%1").arg(n);
            row.source = Source::Windows;
            // Only the ports the machine has are worth a row.
            if (!descriptions.contains(row.device)) continue;
#else
            if (n > devices.size()) continue;
            row.device = devices.at(n - 1);
            row.source = Source::Enumerated;
#endif
        }
        row.description = descriptions.value(row.device);
        reached.insert(row.device);
        rows << row;
    }
    for (const QString &d : devices)
        if (!reached.contains(d)) rows << PortRow{0, d, descriptions.value(d), Source::None};
    return rows;
}

QString describePort(int n) {
    const PortMapping m = mappingFor(n);
    if (m.device.isEmpty()) return QStringLiteral("-");
    if (m.source == Source::Environment) return m.device + QStringLiteral(" (TZC3_COM%1)").arg(n);
    return m.device;
}

} // namespace portmap
