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
#include "ui/edit_panel.h"
#include "ui/options_dialog.h"
#include "ui/printing.h"
#include "ui/toolbar_icons.h"
#include "widgets/mnemonic.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

void frmMain::buildMenus() {
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

    QMenu *file = menu(nullptr, "mnuFile", tx("ファイル(&F)", "File(&F)"), mnuFile);
    mnuFileNew = item(file, "mnuFileNew", tx("全消去＆新規作成(&N)", "Clear All & New Data(&N)"),
                      QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen = item(file, "mnuFileOpen", tx("開く(&O)", "File Open(&O)"),
                       QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileGetfromCt =
        item(file, "mnuFileGetfromCt", tx("ｺﾝﾄﾛｰﾗから読込み(&R)", "Read from C/T(&R)"));
    file->addSeparator();
    mnuFileSave = item(file, "mnuFileSave", tx("上書き保存(&S)", "Save(&S)"),
                       QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSaveAs = item(file, "mnuFileSaveAs", tx("名前を付けて保存(&A)", "Save As...(&A)"));
    mnuFileLoadtoCt = item(file, "mnuFileLoadtoCt", tx("ｺﾝﾄﾛｰﾗへ書込み(&L)", "Write to C/T(&L)"));
    file->addSeparator();
    QMenu *verify = menu(file, "mnuFileShogo", tx("データ照合", "Verfy Position"), mnuFileShogo);
    mnuFileShogoFile = item(verify, "mnuFileShogoFile", tx("ファイルと照合", "File"));
    mnuFileShogoCt = item(verify, "mnuFileShogoCt", tx("コントローラと照合", "C/T"));
    file->addSeparator();
    mnuFilePageSetup = item(file, "mnuFilePageSetup", tx("プリンター設定(&U)", "Printer"));
    mnuFilePrint =
        item(file, "mnuFilePrint", tx("印刷(&P)", "Print(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    mnuFileExit = item(file, "mnuFileExit", tx("終了(&X)", "Exit(&X)"));

    QMenu *view = menu(nullptr, "mnuView", tx("表示(&V)", "View(&V)"), mnuView);
    mnuViewToolBar = item(view, "mnuViewToolBar", tx("ツールバー(&T)", "ToolBar(&T)"));
    mnuViewStatusBar = item(view, "mnuViewStatusBar", tx("ステータスバー(&B)", "StatusBar(&B)"));
    for (QAction *a : {mnuViewToolBar, mnuViewStatusBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    view->addSeparator();
    QMenu *io = menu(view, "mnuShowState", tx("入出力( &S)", "Input/Output(&S)"), mnuShowState);
    mnuShowInpOutp = item(io, "mnuShowInpOutp", tx("入出力の状態(&I)", "I/O Monitor(&I)"));
    mnuShowChangeOut = item(io, "mnuShowChangeOut", tx("出力の変更(&C)", "Change Out(&C)"));
    mnuShowParameta = item(view, "mnuShowParameta", tx("パラメータ(&P)", "Parameter(&P)"));
    mnuViewOption = item(view, "mnuViewOption", tx("オプション(&O)", "Option(&O)"));
    mnuShowCtversion = item(view, "mnuShowCtversion", tx("ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ", "Version Of C/T"));

    QMenu *mode = menu(nullptr, "mnuModeChange", tx("ｺﾝﾄﾛｰﾗﾓｰﾄﾞ変更(&M)", "Change C/T Mode(&M)"),
                       mnuModeChange);
    mnuModeTrancefer = item(mode, "mnuModeTrancefer", tx("通信ﾓｰﾄﾞ(&T)", "Communication Mode(&T)"));
    mnuModeGaibu = item(mode, "mnuModeGaibu", tx("外部起動ﾓｰﾄﾞ(&G)", "External start mode(&G)"));

    QMenu *help = menu(nullptr, "mnuHelp", tx("ヘルプ(&H)", "Help(&H)"), mnuHelp);
    mnuHelpContents = item(help, "mnuHelpContents", tx("目次(&C)", "Contents(&C)"));
    help->addSeparator();
    mnuHelpAbout = item(help, "mnuHelpAbout", tx("バージョン情報(&A)...", "Version(&A)..."));

    // Items that are "the same as" a button press that button, so each
    // command has one path whichever way the user starts it.
    connect(mnuFileOpen, &QAction::triggered, this, [this] { frmDataEdit->cmdFileOpen->click(); });
    connect(mnuFileGetfromCt, &QAction::triggered, this,
            [this] { frmDataEdit->cmdGetfromCt->click(); });
    connect(mnuFileLoadtoCt, &QAction::triggered, this,
            [this] { frmDataEdit->cmdLoadtoCt->click(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] {
        // A refused close (an exchange runs, or the user said Cancel) leaves
        // the port to whoever uses it.
        if (close()) s_.link.closePort();
    });
    connect(mnuViewToolBar, &QAction::toggled, this,
            [this](bool on) { tbToolBar->setVisible(on); });
    connect(mnuViewStatusBar, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
}

void frmMain::connectMenuItems() {
    connect(mnuModeTrancefer, &QAction::triggered, this,
            [this] { communicationMode(s_.link, buttonsAndToolbar()); });
    connect(mnuModeGaibu, &QAction::triggered, this,
            [this] { externalStartMode(s_.link, buttonsAndToolbar()); });
    connect(mnuShowCtversion, &QAction::triggered, this,
            [this] { showControllerVersion(s_.link, wholeBracket()); });
    connect(mnuShowParameta, &QAction::triggered, this, [this] {
        // Whatever the mode, the window's own enabled states come back as
        // they were: only the containers are switched.
        const auto usable = [this](bool on) {
            for (QWidget *w : {centralWidget(), static_cast<QWidget *>(menuBar()),
                               static_cast<QWidget *>(tbToolBar)})
                w->setEnabled(on);
        };
        showParameterEditor(s_, this, {[usable] { usable(false); }, [usable] { usable(true); }});
    });
    connect(mnuViewOption, &QAction::triggered, this, [this] { showOptions(s_, this); });
    connect(mnuFilePageSetup, &QAction::triggered, this, [this] {
        BracketScope scope(buttonsAndToolbar());
        printSetup(s_, this);
    });
    connect(mnuFilePrint, &QAction::triggered, this, [this] {
        {
            BracketScope scope(buttonsAndToolbar());
            printDocument(s_, this, progressWindow);
        }
        refreshGrids();
    });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { showAbout(s_, this); });
    connect(mnuHelpContents, &QAction::triggered, this, [this] { showHelpContents(s_, this); });
    connect(mnuShowInpOutp, &QAction::triggered, this, [this] { showIoMonitor(s_, this); });
    connect(mnuShowChangeOut, &QAction::triggered, this,
            [this] { showOutputChange(s_, this, wholeBracket()); });
}

void frmMain::buildToolBar() {
    tbToolBar = new QToolBar(tx("ツールバー", "ToolBar"), this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(24, 24));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, tbToolBar);

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
        {"Shogo", "ﾃﾞｰﾀの照合", "Verify Data"},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            tbButtons << tbToolBar->addSeparator();
            continue;
        }
        const QString tip = tx(b.ja, b.en);
        // The text shows in the toolbar's overflow menu when the window is narrow.
        QAction *a = tbToolBar->addAction(toolbarIcon(QLatin1String(b.key)), mnemonicCaption(tip));
        a->setObjectName(QLatin1String(b.key));
        a->setToolTip(tip);
        tbButtons << a;
    }
    connect(tbToolBar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarButtonClick(a->objectName()); });
}

void frmMain::toolbarButtonClick(const QString &key) {
    if (key == QLatin1String("New"))
        mnuFileNew->trigger();
    else if (key == QLatin1String("Open"))
        frmDataEdit->cmdFileOpen->click();
    else if (key == QLatin1String("Save"))
        mnuFileSave->trigger();
    else if (key == QLatin1String("Print"))
        mnuFilePrint->trigger();
    else if (key == QLatin1String("Read"))
        frmDataEdit->cmdGetfromCt->click();
    else if (key == QLatin1String("Load"))
        frmDataEdit->cmdLoadtoCt->click();
    else if (key == QLatin1String("Shogo"))
        frmDataEdit->cmdPosiDataShogo->click();
}

void frmMain::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMargin(1);
        panel->setMinimumWidth(i == 0 ? 200 : 130);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        sbPanel[i] = panel;
    }
}

QLabel *frmMain::statusPanel(int n) const {
    return n >= 1 && n <= 3 ? sbPanel[n - 1] : nullptr;
}
