#include "common/fieldfile.h"

#include "common/numtext.h"
#include "common/textfile.h"

std::optional<FieldReader> FieldReader::fromFile(const QString &path) {
    QString text;
    if (!textfile::read(path, &text)) return std::nullopt;
    return FieldReader(text);
}

void FieldReader::skipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t'))
        ++pos_;
}

static bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

bool FieldReader::atEnd() const {
    FieldReader probe = *this;
    return !probe.next();
}

std::optional<QString> FieldReader::next() {
    // A comma promises a field: an empty one when the line or data ends there.
    skipBlanks();
    if (afterComma_ && (pos_ >= text_.size() || isLineEnd(text_[pos_]) || text_[pos_] == u'\x1a')) {
        afterComma_ = false;
        if (pos_ < text_.size() && text_[pos_] == u'\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
        return QString();
    }
    // Blank lines between fields are not fields of their own.
    for (;;) {
        skipBlanks();
        if (pos_ < text_.size() && isLineEnd(text_[pos_])) {
            ++pos_;
            continue;
        }
        break;
    }
    if (pos_ >= text_.size() || text_[pos_] == u'\x1a') return std::nullopt;

    QString field;
    if (text_[pos_] == u'"') {
        ++pos_;
        const qsizetype close = text_.indexOf(u'"', pos_);
        if (close < 0) {
            // An unterminated quote runs to the end of the line.
            qsizetype e = pos_;
            while (e < text_.size() && !isLineEnd(text_[e]))
                ++e;
            field = text_.mid(pos_, e - pos_);
            pos_ = e;
        } else {
            field = text_.mid(pos_, close - pos_);
            pos_ = close + 1;
        }
        // Anything between the closing quote and the separator is ignored.
        while (pos_ < text_.size() && text_[pos_] != u',' && !isLineEnd(text_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != u',' && !isLineEnd(text_[pos_]))
            ++pos_;
        field = text_.mid(start, pos_ - start).trimmed();
    }
    // Consume one separator: a comma, or one line end (CR LF, LF or CR).
    afterComma_ = pos_ < text_.size() && text_[pos_] == u',';
    if (pos_ < text_.size()) {
        if (text_[pos_] == u',') {
            ++pos_;
        } else if (text_[pos_] == u'\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
        } else if (text_[pos_] == u'\n') {
            ++pos_;
        }
    }
    return field;
}

std::optional<double> FieldReader::nextNumber() {
    auto f = next();
    if (!f) return std::nullopt;
    return num::parseStrict(*f);
}

std::optional<qint16> FieldReader::nextInt16() {
    auto v = nextNumber();
    if (!v) return std::nullopt;
    return num::toInt16(*v);
}

std::optional<qint32> FieldReader::nextInt32() {
    auto v = nextNumber();
    if (!v) return std::nullopt;
    return num::toInt32(*v);
}

QByteArray FieldWriter::bytes() const {
    return textfile::encode(out_);
}

void FieldWriter::separate() {
    if (lineStarted_) out_ += u',';
    lineStarted_ = true;
}

FieldWriter &FieldWriter::text(const QString &s) {
    separate();
    out_ += u'"' + s + u'"';
    return *this;
}

FieldWriter &FieldWriter::number(qint64 n) {
    separate();
    out_ += QString::number(n);
    return *this;
}

FieldWriter &FieldWriter::endLine() {
    out_ += QStringLiteral("\r\n");
    lineStarted_ = false;
    return *this;
}
