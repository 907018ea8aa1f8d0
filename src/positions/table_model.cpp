#include "positions/table_model.h"

#include "common/numtext.h"
#include "device/units.h"
#include "state/app_state.h"

#include <cmath>

namespace positions {

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

// The mm limit is kept to three decimals while pulses convert in double, so
// the pulse at the limit may come out a hair above it.
constexpr double kMmSlack = 1e-9;

bool inRange(std::optional<qint16> v, int low, int high) {
    return v && *v >= low && *v <= high;
}

bool columnValueOk(const AppState &s, int col, const QString &text) {
    const auto v = num::int16Of(text);
    switch (col) {
    case PositionTable::ColVel:
        return inRange(v, 1, 3);
    case PositionTable::ColAcc:
        return inRange(v, 1, accLimit(s.device));
    case PositionTable::ColOut:
        return inRange(v, 0, 3);
    default:
        return false;
    }
}

// A typed mm value cut (not rounded) after its third decimal, the way the
// user reads it in the cell.
double cutToThreeDecimals(double v) {
    QString t = QString::number(v, 'g', 15);
    if (t.contains(u'e')) t = QString::number(v, 'f', 15);
    const qsizetype point = t.indexOf(u'.');
    if (point < 0) return num::val(QStringView(t).left(7));
    return num::val(QString(t.left(point).left(7) + u'.' + t.mid(point + 1, 3)));
}

void writePosition(PositionTable &t, int row, qint64 pulses, double mm) {
    t.setText(row, PositionTable::ColPulse, units::pulseCellText(pulses));
    t.setText(row, PositionTable::ColMm, units::mmCellText(mm));
}

void fillRows(AppState &s, bool withComments) {
    PositionTable &t = s.positions;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const PositionRecord &r = t.working[row];
        t.setText(row, PositionTable::ColVel, QString::number(r.vel));
        t.setText(row, PositionTable::ColAcc, QString::number(r.acc));
        t.setText(row, PositionTable::ColOut, QString::number(r.out));
        t.setText(row, PositionTable::ColPulse, units::pulseCellText(r.pulses));
        if (withComments) t.setText(row, PositionTable::ColComment, r.comment);
    }
    units::recomputeMmColumn(s, t);
}

} // namespace

QString positionDigit(int row) {
    return QString::number(row, 16).toUpper();
}

int accLimit(const DeviceRecord &d) {
    return d.size == QLatin1String(" 42") && d.speed == QLatin1String("D") ? 2 : 3;
}

int editorMaxLength(int col) {
    switch (col) {
    case PositionTable::ColPulse:
        return 7;
    case PositionTable::ColMm:
        return 8;
    case PositionTable::ColComment:
        return 20;
    default:
        return 2;
    }
}

QString rowList(const AppState &s, const bool flags[PositionTable::Rows]) {
    QString list;
    for (int row = 1; row < PositionTable::Rows; ++row)
        if (flags[row])
            list += u'<' + s.tx(" 位置No.", " Position No.") + positionDigit(row) + u'>' + kBreak;
    return list;
}

void fillTableFileForm(AppState &s) {
    fillRows(s, true);
}

void fillTableControllerForm(AppState &s) {
    fillRows(s, false);
}

void clearTable(PositionTable &t) {
    for (int row = 1; row < PositionTable::Rows; ++row)
        for (int col = 1; col < PositionTable::Cols; ++col)
            t.setText(row, col, QString());
}

RowCheck findIncompleteRows(AppState &s) {
    PositionTable &t = s.positions;
    RowCheck check;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        bool empty = false;
        for (int col = PositionTable::ColVel; col <= PositionTable::ColPulse; ++col)
            empty = empty || t.text(row, col).trimmed().isEmpty();
        t.incomplete[row] = empty;
        t.outOfRange[row] = false;
        if (empty) ++check.count;
    }
    check.list = rowList(s, t.incomplete);
    return check;
}

RowCheck findOutOfRangeRows(AppState &s, bool showMessage) {
    PositionTable &t = s.positions;
    RowCheck check;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        bool ok = true;
        for (int col = PositionTable::ColVel; col <= PositionTable::ColOut; ++col)
            ok = ok && columnValueOk(s, col, t.text(row, col));
        const double pulses = num::val(t.text(row, PositionTable::ColPulse));
        ok = ok && pulses >= 0 && pulses <= s.maxPulse;
        t.outOfRange[row] = !ok;
        if (!ok) ++check.count;
    }
    check.list = rowList(s, t.outOfRange);
    if (showMessage && check.count > 0)
        s.prompter.message(
            s.tx("データが正しくない箇所があります。以下の位置Noの値を確認して下さい。",
                 "Wrong data in some Positions! Confirm the position data "
                 "indicated below once again.") +
            kBreak + check.list);
    return check;
}

void showIncompleteRows(AppState &s, const RowCheck &incomplete) {
    if (incomplete.count == PositionTable::Rows - 1)
        s.prompter.message(
            s.tx("表にデータがありません。", "No data in the list.") + kBreak +
                s.tx("データを入力後に再度行ってください。", "Input data and try it again."),
            PromptIcon::Exclamation);
    else
        s.prompter.message(s.tx("データがない箇所があります。", "No data in some Positions!") +
                               kBreak +
                               s.tx("以下の位置No.の値を確認して下さい。",
                                    "Confirm the position data indicated below once again.") +
                               kBreak + incomplete.list,
                           PromptIcon::Exclamation);
}

bool validateTableForUse(AppState &s) {
    const RowCheck incomplete = findIncompleteRows(s);
    if (incomplete.count > 0) {
        showIncompleteRows(s, incomplete);
        return false;
    }
    return findOutOfRangeRows(s, true).count == 0;
}

QString valueErrorText(const AppState &s) {
    return s.tx("位置ﾃﾞｰﾀの読み込みでｴﾗｰが発生しました。",
                "An error occured while getting Value of Position Data.");
}

bool collectTableValues(AppState &s) {
    PositionTable &t = s.positions;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        if (t.incomplete[row] || t.outOfRange[row]) continue;
        const auto vel = num::int16Of(t.text(row, PositionTable::ColVel));
        const auto acc = num::int16Of(t.text(row, PositionTable::ColAcc));
        const auto out = num::int16Of(t.text(row, PositionTable::ColOut));
        const auto pulses = num::int32Of(t.text(row, PositionTable::ColPulse));
        if (!vel || !acc || !out || !pulses) return false;
        PositionRecord &r = t.working[row];
        r.vel = *vel;
        r.acc = *acc;
        r.out = *out;
        r.pulses = *pulses;
        r.mmText = t.text(row, PositionTable::ColMm);
        r.comment = t.text(row, PositionTable::ColComment);
    }
    return true;
}

Comparison compareBuffers(const AppState &s) {
    const PositionTable &t = s.positions;
    bool differs[PositionTable::Rows] = {};
    Comparison c;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const PositionRecord &a = t.loaded.rows[row];
        const PositionRecord &b = t.working[row];
        differs[row] = a.vel != b.vel || a.acc != b.acc || a.out != b.out || a.pulses != b.pulses;
        c.equal = c.equal && !differs[row];
        if (differs[row]) c.unmatchedNo << positionDigit(row);
    }
    c.unmatched = rowList(s, differs);
    return c;
}

CommitResult commitCell(AppState &s, int row, int col, const QString &typed,
                        const CellRange &selection) {
    PositionTable &t = s.positions;
    const DeviceRecord &d = s.device;
    const bool multiRow = selection.bottom > selection.top;
    const bool multiCol = selection.right > selection.left;
    // The editor limits typing only; a longer text from a file is taken whole.
    const QString &text = typed;

    // The value to write: cell texts for columns 1 to 3 and 6, a pulse count
    // and its mm for the position columns.
    bool valid = false;
    QString cellText;
    qint64 pulses = 0;
    double mm = 0;
    switch (col) {
    case PositionTable::ColVel:
    case PositionTable::ColAcc:
    case PositionTable::ColOut:
        valid = columnValueOk(s, col, text);
        if (valid) cellText = QString::number(*num::int16Of(text));
        break;
    case PositionTable::ColPulse: {
        const double v = num::val(text);
        valid = v == std::trunc(v) && v >= 0 && v <= s.maxPulse &&
                units::pulseToMm(d.lead, d.ppr, v) <= s.maxMm + kMmSlack;
        if (!valid) break; // no integer holds "1E300"
        pulses = qint64(v);
        mm = units::pulseToMm(d.lead, d.ppr, v);
        break;
    }
    case PositionTable::ColMm: {
        const double v = cutToThreeDecimals(num::val(text));
        valid = v >= 0 && v <= s.maxMm + kMmSlack;
        if (valid) {
            mm = units::snapMmToPulse(d.lead, s.roundUpHalves, d.ppr, v);
            pulses = qint64(units::mmToPulse(d.lead, d.ppr, mm));
        }
        break;
    }
    case PositionTable::ColComment:
        valid = true;
        // A double quote would end the comment's field in the position file.
        cellText = text.trimmed().replace(u'"', u'\'');
        break;
    default:
        break;
    }

    CommitResult result;
    result.selection = selection;
    const bool positionCol = col == PositionTable::ColPulse || col == PositionTable::ColMm;
    if (valid) {
        auto write = [&](int r) {
            if (positionCol)
                writePosition(t, r, pulses, mm);
            else
                t.setText(r, col, cellText);
        };
        write(row);
        if (multiRow)
            for (int r = qMax(1, selection.top); r <= qMin(15, selection.bottom); ++r)
                write(r);
        if (multiCol) {
            result.selection.left = result.selection.right = col;
            s.prompter.beep();
            result.beeped = true;
        }
        result.accepted = true;
    } else {
        if (positionCol) {
            t.setText(row, PositionTable::ColPulse, QString());
            t.setText(row, PositionTable::ColMm, QString());
        } else {
            t.setText(row, col, QString());
        }
        if (multiCol) result.selection = {row, col, row, col};
        s.prompter.beep();
        result.beeped = true;
    }
    t.tag = PositionTable::ChangedTag;
    return result;
}

} // namespace positions
