// The About box in both languages with its System Info fallback, and
// Help > Contents with and without a help file.

#include "test_registry.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/twips.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// Stands in for the platform's viewer.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class AboutHelpTest : public QObject {
    Q_OBJECT

private slots:
    void aboutBox_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("texts"); // title, description, disclaimer, no tool
        QTest::newRow("japanese")
            << 1
            << QStringList{"TZ-C3 ﾊﾞｰｼﾞｮﾝ情報...",
                           "TZ-C3では、TZの位置ﾃﾞｰﾀ・ﾊﾟﾗﾒｰﾀの編集や移動テストが行えます。",
                           "警告: ...予告なくTZ-C3の仕様等を変更することがあります。Velcorのホーム"
                           "ページで最新バージョンのTZ-C3を入手して下さい。",
                           "現時点ではｼｽﾃﾑ情報を使用できません"};
        QTest::newRow("english")
            << 2
            << QStringList{"TZ-C3 Version Information...",
                           "Editing of position data or parameters and test running can be done "
                           "by TZ-C3.",
                           "Caution : Specification may be changed without previous announcement. "
                           "Download the latest version of TZ-C3 from Velcor Home Page. URL:",
                           "You can't look system information,now."};
    }
    void aboutBox() {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        TestEnv env(language);
        QWidget mainWindow;
        mainWindow.move(120, 80);
        frmAbout d(env.s, &mainWindow);
        const auto label = [&](const char *name) {
            return d.findChild<QLabel *>(QLatin1String(name))->text();
        };
        QCOMPARE(d.pos(), QPoint(120 + twips(500), 80 + twips(500)));
        const QStringList shown{d.windowTitle(), label("lblDescription"), label("lblDisclaimer")};
        QCOMPARE(shown, texts.mid(0, 3));
        QCOMPARE(label("lblVersion") + label("lblTitle"), QStringLiteral("Version 1.80TZ-C3"));
        d.show();
        // No system information tool here: the message, and the box stays.
        d.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
        QCOMPARE(env.prompter.texts(), texts.mid(3));
        QVERIFY(d.isVisible());
    }

    void helpContents_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("japanese") << 1
                                  << "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙ"
                                     "ﾌﾟが存在しません。";
        QTest::newRow("english") << 2
                                 << "Can not indicate Help file.No Help files related to this "
                                    "project.";
    }
    void helpContents() {
        QFETCH(int, language);
        QFETCH(QString, message);
        TestEnv env(language);
        UrlCatcher viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        showHelpContents(env.s, nullptr); // no path at all
        env.s.helpPath = env.dir.filePath(QStringLiteral("tzc3hlp.chm"));
        showHelpContents(env.s, nullptr); // no file there
        QCOMPARE(env.prompter.texts(), (QStringList{message, message}));
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Information);

        env.writeFile(QStringLiteral("tzc3hlp.chm"), "ITSF");
        showHelpContents(env.s, nullptr);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(env.prompter.log.size(), 2);
        QCOMPARE(viewer.opened, QList<QUrl>{QUrl::fromLocalFile(env.s.helpPath)});
    }
};

TZC3_TEST(AboutHelpTest)
#include "test_about_help.moc"
