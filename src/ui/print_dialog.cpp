#include "ui/print_dialog.h"

#include "state/app_state.h"
#include "widgets/push_button.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PrintSelectionDialog::PrintSelectionDialog(AppState &s, PrintChoice &choice, QWidget *parent)
    : QDialog(parent), s_(s), choice_(choice) {
    setObjectName(QStringLiteral("PrintSelectionDialog"));
    setWindowTitle(s.tx("印刷設定", "Print Setting"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    promptLabel_ =
        new QLabel(s.tx("印刷するデータを選択して下さい。", "Select data to print."), this);
    promptLabel_->setObjectName(QStringLiteral("promptLabel"));

    buildSource(posi_, {"positionsBox", "positionsFromGridOption", "positionsFromFileOption",
                        "positionsFileLabel", "positionsBrowseButton"});
    posi_.chk->setText(s.tx("位置データ", "TZ Data"));
    posi_.opt[0]->setText(s.tx("表の位置データ", "Inside of Grid"));
    posi_.placeholder = s.tx("位置データ(xxxx.tpd)", "TZ Data(xxxx.tpd)");

    buildSource(para_,
                {"parametersBox", "parametersFromControllerOption", "parametersFromFileOption",
                 "parametersFileLabel", "parametersBrowseButton"});
    para_.chk->setText(s.tx("パラメータ", "Parameter"));
    para_.opt[0]->setText(s.tx("コントローラ内のデータ", "Inside of C/T"));
    para_.placeholder = s.tx("パラメータ(xxxx.pmt)", "Parameter(xxxx.pmt)");

    okButton_ = new PushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new PushButton(s.tx("キャンセル", "Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto *grid = new QGridLayout;
    int row = 0;
    for (Source *src : {&posi_, &para_}) {
        src->opt[1]->setText(s.tx("ファイル", "File"));
        src->cmdSelect->setText(s.tx("参照", "Browse"));
        src->lblName->setText(src->placeholder);
        src->lblName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        src->lblName->setMinimumWidth(
            src->lblName->fontMetrics().horizontalAdvance(QStringLiteral("M")) * 18);
        grid->addWidget(src->chk, row, 0, 1, 3);
        grid->addWidget(src->opt[0], row + 1, 1, 1, 2);
        grid->addWidget(src->opt[1], row + 2, 1);
        grid->addWidget(src->lblName, row + 3, 1, 1, 2);
        grid->addWidget(src->cmdSelect, row + 3, 3);
        grid->setRowMinimumHeight(row + 4, 8); // air between the two sources
        row += 5;
    }
    grid->setColumnMinimumWidth(0, 16);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto *top = new QVBoxLayout(this);
    top->addWidget(promptLabel_);
    top->addLayout(grid);
    top->addSpacing(6);
    top->addLayout(buttons);

    // Initial state: the grid's positions ticked, parameters not.
    posi_.chk->setChecked(true);
    posi_.opt[0]->setChecked(true);
    para_.opt[0]->setChecked(true);
    checkToggled(posi_, para_);
    checkToggled(para_, posi_);

    connect(posi_.chk, &QCheckBox::toggled, this, [this] { checkToggled(posi_, para_); });
    connect(para_.chk, &QCheckBox::toggled, this, [this] { checkToggled(para_, posi_); });
    connect(posi_.group, &QButtonGroup::idClicked, this, [this] { optionSelected(posi_); });
    connect(para_.group, &QButtonGroup::idClicked, this, [this] { optionSelected(para_); });
    connect(posi_.cmdSelect, &QPushButton::clicked, this, [this] { browse(posi_, true); });
    connect(para_.cmdSelect, &QPushButton::clicked, this, [this] { browse(para_, false); });
    connect(okButton_, &QPushButton::clicked, this, &PrintSelectionDialog::okClicked);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        choice_.cancelled = true;
        reject();
    });
}

// Names: {check box, first option, second option, file label, Browse button}.
void PrintSelectionDialog::buildSource(Source &src, const std::array<const char *, 5> &names) {
    src.chk = new QCheckBox(this);
    src.chk->setObjectName(QLatin1String(names[0]));
    src.group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        src.opt[i] = new QRadioButton(this);
        src.opt[i]->setObjectName(QLatin1String(names[1 + i]));
        src.group->addButton(src.opt[i], i);
    }
    src.lblName = new QLabel(this);
    src.lblName->setObjectName(QLatin1String(names[3]));
    src.cmdSelect = new PushButton(this);
    src.cmdSelect->setObjectName(QLatin1String(names[4]));
}

void PrintSelectionDialog::checkToggled(Source &src, const Source &other) {
    const bool on = src.chk->isChecked();
    const bool file = src.opt[1]->isChecked();
    src.opt[0]->setEnabled(on);
    src.opt[1]->setEnabled(on);
    src.lblName->setEnabled(on && file);
    src.cmdSelect->setEnabled(on && file);
    if (on) {
        if (!file || src.lblName->text() != src.placeholder) okButton_->setEnabled(true);
    } else if (!other.chk->isChecked()) {
        okButton_->setEnabled(false);
    }
}

void PrintSelectionDialog::optionSelected(Source &src) {
    const bool file = src.opt[1]->isChecked();
    src.lblName->setEnabled(file);
    src.cmdSelect->setEnabled(file);
}

void PrintSelectionDialog::browse(Source &src, bool positions) {
    FileDialogSpec fd;
    if (positions) {
        fd.title =
            s_.tx("印刷する位置データファイルを指定する", "Specify TZ Data file to be printed.");
        fd.filter = s_.tx("位置データファイル(*.tpd)|*.tpd|すべてのファイル(*.*)|*.*",
                          "TZ Data file(*.tpd)|*.tpd|All files(*.*)|*.*");
        fd.defaultExt = QStringLiteral("tpd");
    } else {
        fd.title =
            s_.tx("印刷するパラメータファイルを指定する", "Specify parameter file to be printed.");
        fd.filter = s_.tx("パラメータファイル(*.pmt)|*.pmt|すべてのファイル(*.*)|*.*",
                          "Parameter file(*.pmt)|*.pmt|All files(*.*)|*.*");
        fd.defaultExt = QStringLiteral("pmt");
    }
    fd.mustExist = true;
    const std::optional<QString> path = s_.prompter.openFile(fd);
    if (!path || path->isEmpty()) return;
    const QString title = QFileInfo(*path).fileName();
    src.lblName->setText(title);
    (positions ? choice_.posPath : choice_.paraPath) = *path;
    (positions ? choice_.posTitle : choice_.paraTitle) = title;
}

bool PrintSelectionDialog::fileOk(const Source &src, const QString &path) const {
    const QString shown = src.lblName->text();
    return !path.isEmpty() && shown != src.placeholder && !shown.isEmpty();
}

void PrintSelectionDialog::okClicked() {
    choice_.cancelled = false;
    choice_.posFromGrid = choice_.posFromFile = false;
    choice_.paraFromController = choice_.paraFromFile = false;
    if (posi_.chk->isChecked()) {
        if (posi_.opt[0]->isChecked()) {
            choice_.posFromGrid = true;
        } else if (fileOk(posi_, choice_.posPath)) {
            choice_.posFromFile = true;
        } else {
            s_.prompter.message(s_.tx("位置データのファイル名が適切でありません。ファイル名を確認"
                                      "し、再度印刷して下さい。",
                                      "Invalid file name.Comfirm file name and print it again."));
            return;
        }
    }
    if (para_.chk->isChecked()) {
        if (para_.opt[0]->isChecked()) {
            choice_.paraFromController = true;
        } else if (fileOk(para_, choice_.paraPath)) {
            choice_.paraFromFile = true;
        } else {
            s_.prompter.message(s_.tx("パラメータのファイル名が適切でありません。ファイル名を確"
                                      "認し、再度印刷して下さい。",
                                      "Invalid file name.Comfirm file name and print it again."));
            return;
        }
    }
    accept();
}
