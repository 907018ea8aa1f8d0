#include "ui/communication_log_window.h"

#include "common/file_save.h"
#include "common/textfile.h"
#include "state/app_state.h"
#include "widgets/builders.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <deque>

// The log's entries that pass the window's filter, by number, oldest first.
class LogModel : public QAbstractTableModel {
public:
    enum Column { Time, Direction, Data, Reply, Meaning, Columns };

    LogModel(AppState &s, QObject *parent) : QAbstractTableModel(parent), s_(s) {}

    bool hidePolling = false;
    QString search;
    bool paused = false;

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(shown_.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : Columns;
    }

    const LogEntry &entryAt(int row) const { return s_.log.at(shown_[size_t(row)]); }
    std::vector<const LogEntry *> entries(const QList<int> &rows) const {
        std::vector<const LogEntry *> out;
        for (int r : rows)
            out.push_back(&entryAt(r));
        return out;
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid()) return {};
        const LogEntry &e = entryAt(index.row());
        if (role == Qt::DisplayRole) return cellText(e, index.column());
        if (role == Qt::ForegroundRole) return foreground(e);
        if (role == Qt::BackgroundRole) return background(e);
        if (role == Qt::TextAlignmentRole && index.column() == Reply)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char *const names[Columns][2] = {{"時刻", "Time"},
                                                      {"方向", "Direction"},
                                                      {"データ", "Data"},
                                                      {"応答時間", "Reply"},
                                                      {"内容", "Meaning"}};
        return s_.tx(names[section][0], names[section][1]);
    }

    // Drops what the ring has let go and adds what came since the last look.
    void catchUp() {
        if (paused) return;
        const quint64 first = s_.log.first();
        size_t gone = 0;
        while (gone < shown_.size() && shown_[gone] < first)
            ++gone;
        if (gone) {
            beginRemoveRows({}, 0, int(gone) - 1);
            shown_.erase(shown_.begin(), shown_.begin() + qsizetype(gone));
            endRemoveRows();
        }
        std::vector<quint64> fresh;
        for (quint64 n = qMax(next_, first); n < s_.log.end(); ++n)
            if (passes(s_.log.at(n))) fresh.push_back(n);
        next_ = s_.log.end();
        if (fresh.empty()) return;
        const int at = int(shown_.size());
        beginInsertRows({}, at, at + int(fresh.size()) - 1);
        shown_.insert(shown_.end(), fresh.begin(), fresh.end());
        endInsertRows();
    }

    // After a filter change or a clear: everything again.
    void rebuild() {
        beginResetModel();
        shown_.clear();
        next_ = s_.log.first();
        endResetModel();
        const bool wasPaused = paused;
        paused = false;
        catchUp();
        paused = wasPaused;
    }

private:
    QString cellText(const LogEntry &e, int column) const {
        switch (column) {
        case Time:
            return commlog::timeOfDay(e);
        case Direction:
            return commlog::direction(e);
        case Data:
            return commlog::visibleText(e.bytes);
        case Reply:
            return commlog::elapsedText(e);
        case Meaning:
            return commlog::describe(e, s_.lang, s_.link.errorList);
        }
        return QString();
    }

    bool passes(const LogEntry &e) const {
        // Only the poll's plain lines are hidden: its failures are news.
        if (hidePolling && e.polling &&
            (e.kind == LogEntry::Kind::Sent || e.kind == LogEntry::Kind::Received))
            return false;
        if (search.isEmpty()) return true;
        for (int c = 0; c < Columns; ++c)
            if (cellText(e, c).contains(search, Qt::CaseInsensitive)) return true;
        return false;
    }

    static QVariant foreground(const LogEntry &e) {
        using K = LogEntry::Kind;
        switch (e.kind) {
        case K::Received:
            return QColor(0x0d, 0x47, 0xa1);
        case K::ErrorReply:
        case K::PortOpenFailed:
        case K::PortLost:
            return QColor(0xb7, 0x1c, 0x1c);
        case K::Probe:
            return QColor(0x6a, 0x1b, 0x9a);
        case K::Discarded:
        case K::PortClosed:
            return QColor(0x75, 0x75, 0x75);
        case K::PortOpened:
            return QColor(0x1b, 0x5e, 0x20);
        default:
            return {};
        }
    }

    static QVariant background(const LogEntry &e) {
        using K = LogEntry::Kind;
        switch (e.kind) {
        case K::ErrorReply:
        case K::PortOpenFailed:
        case K::PortLost:
            return QColor(0xff, 0xdd, 0xdd);
        case K::TimeOut:
            return QColor(0xff, 0xe0, 0xb2);
        case K::WrongReply:
            return QColor(0xff, 0xf3, 0xb0);
        case K::Probe:
            return QColor(0xf1, 0xe4, 0xf7);
        case K::PortOpened:
            return QColor(0xe3, 0xf4, 0xe6);
        default:
            return {};
        }
    }

    AppState &s_;
    std::deque<quint64> shown_;
    quint64 next_ = 0;
};

CommunicationLogWindow::CommunicationLogWindow(AppState &s, QWidget *parent)
    : QWidget(parent, Qt::Window), s_(s), model_(new LogModel(s, this)),
      view_(named(new QTableView(this), "logView")),
      hidePollingBox_(named(new QCheckBox(this), "hidePollingBox")),
      searchBox_(named(new QLineEdit(this), "searchBox")),
      pauseButton_(makeButton(this, "pauseViewButton", s.tx("表示を一時停止", "Pause view"))),
      clearButton_(makeButton(this, "clearLogButton", s.tx("クリア", "Clear"))),
      copyButton_(makeButton(this, "copyLogButton", s.tx("コピー", "Copy"))),
      saveButton_(makeButton(this, "saveLogButton", s.tx("保存...", "Save..."))),
      countLabel_(named(new QLabel(this), "logCountLabel")), catchUpTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("CommunicationLogWindow"));
    setWindowTitle(s_.tx("通信ログ", "Communication Log"));

    hidePollingBox_->setText(
        s_.tx("入出力モニタのポーリングを隠す", "Hide the I/O monitor's polling"));
    searchBox_->setPlaceholderText(s_.tx("検索", "Search"));
    searchBox_->setClearButtonEnabled(true);
    pauseButton_->setCheckable(true);

    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    // Fixed row heights: twenty thousand rows are laid out without measuring.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->horizontalHeader()->setHighlightSections(false);
    const QFontMetrics fm(view_->font());
    view_->setColumnWidth(LogModel::Time,
                          fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    view_->setColumnWidth(LogModel::Direction,
                          fm.horizontalAdvance(QStringLiteral("C/T -> PC")) + 16);
    view_->setColumnWidth(
        LogModel::Data, fm.horizontalAdvance(QStringLiteral("0RD2F0000000000000000<CR><LF>")) + 16);
    view_->setColumnWidth(LogModel::Reply, fm.horizontalAdvance(QStringLiteral("00000 ms")) + 16);

    auto *tools = new QHBoxLayout;
    tools->addWidget(hidePollingBox_);
    tools->addWidget(searchBox_, 1);
    tools->addWidget(pauseButton_);
    tools->addWidget(clearButton_);
    tools->addWidget(copyButton_);
    tools->addWidget(saveButton_);
    auto *top = new QVBoxLayout(this);
    top->addLayout(tools);
    top->addWidget(view_, 1);
    top->addWidget(countLabel_);

    auto *copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this, &CommunicationLogWindow::copySelection);

    catchUpTimer_->setSingleShot(true);
    connect(catchUpTimer_, &QTimer::timeout, this, &CommunicationLogWindow::catchUp);
    connect(&s_.log, &CommunicationLog::recorded, this, &CommunicationLogWindow::scheduleCatchUp);
    connect(&s_.link, &Link::busyChanged, this, [this](bool busy) {
        // The save dialog would hold up the operation until it closes.
        saveButton_->setEnabled(!busy);
        if (!busy && catchUpTimer_->isActive()) catchUpTimer_->start(100);
    });
    saveButton_->setEnabled(!s_.controllerBusy());
    connect(&s_.log, &CommunicationLog::cleared, this, &CommunicationLogWindow::refilter);
    connect(hidePollingBox_, &QCheckBox::toggled, this, &CommunicationLogWindow::refilter);
    connect(searchBox_, &QLineEdit::textChanged, this, &CommunicationLogWindow::refilter);
    connect(pauseButton_, &QPushButton::toggled, this, [this](bool on) {
        model_->paused = on;
        if (!on) catchUp();
    });
    connect(clearButton_, &QPushButton::clicked, &s_.log, &CommunicationLog::clearEntries);
    connect(copyButton_, &QPushButton::clicked, this, &CommunicationLogWindow::copySelection);
    connect(saveButton_, &QPushButton::clicked, this, &CommunicationLogWindow::saveShown);

    resize(fm.horizontalAdvance(QLatin1Char('0')) * 110, fm.height() * 30);
    model_->rebuild();
    showCount();
}

CommunicationLogWindow::~CommunicationLogWindow() = default;

QAbstractItemModel *CommunicationLogWindow::model() const {
    return model_;
}

void CommunicationLogWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    catchUp();
    // Opened after a failure, the window shows what led to it: the newest
    // entries, once the view knows its height.
    QTimer::singleShot(0, view_, &QTableView::scrollToBottom);
}

void CommunicationLogWindow::scheduleCatchUp() {
    // Hidden, the window has nothing to draw; showing it catches up.
    if (!isVisible() || model_->paused || catchUpTimer_->isActive()) return;
    // Drawing takes the thread the replies are read on: while an operation
    // talks to the controller the window draws once a second at most, and
    // catches up as soon as the operation ends.
    catchUpTimer_->start(s_.controllerBusy() ? 1000 : 100);
}

void CommunicationLogWindow::catchUp() {
    catchUpTimer_->stop();
    QScrollBar *bar = view_->verticalScrollBar();
    // Follow the newest entry unless the user has scrolled back to read.
    const bool atBottom = bar->value() == bar->maximum();
    model_->catchUp();
    if (atBottom) view_->scrollToBottom();
    showCount();
}

void CommunicationLogWindow::refilter() {
    model_->hidePolling = hidePollingBox_->isChecked();
    model_->search = searchBox_->text().trimmed();
    model_->rebuild();
    view_->scrollToBottom();
    showCount();
}

void CommunicationLogWindow::showCount() {
    countLabel_->setText((s_.japanese()
                              ? QStringLiteral("表示 %1 件（記録 %2 件、最新 %3 件まで保持）")
                              : QStringLiteral("%1 shown of %2 recorded; the newest %3 are kept"))
                             .arg(model_->rowCount())
                             .arg(s_.log.size())
                             .arg(s_.log.capacity()));
}

QString CommunicationLogWindow::shownText() const {
    QList<int> rows;
    for (int r = 0; r < model_->rowCount(); ++r)
        rows << r;
    return commlog::toText(model_->entries(rows), s_.lang, s_.link.errorList);
}

void CommunicationLogWindow::copySelection() {
    QList<int> rows;
    for (const QModelIndex &i : view_->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    const QString text = rows.isEmpty()
                             ? shownText()
                             : commlog::toText(model_->entries(rows), s_.lang, s_.link.errorList);
    QApplication::clipboard()->setText(text);
}

void CommunicationLogWindow::saveShown() {
    FileDialogSpec fd;
    fd.title = s_.tx("通信ログを保存", "Save the communication log");
    fd.filter = s_.tx("テキストファイル (*.txt)|*.txt|CSVファイル (*.csv)|*.csv",
                      "Text file (*.txt)|*.txt|CSV file (*.csv)|*.csv");
    fd.defaultExt = QStringLiteral("txt");
    fd.initialName = QStringLiteral("tzc3-log.txt");
    fd.overwritePrompt = true;
    const auto path = s_.prompter.saveFile(fd);
    if (!path || path->isEmpty()) return;
    QList<int> rows;
    for (int r = 0; r < model_->rowCount(); ++r)
        rows << r;
    const auto entries = model_->entries(rows);
    const bool csv = path->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const QString text = csv ? commlog::toCsv(entries, s_.lang, s_.link.errorList)
                             : commlog::toText(entries, s_.lang, s_.link.errorList);
    saveFileBytes(s_.prompter, s_.lang, *path, textfile::encode(text),
                  "通信ログを保存できませんでした。", "The communication log could not be saved.");
}

CommunicationLogWindow *showCommunicationLog(AppState &s, QWidget *mainWindow) {
    auto *w = mainWindow ? mainWindow->findChild<CommunicationLogWindow *>() : nullptr;
    if (!w) w = new CommunicationLogWindow(s, mainWindow);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}
