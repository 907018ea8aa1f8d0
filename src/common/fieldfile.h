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

    // Opens and decodes a file (textfile::decode); nullopt when unreadable.
    static std::optional<FieldReader> fromFile(const QString &path);

    // Next field as text; nullopt at the end of the data.
    std::optional<QString> next();

    // Next field converted to a number: the whole field must be numeric
    // (num::parseStrict; an empty field reads as 0); nullopt at the end or on
    // a non-number. Every reader's number fields go through here.
    std::optional<double> nextNumber();
    std::optional<qint16> nextInt16();
    std::optional<qint32> nextInt32();

    // True when next() would return no field.
    bool atEnd() const;

private:
    void skipBlanks();
    QString text_;
    qsizetype pos_ = 0;
    bool afterComma_ = false;
};

// Builds lines in the write convention: text in double quotes, numbers in
// plain decimal, fields separated by commas, CR LF line ends.
class FieldWriter {
public:
    FieldWriter &text(const QString &s);
    FieldWriter &number(qint64 n);
    FieldWriter &endLine();
    // The file's bytes: Windows-31J when the text allows, else UTF-8 with BOM.
    QByteArray bytes() const;
    const QString &str() const { return out_; }

private:
    void separate();
    QString out_;
    bool lineStarted_ = false;
};
