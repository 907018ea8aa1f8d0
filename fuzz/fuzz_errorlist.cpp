// The controller's error list (error.lst beside the program), loaded at
// start-up and looked up at every error reply, in either language.

#include "fuzz_support.h"

#include "link/error_list.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString dir = QDir(fuzz::scratchDir()).filePath(QStringLiteral("errorlist"));
    QDir().mkpath(dir);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzz::writeScratchFile(QStringLiteral("errorlist/error.lst"), bytes);
    fuzz::Env env(fuzz::languageOf(data, size), dir);
    AppState &s = env.s;
    s.link.loadErrorList(s.programFolder);

    // Every code the list names, as the controller would send it, and the
    // input's own bytes as a reply.
    QStringList replies{QStringLiteral("0%%0E\r\n"), QStringLiteral("0%%\r\n"),
                        QStringLiteral("0%%") + QString::fromLatin1(bytes.left(8))};
    for (const ErrorList::Entry &e : s.link.errorList.entries())
        replies << QStringLiteral("0%%") + e.code + QStringLiteral("\r\n");
    for (const QString &reply : std::as_const(replies)) {
        s.link.showControllerError(reply);
        if (s.link.errorList.found)
            FUZZ_CHECK(s.link.indicators.errorComment == s.link.errorList.foundDescription, reply);
    }
    s.link.resetErrorDisplay();
    return 0;
}
