#include "device/catalogue.h"

#include "common/fieldfile.h"
#include "common/numtext.h"
#include "device/units.h"
#include "state/app_state.h"

#include <QDir>

namespace device {

namespace {

const char *const kNoListJa = "機種のリストファイルがありません。";
const char *const kNoListEn = "No device list file.";
const char *const kPutListEn = "Put device list file in the folder in which the program is saved "
                               "in order to indicate device information correctly.";

bool matches(const CatalogueEntry &e, const QString &size, const QString &speed, int stroke) {
    return e.size == size && e.speed == speed && e.stroke == stroke;
}

bool familyIsTz(const QString &familyText) {
    return familyText == QLatin1String("TZ");
}

std::optional<DeviceCatalogue> readFor(AppState &s, const QString &familyText, bool newType) {
    return readListFile(listFilePath(s.programFolder, familyIsTz(familyText), newType));
}

const CatalogueEntry *findIn(const DeviceCatalogue &c, const QString &size, const QString &speed,
                             int stroke) {
    for (const auto &e : c.entries)
        if (matches(e, size, speed, stroke)) return &e;
    return nullptr;
}

} // namespace

QString listFilePath(const QString &folder, bool tz, bool newType) {
    const char *name = !tz ? "rpdevice.lst" : (newType ? "wtzdevice.lst" : "tzdevice.lst");
    return QDir(folder).filePath(QString::fromLatin1(name));
}

std::optional<DeviceCatalogue> readListFile(const QString &path) {
    auto reader = FieldReader::fromFile(path);
    if (!reader) return std::nullopt;
    const auto count = reader->nextInt16();
    if (!count || *count < 0 || *count > DeviceCatalogue::MaxEntries) return std::nullopt;
    DeviceCatalogue c;
    for (int i = 1; i <= *count; ++i) {
        CatalogueEntry e;
        const auto code = reader->next();
        const auto lead = reader->nextInt16();
        const auto ppr = reader->nextInt16();
        const auto spare = reader->next();
        const auto vcode = reader->nextInt16();
        if (!code || !lead || !ppr || !spare || !vcode) return std::nullopt;
        e.code = *code;
        e.lead = *lead;
        e.ppr = *ppr;
        e.spare = *spare;
        e.verticalCode = *vcode;
        e.size = e.code.left(3);
        e.speed = e.code.mid(3, 1);
        const auto stroke = num::int16Of(e.code.mid(5, 3));
        if (!stroke) return std::nullopt;
        e.stroke = *stroke;
        c.entries.append(e);
    }
    for (const auto &e : c.entries) {
        if (c.sizes.contains(e.size)) continue;
        if (c.sizes.size() == DeviceCatalogue::MaxSizes) return std::nullopt;
        c.sizes.append(e.size);
    }
    return c;
}

bool loadCatalogue(AppState &s, bool candidateMode) {
    const QString family = candidateMode ? s.candidate.familyText : s.device.familyText();
    const bool newType = candidateMode ? s.candidate.newType : s.device.newType;
    auto c = readFor(s, family, newType);
    if (!c) {
        s.prompter.message(
            s.tx("デバイスのリストファイルがありません。\r\n"
                 "デバイスを正しく表示させるためには、プログラムと同じフォルダにデバイスリスト"
                 "ファイルをおいてください。",
                 "No device list file.\r\nPut device list file in the folder in which the "
                 "program is saved in order to indicate device information correctly."));
        s.catalogue.listMissing = true;
        return false;
    }
    s.catalogue = *c;
    return true;
}

bool isInList(AppState &s, bool newType, const QString &familyText, const QString &size,
              const QString &speed, int stroke) {
    auto c = readFor(s, familyText, newType);
    if (!c) {
        s.prompter.message(s.tx(kNoListJa, kNoListEn));
        return false;
    }
    return findIn(*c, size, speed, stroke) != nullptr;
}

LeadPpr lookupLeadPpr(AppState &s, const QString &familyText, bool newType, const QString &size,
                      const QString &speed, int stroke) {
    auto c = readFor(s, familyText, newType);
    if (!c) {
        s.prompter.message(
            s.japanese()
                ? QString::fromUtf8(kNoListJa) +
                      QStringLiteral("\r\n機種を正しく表示させるためには、プログラムと同じフォ"
                                     "ルダに機種リストファイルをおいてください。？")
                : QString::fromUtf8(kNoListEn) + QStringLiteral("\r\n") +
                      QString::fromUtf8(kPutListEn));
        return {};
    }
    const CatalogueEntry *e = findIn(*c, size, speed, stroke);
    if (!e) return {};
    return {true, e->lead, e->ppr};
}

std::optional<int> lookupVerticalCode(AppState &s, bool newType, const QString &familyText,
                                      const QString &size, const QString &speed, int stroke) {
    auto c = readFor(s, familyText, newType);
    if (!c) {
        s.prompter.message(s.tx(kNoListJa, kNoListEn));
        return std::nullopt;
    }
    const CatalogueEntry *e = findIn(*c, size, speed, stroke);
    // A list may mark an entry itself with the "none" code.
    constexpr int kNoVerticalCode = 99;
    if (!e || e->verticalCode == kNoVerticalCode) return std::nullopt;
    return e->verticalCode;
}

bool findDeviceInCatalogue(AppState &s, bool candidateForm) {
    const QString size = candidateForm ? s.candidate.size : s.device.size;
    const QString speed = candidateForm ? s.candidate.speed : s.device.speed;
    const int stroke = candidateForm ? s.candidate.stroke : s.device.stroke;
    if (const CatalogueEntry *e = findIn(s.catalogue, size, speed, stroke)) {
        s.device.lead = e->lead;
        if (candidateForm) s.device.ppr = e->ppr;
        s.device.notFound = false;
        return true;
    }
    s.device.notFound = true;
    s.prompter.message(s.tx("選択した機種のﾃﾞﾊﾞｲｽ情報が見つかりませんでした。",
                            "fail to find device information..."));
    return false;
}

QStringList speedsForSize(const DeviceCatalogue &c, const QString &size) {
    QStringList out;
    for (const auto &e : c.entries)
        if (e.size == size && !out.contains(e.speed) && out.size() < DeviceCatalogue::MaxSizes)
            out.append(e.speed);
    return out;
}

bool restoreDevice(AppState &s) {
    DeviceRecord &d = s.device;
    bool ok = true;
    d.newType = s.settings.readInt16(QStringLiteral("NewType"), 1).value_or(1) == 1;
    d.typeText = d.newType ? QStringLiteral("NEW") : QStringLiteral("OLD");
    d.tz = s.settings.read(QStringLiteral("Device"), QStringLiteral("TZ")) == QLatin1String("TZ");

    const QString size = s.settings.read(QStringLiteral("DevSize"), QStringLiteral(" 28"));
    const QString speed = s.settings.read(QStringLiteral("DevSpeed"), QStringLiteral("L"));
    const auto stroke = s.settings.readInt16(QStringLiteral("DevStroke"), 100);
    const bool speedOk = !speed.isEmpty() && speed[0] >= u'A' && speed[0] <= u'Z';
    if (size.size() == 3 && speedOk && stroke && *stroke >= 10 && *stroke <= 999) {
        d.size = size;
        d.speed = speed;
        d.stroke = *stroke;
        if (isInList(s, d.newType, d.familyText(), d.size, d.speed, d.stroke)) {
            const LeadPpr lp =
                lookupLeadPpr(s, d.familyText(), d.newType, d.size, d.speed, d.stroke);
            if (lp.found) {
                d.lead = lp.lead;
                d.ppr = lp.ppr;
            } else {
                ok = false;
            }
        } else {
            const auto lead = s.settings.readInt16(QStringLiteral("DevLead"), 2);
            const auto ppr = s.settings.readInt16(QStringLiteral("DevPPR"), 400);
            if (lead && *lead >= 1 && *lead <= 255 && ppr) {
                d.lead = *lead;
                d.ppr = *ppr;
            } else {
                ok = false;
            }
        }
    } else {
        ok = false;
    }
    d.vertical = s.settings.readInt16(QStringLiteral("Vertical"), 1).value_or(1) == 1;
    return ok;
}

void saveDevice(AppState &s) {
    DeviceRecord &d = s.device;
    auto &st = s.settings;
    st.write(QStringLiteral("NewType"), d.newType ? 1 : 0);
    st.write(QStringLiteral("Device"), d.tz ? QStringLiteral("TZ") : QString());
    st.write(QStringLiteral("DevSize"), d.size);
    st.write(QStringLiteral("DevSpeed"), d.speed);
    st.write(QStringLiteral("DevStroke"), d.stroke);
    st.write(QStringLiteral("DevLead"), d.lead);
    st.write(QStringLiteral("DevPPR"), d.ppr);
    if (d.newType) d.vertical = true;
    st.write(QStringLiteral("Vertical"), d.vertical ? 1 : 0);
}

QString strokeText(int stroke) {
    const QString t = QString::number(stroke);
    return t.size() > 3 ? QStringLiteral("X") : num::padLeft(t, 3);
}

void buildModelName(AppState &s) {
    DeviceRecord &d = s.device;
    QString name = d.familyText() + u'-' + d.size + d.speed + u'-' + strokeText(d.stroke);
    const int code =
        lookupVerticalCode(s, d.newType, d.familyText(), d.size, d.speed, d.stroke).value_or(-1);
    if (code == 0 || code == 2)
        name += u' ';
    else if (code == 1)
        name +=
            !d.verticalSpec ? QStringLiteral("_") : (d.newType ? QString() : QStringLiteral("V"));
    d.modelName = name;
}

bool parseModelName(AppState &s, const QString &name, const QString &typeLine) {
    const QString noType =
        s.tx("TZのタイプが選択されていません。 \r\n使用する機種を選択してください。",
             "Type not selected.\r\nPlease select type.");
    CandidateDevice c = s.candidate;
    const QString prefix = name.left(3);
    if (prefix == QLatin1String("TZ-")) {
        c.familyText = QStringLiteral("TZ");
        c.newType = typeLine == QLatin1String("NEW");
    } else if (prefix == QLatin1String("RP-")) {
        c.familyText = QStringLiteral("RP");
        c.newType = false;
    } else {
        s.prompter.message(noType);
        return false;
    }
    QString size, speed;
    int stroke = 0;
    int suffixStart;
    if (name.mid(6, 1) == QLatin1String("-")) {
        size = name.mid(3, 2);
        if (size.size() == 2) size.prepend(u' ');
        speed = name.mid(5, 1);
        if (name.size() >= 9) stroke = num::int16Of(name.mid(7)).value_or(0);
        suffixStart = 10;
    } else {
        size = name.mid(3, 3);
        speed = name.mid(6, 1);
        stroke = num::int16Of(name.mid(8, 3)).value_or(0);
        suffixStart = 11;
    }
    if (size.size() != 3 || speed.isEmpty() || speed[0] < u'A' || speed[0] > u'Z') {
        s.prompter.message(noType);
        return false;
    }
    c.size = size;
    c.speed = speed;
    if (stroke >= 1 && stroke <= 998) c.stroke = qint16(stroke);
    bool verticalSpec = s.device.verticalSpec;
    if (name.size() > suffixStart) {
        const QString rest = name.mid(suffixStart);
        if (rest.size() > 3) return false; // not one of our names: abandon quietly
        if (rest.contains(u'V'))
            verticalSpec = true;
        else if (!c.newType)
            verticalSpec = false;
    }
    s.candidate = c;
    s.device.verticalSpec = verticalSpec;
    return true;
}

bool adoptCandidate(AppState &s) {
    DeviceRecord &d = s.device;
    d.tz = familyIsTz(s.candidate.familyText);
    d.newType = s.candidate.newType;
    d.size = s.candidate.size;
    d.speed = s.candidate.speed;
    d.stroke = s.candidate.stroke;
    if (!loadCatalogue(s, false)) return false;
    if (!findDeviceInCatalogue(s, true)) {
        d.notFound = false;
        return false;
    }
    units::computeLimits(s);
    return true;
}

bool applyDeviceChange(AppState &s, bool cancelled) {
    if (cancelled) return false;
    DeviceRecord &d = s.device;
    const CandidateDevice &c = s.candidate;
    if (c.size.size() == 3) d.size = c.size;
    if (!c.speed.isEmpty()) d.speed = c.speed;
    if (c.stroke >= 1 && c.stroke <= 999) d.stroke = c.stroke;
    bool ok = isInList(s, c.newType, c.familyText, c.size, c.speed, c.stroke);
    if (ok) {
        d.newType = c.newType;
        d.size = c.size;
        d.speed = c.speed;
        d.stroke = c.stroke;
        ok = findDeviceInCatalogue(s, true);
        if (ok) d.tz = familyIsTz(c.familyText);
    }
    if (!ok) {
        s.prompter.message(s.tx("機種が選択されていません。\r\n位置をmm表示するには、機種を選択して"
                                "ください。",
                                "Type not selected.\r\nSelect type to indicate position with mm."));
        return false;
    }
    saveDevice(s);
    units::computeLimits(s);
    buildModelName(s);
    return true;
}

} // namespace device
