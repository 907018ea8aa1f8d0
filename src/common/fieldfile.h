#pragma once

// Sequential field files: the catalogue lists, position files, parameter
// files and the error list all share this syntax. A comma or a line end ends
// a field, so line structure carries no meaning; a field in double quotes is
// text taken verbatim (blanks and commas inside kept); an unquoted field is
// trimmed of surrounding blanks.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class FieldReader {
public:
    explicit FieldReader(const QString &text) : text_(text) {}

    // Opens and decodes a file (UTF-8 or Shift_JIS); false when unreadable.
    static std::optional<FieldReader> fromFile(const QString &path);

    // Next field as text; nullopt at the end of the data.
    std::optional<QString> next();

    // Next field converted to a number: the whole field must be numeric
    // (an empty field reads as 0); nullopt at the end or on a non-number.
    std::optional<double> nextNumber();
    std::optional<qint16> nextInt16();
    std::optional<qint32> nextInt32();

    // True when only blanks and line ends remain.
    bool atEnd();

    // Whether the last field returned by next() was quoted.
    bool lastWasQuoted() const { return lastQuoted_; }

private:
    void skipBlanks();
    QString text_;
    qsizetype pos_ = 0;
    bool lastQuoted_ = false;
    bool afterComma_ = false;
};

// Builds lines in the write convention: text in double quotes, numbers in
// plain decimal, fields separated by commas, CR LF line ends.
class FieldWriter {
public:
    FieldWriter &text(const QString &s);
    FieldWriter &number(qint64 n);
    FieldWriter &endLine();
    QByteArray bytes() const { return out_.toUtf8(); }
    const QString &str() const { return out_; }

private:
    void separate();
    QString out_;
    bool lineStarted_ = false;
};
