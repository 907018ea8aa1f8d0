#pragma once

// A one-line label that fits any width: what does not fit ends in "…", and
// the whole text stays in text() (and in the tooltip its owner sets). A
// narrow window then shows the start of a long status text instead of
// cutting it off in mid-word without a sign.

#include <QLabel>

class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
