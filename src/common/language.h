#pragma once

// The run's language and the texts it picks. Language 1 is Japanese, any
// other value English; it is read once at start and never changes during a
// run. A text is either an entry of the numbered table (Japanese N, English
// 10000 + N) or a Japanese/English pair written into the program.

#include <QString>

class Language {
public:
    void set(int code) {
        code_ = code;
        textBase_ = code == 1 ? 0 : 10000;
    }
    int code() const { return code_; }
    int textBase() const { return textBase_; }
    bool japanese() const { return code_ == 1; }

    // Entry textBase + n of the numbered table.
    QString text(int n) const;
    // A pair written into the program.
    QString tx(const char *ja, const char *en) const {
        return QString::fromUtf8(japanese() ? ja : en);
    }

private:
    int code_ = 1;
    int textBase_ = 0;
};
