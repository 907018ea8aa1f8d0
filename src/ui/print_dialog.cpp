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

    buildSource(positions_, {"positionsBox", "positionsFromGridOption", "positionsFromFileOption",
                             "positionsFileLabel", "positionsBrowseButton"});
    positions_.box->setText(s.tx("位置データ", "TZ Data"));
    positions_.options[0]->setText(s.tx("表の位置データ", "Inside of Grid"));
    positions_.placeholder = s.tx("位置データ(xxxx.tpd)", "TZ Data(xxxx.tpd)");

    buildSource(parameters_,
                {"parametersBox", "parametersFromControllerOption", "parametersFromFileOption",
                 "parametersFileLabel", "parametersBrowseButton"});
    parameters_.box->setText(s.tx("パラメータ", "Parameter"));
    parameters_.options[0]->setText(s.tx("コントローラ内のデータ", "Inside of C/T"));
    parameters_.placeholder = s.tx("パラメータ(xxxx.pmt)", "Parameter(xxxx.pmt)");

    okButton_ = new PushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new PushButton(s.tx("キャンセル", "Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto *grid = new QGridLayout;
    int row = 0;
    for (Source *src : {&positions_, &parameters_}) {
        src->options[1]->setText(s.tx("ファイル", "File"));
        src->browseButton->setText(s.tx("参照", "Browse"));
        src->fileNameLabel->setText(src->placeholder);
        src->fileNameLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        src->fileNameLabel->setMinimumWidth(
            src->fileNameLabel->fontMetrics().horizontalAdvance(QStringLiteral("M")) * 18);
        grid->addWidget(src->box, row, 0, 1, 3);
        grid->addWidget(src->options[0], row + 1, 1, 1, 2);
        grid->addWidget(src->options[1], row + 2, 1);
        grid->addWidget(src->fileNameLabel, row + 3, 1, 1, 2);
        grid->addWidget(src->browseButton, row + 3, 3);
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
    positions_.box->setChecked(true);
    positions_.options[0]->setChecked(true);
    parameters_.options[0]->setChecked(true);
    checkToggled(positions_, parameters_);
    checkToggled(parameters_, positions_);

    connect(positions_.box, &QCheckBox::toggled, this,
            [this] { checkToggled(positions_, parameters_); });
    connect(parameters_.box, &QCheckBox::toggled, this,
            [this] { checkToggled(parameters_, positions_); });
    connect(positions_.group, &QButtonGroup::idClicked, this,
            [this] { optionSelected(positions_); });
    connect(parameters_.group, &QButtonGroup::idClicked, this,
            [this] { optionSelected(parameters_); });
    connect(positions_.browseButton, &QPushButton::clicked, this,
            [this] { browse(positions_, true); });
    connect(parameters_.browseButton, &QPushButton::clicked, this,
            [this] { browse(parameters_, false); });
    connect(okButton_, &QPushButton::clicked, this, &PrintSelectionDialog::okClicked);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        choice_.cancelled = true;
        reject();
    });
}

// Names: {check box, first option, second option, file label, Browse button}.
void PrintSelectionDialog::buildSource(Source &src, const std::array<const char *, 5> &names) {
    src.box = new QCheckBox(this);
    src.box->setObjectName(QLatin1String(names[0]));
    src.group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        src.options[i] = new QRadioButton(this);
        src.options[i]->setObjectName(QLatin1String(names[1 + i]));
        src.group->addButton(src.options[i], i);
    }
    src.fileNameLabel = new QLabel(this);
    src.fileNameLabel->setObjectName(QLatin1String(names[3]));
    src.browseButton = new PushButton(this);
    src.browseButton->setObjectName(QLatin1String(names[4]));
}

void PrintSelectionDialog::checkToggled(Source &src, const Source &other) {
    const bool on = src.box->isChecked();
    const bool file = src.options[1]->isChecked();
    src.options[0]->setEnabled(on);
    src.options[1]->setEnabled(on);
    src.fileNameLabel->setEnabled(on && file);
    src.browseButton->setEnabled(on && file);
    if (on) {
        if (!file || src.fileNameLabel->text() != src.placeholder) okButton_->setEnabled(true);
    } else if (!other.box->isChecked()) {
        okButton_->setEnabled(false);
    }
}

void PrintSelectionDialog::optionSelected(Source &src) {
    const bool file = src.options[1]->isChecked();
    src.fileNameLabel->setEnabled(file);
    src.browseButton->setEnabled(file);
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
    src.fileNameLabel->setText(title);
    (positions ? choice_.posPath : choice_.paraPath) = *path;
    (positions ? choice_.posTitle : choice_.paraTitle) = title;
}

bool PrintSelectionDialog::fileOk(const Source &src, const QString &path) const {
    const QString shown = src.fileNameLabel->text();
    return !path.isEmpty() && shown != src.placeholder && !shown.isEmpty();
}

void PrintSelectionDialog::okClicked() {
    choice_.cancelled = false;
    choice_.posFromGrid = choice_.posFromFile = false;
    choice_.paraFromController = choice_.paraFromFile = false;
    if (positions_.box->isChecked()) {
        if (positions_.options[0]->isChecked()) {
            choice_.posFromGrid = true;
        } else if (fileOk(positions_, choice_.posPath)) {
            choice_.posFromFile = true;
        } else {
            s_.prompter.message(s_.tx("位置データのファイル名が適切でありません。ファイル名を確認"
                                      "し、再度印刷して下さい。",
                                      "Invalid file name.Comfirm file name and print it again."));
            return;
        }
    }
    if (parameters_.box->isChecked()) {
        if (parameters_.options[0]->isChecked()) {
            choice_.paraFromController = true;
        } else if (fileOk(parameters_, choice_.paraPath)) {
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
