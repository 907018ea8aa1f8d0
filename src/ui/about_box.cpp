#include "ui/about_box.h"

#include "state/app_state.h"
#include "ui/splash.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <QFile>
#include <QProcess>
#include <QSettings>
#endif

AboutBox::AboutBox(AppState &s, QWidget *mainWindow) : QDialog(mainWindow), s_(s) {
    setObjectName(QStringLiteral("AboutBox"));
    setModal(true);

    titleLabel_ = new QLabel(QStringLiteral("TZ-C3"), this);
    titleLabel_->setObjectName(QStringLiteral("titleLabel"));
    QFont tf = titleLabel_->font();
    tf.setPointSize(tf.pointSize() + 10);
    tf.setBold(true);
    titleLabel_->setFont(tf);
    versionLabel_ = new QLabel(SplashWindow::versionText(), this);
    versionLabel_->setObjectName(QStringLiteral("versionLabel"));
    descriptionLabel_ = new QLabel(this);
    descriptionLabel_->setObjectName(QStringLiteral("descriptionLabel"));
    descriptionLabel_->setWordWrap(true);
    disclaimerLabel_ = new QLabel(this);
    disclaimerLabel_->setObjectName(QStringLiteral("disclaimerLabel"));
    disclaimerLabel_->setWordWrap(true);
    // The address is part of the window, the same in both languages.
    addressLabel_ = new QLabel(QStringLiteral("Velcor Home Page"), this);
    addressLabel_->setObjectName(QStringLiteral("addressLabel"));
    addressLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    okButton_ = new PushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    systemInfoButton_ = new PushButton(s.tx("ｼｽﾃﾑ情報(&S)...", "&System Info..."), this);
    systemInfoButton_->setObjectName(QStringLiteral("systemInfoButton"));
    systemInfoButton_->setAutoDefault(false);
    for (QPushButton *b : {okButton_, systemInfoButton_})
        b->setMinimumWidth(twips(1500));

    setWindowTitle(s.tx("TZ-C3 ﾊﾞｰｼﾞｮﾝ情報...", "TZ-C3 Version Information..."));
    descriptionLabel_->setText(
        s.tx("TZ-C3では、TZの位置ﾃﾞｰﾀ・ﾊﾟﾗﾒｰﾀの編集や移動テストが行えます。",
             "Editing of position data or parameters and test running can be done by TZ-C3."));
    disclaimerLabel_->setText(
        s.tx("警告: ...予告なくTZ-C3の仕様等を変更することがあります。"
             "Velcorのホームページで最新バージョンのTZ-C3を入手して下さい。",
             "Caution : Specification may be changed without previous announcement. Download "
             "the latest version of TZ-C3 from Velcor Home Page. URL:"));

    auto *texts = new QVBoxLayout;
    texts->addWidget(titleLabel_);
    texts->addWidget(versionLabel_);
    texts->addSpacing(twips(120));
    texts->addWidget(descriptionLabel_);
    texts->addStretch();

    auto *notice = new QGridLayout;
    notice->addWidget(disclaimerLabel_, 0, 0);
    notice->addWidget(addressLabel_, 1, 0, Qt::AlignLeft);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(systemInfoButton_);
    buttons->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(notice, 1);
    bottom->addSpacing(twips(240));
    bottom->addLayout(buttons);

    auto *top = new QVBoxLayout(this);
    top->addLayout(texts);
    top->addSpacing(twips(240));
    top->addLayout(bottom);
    setFixedWidth(twips(6000));

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(systemInfoButton_, &QPushButton::clicked, this, [this] { startSysInfo(s_); });

    if (mainWindow) move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
}

namespace {

#ifdef Q_OS_WIN
// A machine-wide registry value as text: a string as it is, a number as
// "&h" and its hexadecimal digits; empty when the key or value is missing.
QString machineRegistryText(const QString &key, const QString &name) {
    const QSettings reg(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::NativeFormat);
    const QVariant v = reg.value(name);
    if (!v.isValid()) return {};
    if (v.typeId() == QMetaType::QString) return v.toString().section(QChar(0), 0, 0);
    bool isNumber = false;
    const uint n = v.toUInt(&isNumber);
    return isNumber ? QStringLiteral("&h") + QString::number(n, 16).toUpper() : QString();
}

bool startWindowsSysInfo() {
    const QString path = machineRegistryText(
        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"));
    if (!path.isEmpty() && QProcess::startDetached(path, {})) return true;
    const QString folder = machineRegistryText(
        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"));
    if (folder.isEmpty()) return false;
    const QString exe = folder + QStringLiteral("\\MSINFO32.EXE");
    return QFile::exists(exe) && QProcess::startDetached(exe, {});
}
#endif

} // namespace

void startSysInfo(AppState &s) {
#ifdef Q_OS_WIN
    if (startWindowsSysInfo()) return;
#endif
    // Other systems have no such tool to start.
    s.prompter.message(
        s.tx("現時点ではｼｽﾃﾑ情報を使用できません", "You can't look system information,now."));
}

void showAbout(AppState &s, QWidget *mainWindow) {
    AboutBox box(s, mainWindow);
    s.prompter.exec(box);
}

void showHelpContents(AppState &s, QWidget *mainWindow) {
    Q_UNUSED(mainWindow); // the platform's viewer has its own window
    if (!s.helpPath.isEmpty() && QFileInfo(s.helpPath).isFile() &&
        QDesktopServices::openUrl(QUrl::fromLocalFile(s.helpPath)))
        return;
    s.prompter.message(s.text(603), PromptIcon::Information);
}
