// The main window's menus, toolbar and status bar: how they are built, what
// the menu items that open a window or speak to the controller run, and what
// each toolbar button stands for. The position file and controller commands
// are wired with their buttons, and which items may be used when is decided
// with the other enable rules, in main_window.cpp.

#include "ui/main_window.h"

#include "controller/controller_mode.h"
#include "controller/status.h"
#include "operation/io_monitor.h"
#include "operation/output_change.h"
#include "parameters/parameter_editor.h"
#include "positions/progress_window.h"
#include "state/app_state.h"
#include "ui/about_box.h"
#include "ui/communication_log_window.h"
#include "ui/edit_panel.h"
#include "ui/options_dialog.h"
#include "ui/printing.h"
#include "ui/status_panel.h"
#include "ui/toolbar_icons.h"
#include "widgets/eliding_label.h"
#include "widgets/mnemonic.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

void MainWindow::buildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    // A menu and its action share the program's name for the menu.
    const auto menu = [bar](QMenu *in, const char *name, const QString &title, QAction *&action) {
        QMenu *m = in ? in->addMenu(mnemonicCaption(title)) : bar->addMenu(mnemonicCaption(title));
        m->setObjectName(QLatin1String(name));
        action = m->menuAction();
        action->setObjectName(QLatin1String(name));
        return m;
    };
    const auto item = [](QMenu *m, const char *name, const QString &text,
                         const QKeySequence &key = QKeySequence()) {
        QAction *a = m->addAction(mnemonicCaption(text));
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        return a;
    };

    QMenu *file = menu(nullptr, "fileMenu", tx("ファイル(&F)", "File(&F)"), fileMenu);
    newAction = item(file, "newAction", tx("全消去＆新規作成(&N)", "Clear All & New Data(&N)"),
                     QKeySequence(Qt::CTRL | Qt::Key_N));
    openAction = item(file, "openAction", tx("開く(&O)", "File Open(&O)"),
                      QKeySequence(Qt::CTRL | Qt::Key_O));
    readAction = item(file, "readAction", tx("ｺﾝﾄﾛｰﾗから読込み(&R)", "Read from C/T(&R)"));
    file->addSeparator();
    saveAction = item(file, "saveAction", tx("上書き保存(&S)", "Save(&S)"),
                      QKeySequence(Qt::CTRL | Qt::Key_S));
    saveAsAction = item(file, "saveAsAction", tx("名前を付けて保存(&A)", "Save As...(&A)"));
    writeAction = item(file, "writeAction", tx("ｺﾝﾄﾛｰﾗへ書込み(&L)", "Write to C/T(&L)"));
    file->addSeparator();
    QMenu *verify = menu(file, "verifyMenu", tx("データ照合", "Verfy Position"), verifyMenu);
    verifyFileAction = item(verify, "verifyFileAction", tx("ファイルと照合", "File"));
    verifyControllerAction =
        item(verify, "verifyControllerAction", tx("コントローラと照合", "C/T"));
    file->addSeparator();
    pageSetupAction = item(file, "pageSetupAction", tx("プリンター設定(&U)", "Printer"));
    printAction =
        item(file, "printAction", tx("印刷(&P)", "Print(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    exitAction = item(file, "exitAction", tx("終了(&X)", "Exit(&X)"));

    QMenu *view = menu(nullptr, "viewMenu", tx("表示(&V)", "View(&V)"), viewMenu);
    toolBarAction = item(view, "toolBarAction", tx("ツールバー(&T)", "ToolBar(&T)"));
    statusBarAction = item(view, "statusBarAction", tx("ステータスバー(&B)", "StatusBar(&B)"));
    for (QAction *a : {toolBarAction, statusBarAction}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    view->addSeparator();
    QMenu *io = menu(view, "ioMenu", tx("入出力( &S)", "Input/Output(&S)"), ioMenu);
    ioMonitorAction = item(io, "ioMonitorAction", tx("入出力の状態(&I)", "I/O Monitor(&I)"));
    outputChangeAction = item(io, "outputChangeAction", tx("出力の変更(&C)", "Change Out(&C)"));
    parametersAction = item(view, "parametersAction", tx("パラメータ(&P)", "Parameter(&P)"));
    optionsAction = item(view, "optionsAction", tx("オプション(&O)", "Option(&O)"));
    versionAction = item(view, "versionAction", tx("ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ", "Version Of C/T"));
    view->addSeparator();
    communicationLogAction =
        item(view, "communicationLogAction", tx("通信ログ(&L)", "Communication Log(&L)"));

    QMenu *mode =
        menu(nullptr, "modeMenu", tx("ｺﾝﾄﾛｰﾗﾓｰﾄﾞ変更(&M)", "Change C/T Mode(&M)"), modeMenu);
    communicationModeAction =
        item(mode, "communicationModeAction", tx("通信ﾓｰﾄﾞ(&T)", "Communication Mode(&T)"));
    externalModeAction =
        item(mode, "externalModeAction", tx("外部起動ﾓｰﾄﾞ(&G)", "External start mode(&G)"));

    QMenu *help = menu(nullptr, "helpMenu", tx("ヘルプ(&H)", "Help(&H)"), helpMenu);
    helpContentsAction = item(help, "helpContentsAction", tx("目次(&C)", "Contents(&C)"));
    help->addSeparator();
    aboutAction = item(help, "aboutAction", tx("バージョン情報(&A)...", "Version(&A)..."));

    // Items that are "the same as" a button press that button, so each
    // command has one path whichever way the user starts it.
    connect(openAction, &QAction::triggered, this, [this] { editFrame->openButton->click(); });
    connect(readAction, &QAction::triggered, this, [this] { editFrame->readButton->click(); });
    connect(writeAction, &QAction::triggered, this, [this] { editFrame->writeButton->click(); });
    connect(exitAction, &QAction::triggered, this, [this] {
        // A refused close (an exchange runs, or the user said Cancel) leaves
        // the port to whoever uses it.
        if (close()) s_.link.closePort();
    });
    connect(toolBarAction, &QAction::toggled, this, [this](bool on) { toolBar->setVisible(on); });
    connect(statusBarAction, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
}

void MainWindow::connectMenuItems() {
    connect(communicationModeAction, &QAction::triggered, this,
            [this] { communicationMode(s_.link, buttonsAndToolbar()); });
    connect(externalModeAction, &QAction::triggered, this,
            [this] { externalStartMode(s_.link, buttonsAndToolbar()); });
    connect(versionAction, &QAction::triggered, this,
            [this] { showControllerVersion(s_.link, wholeBracket()); });
    connect(parametersAction, &QAction::triggered, this, [this] {
        // Whatever the mode, the window's own enabled states come back as
        // they were: only the containers are switched.
        const auto usable = [this](bool on) {
            for (QWidget *w : {centralWidget(), static_cast<QWidget *>(menuBar()),
                               static_cast<QWidget *>(toolBar)})
                w->setEnabled(on);
        };
        showParameterEditor(s_, this, {[usable] { usable(false); }, [usable] { usable(true); }});
    });
    connect(optionsAction, &QAction::triggered, this, [this] { showOptions(s_, this); });
    connect(pageSetupAction, &QAction::triggered, this, [this] {
        BracketScope scope(buttonsAndToolbar());
        printSetup(s_, this);
    });
    connect(printAction, &QAction::triggered, this, [this] {
        {
            BracketScope scope(buttonsAndToolbar());
            printDocument(s_, this, progressWindow);
        }
        refreshGrids();
    });
    connect(aboutAction, &QAction::triggered, this, [this] { showAbout(s_, this); });
    connect(communicationLogAction, &QAction::triggered, this,
            [this] { showCommunicationLog(s_, this); });
    connect(helpContentsAction, &QAction::triggered, this, [this] { showHelpContents(s_, this); });
    connect(ioMonitorAction, &QAction::triggered, this, [this] { showIoMonitor(s_, this); });
    connect(outputChangeAction, &QAction::triggered, this,
            [this] { showOutputChange(s_, this, wholeBracket()); });
}

void MainWindow::buildToolBar() {
    toolBar = new QToolBar(tx("ツールバー", "ToolBar"), this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(24, 24));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, toolBar);

    struct Button {
        const char *key; // nullptr: separator
        const char *ja;
        const char *en;
    };
    const Button buttons[] = {
        {"New", "全消去＆新規作成", "All clear & New Data"},
        {"Open", "開く", "Open Data file"},
        {"Save", "上書き保存", "Over Write Data file"},
        {nullptr, nullptr, nullptr},
        {"Print", "印刷", "Print Data and Parameters"},
        {nullptr, nullptr, nullptr},
        {"Read", "ｺﾝﾄﾛｰﾗから読み込み", "Read from C/T"},
        {"Load", "ｺﾝﾄﾛｰﾗへ書き込み", "Write to C/T"},
        {"Verify", "ﾃﾞｰﾀの照合", "Verify Data"},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            toolBarActions << toolBar->addSeparator();
            continue;
        }
        const QString tip = tx(b.ja, b.en);
        // The text shows in the toolbar's overflow menu when the window is narrow.
        QAction *a = toolBar->addAction(toolbarIcon(QLatin1String(b.key)), mnemonicCaption(tip));
        a->setObjectName(QLatin1String(b.key));
        a->setToolTip(tip);
        toolBarActions << a;
    }
    connect(toolBar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarButtonClick(a->objectName()); });
}

void MainWindow::toolbarButtonClick(const QString &key) {
    if (key == QLatin1String("New"))
        newAction->trigger();
    else if (key == QLatin1String("Open"))
        editFrame->openButton->click();
    else if (key == QLatin1String("Save"))
        saveAction->trigger();
    else if (key == QLatin1String("Print"))
        printAction->trigger();
    else if (key == QLatin1String("Read"))
        editFrame->readButton->click();
    else if (key == QLatin1String("Load"))
        editFrame->writeButton->click();
    else if (key == QLatin1String("Verify"))
        editFrame->verifyButton->click();
}

void MainWindow::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMargin(1);
        panel->setMinimumWidth(i == 0 ? 200 : 130);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        statusPanels[i] = panel;
    }
    portFailurePanel_ = new ElidingLabel(bar);
    portFailurePanel_->setObjectName(QStringLiteral("portFailurePanel"));
    QPalette red = portFailurePanel_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    portFailurePanel_->setPalette(red);
    bar->insertWidget(0, portFailurePanel_, 2);
    connect(&s_.link, &Link::openFailureChanged, this, &MainWindow::showPortFailure);
    showPortFailure();
}

void MainWindow::showPortFailure() {
    const auto &failure = s_.link.lastOpenFailure();
    const QString text = failure ? describePortFailure(*failure, s_.lang) : QString();
    portFailurePanel_->setText(text);
    // A narrow window cuts the panel short; the tip keeps the whole reason.
    portFailurePanel_->setToolTip(text);
    portFailurePanel_->setVisible(failure.has_value());
    statusFrame->showPortFailure(text);
}

QLabel *MainWindow::statusPanel(int n) const {
    return n >= 1 && n <= 3 ? statusPanels[n - 1] : nullptr;
}
