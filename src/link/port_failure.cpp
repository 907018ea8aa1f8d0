#include "link/port_failure.h"

#include "common/language.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

PortFailure::Reason classifyOpenFailure(QSerialPort::SerialPortError error, bool deviceExists,
                                        bool deviceAccessible) {
    using R = PortFailure::Reason;
    if (error == QSerialPort::DeviceNotFoundError || !deviceExists) return R::DeviceMissing;
    // Qt reports a lock file held by another process, a device opened
    // exclusively (EBUSY) and a refused open (EACCES) all as PermissionError.
    if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError)
        return deviceAccessible ? R::InUse : R::PermissionDenied;
    return R::Other;
}

PortFailure examineOpenFailure(int portNumber, const QString &device,
                               QSerialPort::SerialPortError error, const QString &errorText) {
    PortFailure f;
    f.portNumber = portNumber;
    f.device = device;
    f.errorText = errorText;
    const QFileInfo info(device);
#ifdef Q_OS_UNIX
    const bool exists = info.exists();
    // access() asks with the user's real rights, which is what open() met.
    const bool accessible = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
    // Windows port names are no files; a refused open there is a port in use.
    const bool exists = true;
    const bool accessible = true;
#endif
    f.reason = classifyOpenFailure(error, exists, accessible);
    if (f.reason == PortFailure::Reason::PermissionDenied) f.group = info.group();
    return f;
}

QString describePortFailure(const PortFailure &f, const Language &lang) {
    using R = PortFailure::Reason;
    const QString com = QStringLiteral("COM%1").arg(f.portNumber);
    if (f.reason == R::NoDevice)
        return com + lang.tx(": この番号に割り当てられたシリアルデバイスがありません",
                             ": no serial device is mapped to this number");
    // On Windows the device is the port name itself.
    QString port = com + QStringLiteral(" (%1)").arg(f.device);
    if (f.device.isEmpty() || f.device == com) port = com;
    if (f.portNumber == 0) port = f.device;
    switch (f.reason) {
    case R::DeviceMissing:
        return port +
               lang.tx(": デバイスが見つかりません — アダプタが接続されているか確認してください",
                       ": the device is not there — is the adapter plugged in?");
    case R::PermissionDenied:
        if (f.group.isEmpty() || f.group == QLatin1String("root"))
            return port + lang.tx(": アクセスが拒否されました", ": permission denied");
        return port +
               (lang.japanese()
                    ? QStringLiteral(
                          ": アクセスが拒否されました — ユーザーをグループ %1 に追加してください")
                    : QStringLiteral(": permission denied — your user needs to be in the group %1"))
                   .arg(f.group);
    case R::InUse:
        return port + lang.tx(": 他のプログラムが使用中です", ": in use by another program");
    default:
        break;
    }
    const QString why =
        f.errorText.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(f.errorText);
    return port + lang.tx(": 開けません", ": cannot be opened") + why;
}
