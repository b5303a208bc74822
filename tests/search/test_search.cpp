// The search page, the registered folders and resume through the running
// program: results as found, their file and the state files across a restart
// (also after the program folder moved with the movies), and a search stuck
// on a dead mount.

#include "favourites/favourites_list.h"
#include "library/file_browser.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "player_fixture.h"
#include "search/search_page.h"
#include "stalling_mount.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace
{

std::unique_ptr<PlayerFixture> startIn(const QString &programFolder)
{
    return PlayerFixture::start({programFolder, {}, {}});
}

void search(Player &player, const QString &text)
{
    ListPanel &panel = player.listPanel();
    panel.selectTab(ListPanel::SearchPage);
    panel.FindText->setEditText(text);
    QTest::keyClick(panel.FindText->lineEdit(), Qt::Key_Return);
}

QStringList shown(const QListView *list)
{
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        names.append(list->model()->index(row, 0).data().toString());
    return names;
}

QString resultPath(Player &player, int row)
{
    return player.searchPage().results().pathAt(row);
}

QByteArray resumeFile(const QString &programFolder)
{
    return test_files::readFile(programFolder + "resume.ini");
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    // Search, its history, results and registered folders kept relative to
    // the program folder, and resume after quitting paused, playing and
    // stopped, across a move of the program folder with its movies.
    void searchRegisterAndResumeAcrossRestarts()
    {
        QTemporaryDir root;
        QString program = root.path() + "/program/";
        const QString movies = program + QString::fromUtf8("動画 a,b");
        QVERIFY(QDir().mkpath(movies + "/sub"));
        QVERIFY(QFile::copy(test_media::clip("long3.avi"), movies + "/xABCy.avi"));
        // A long clip under both names: neither ends while the test works.
        QVERIFY(QFile::copy(test_media::clip("long3.avi"), movies + "/sub/1abc2.mpg"));
        QVERIFY(test_files::writeFile(movies + "/abc.txt", "text"));
        QVERIFY(test_files::writeFile(
            program + "config.ini",
            "[option]\r\nResume=1\r\n[other]\r\nsoutai=1\r\nListVisible=1\r\n"));
        {
            auto fixture = startIn(program);
            Player &player = fixture->player();
            QListView *results = player.listPanel().List_Find;
            QVERIFY(player.fileBrowser().setFolder(movies));
            search(player, "abc");
            QTRY_VERIFY(!player.searchPage().isSearching());
            QCOMPARE(shown(results), (QStringList{"xABCy.avi", "1abc2.mpg"}));
            QCOMPARE(resultPath(player, 1), movies + "/sub/1abc2.mpg");
            QVERIFY(player.searchPage().findProgress->text().contains(QString::fromUtf8("2件")));
            search(player, "ABC");
            QTRY_VERIFY(!player.searchPage().isSearching());
            QCOMPARE(player.listPanel().FindText->count(), 1);

            // The menu over two selected results, and adding them.
            SearchPage &page = player.searchPage();
            results->selectAll();
            QTest::mouseClick(results->viewport(), Qt::RightButton, {},
                              results->visualRect(results->model()->index(1, 0)).center());
            QVERIFY(!page.m_playForFind->isEnabled() && page.m_addOkiniForFind->isEnabled());
            // The two files' sizes, then the count.
            QVERIFY(page.m_info3->text().endsWith(QString::fromUtf8("Byte - 2個のファイル")));
            QVERIFY(!page.m_info3->text().startsWith(u'0'));
            page.m_findMenu->hide();
            page.m_addOkiniForFind->trigger();
            QCOMPARE(player.favourites().count(), 2);

            RegisteredFolders &folders = player.registeredFolders();
            folders.m_regDir[2]->trigger();
            QCOMPARE(folders.m_jmpDir[2]->text(), QString::fromUtf8("[2]動画 a,b"));
            QVERIFY(folders.m_jmpDir[2]->isEnabled() &&
                    folders.m_del_directory->menuAction()->isEnabled());

            // Quit paused at 100.25 s in the first result.
            results->setCurrentIndex(results->model()->index(0, 0));
            emit results->doubleClicked(results->model()->index(0, 0));
            QVERIFY(waitForOpen(player));
            QTRY_COMPARE(int(player.movie().playState()), 1);
            player.movie().MediaPlay(PlayCommand::Pause);
            QVERIFY(waitForOpen(player));
            QVERIFY(player.movie().setCurrentPosition(100.25));
        }
        const QByteArray paused = resumeFile(program);
        QVERIFY2(paused.startsWith(QString::fromUtf8("\"./動画 a,b/xABCy.avi\"\r\n100.").toUtf8()),
                 paused.constData());
        QVERIFY(paused.endsWith("\r\n2\r\n"));

        // Everything moves together.
        QVERIFY(QDir().rename(root.path() + "/program", root.path() + "/moved"));
        program = root.path() + "/moved/";
        const QString moved = program + QString::fromUtf8("動画 a,b");
        {
            auto fixture = startIn(program);
            Player &player = fixture->player();
            QListView *results = player.listPanel().List_Find;
            QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::SearchPage));
            QCOMPARE(shown(results), (QStringList{"xABCy.avi", "1abc2.mpg"}));
            QCOMPARE(resultPath(player, 1), moved + "/sub/1abc2.mpg");
            // A paused movie is only selected.
            QCOMPARE(results->currentIndex().row(), 0);
            QCOMPARE(int(player.movie().playState()), 0);
            QVERIFY(player.movie().filename().isEmpty());

            RegisteredFolders &folders = player.registeredFolders();
            QCOMPARE(folders.m_delDir[2]->text(), QString::fromUtf8("[2]動画 a,b 登録削除"));
            QVERIFY(player.fileBrowser().setFolder(root.path()));
            folders.m_jmpDir[2]->trigger();
            QCOMPARE(player.fileBrowser().folder(), moved);

            // Quit while playing.
            results->setCurrentIndex(results->model()->index(1, 0));
            player.searchPage().m_playForFind->trigger();
            QVERIFY(waitForOpen(player));
            QTRY_COMPARE(int(player.movie().playState()), 1);
            QVERIFY(player.movie().setCurrentPosition(1.5));
        }
        QVERIFY(resumeFile(program).endsWith("\r\n1\r\n"));
        {
            auto fixture = startIn(program);
            Player &player = fixture->player();
            QVERIFY(waitForOpen(player));
            QTRY_COMPARE(int(player.movie().playState()), 1);
            QCOMPARE(player.movie().filename(), moved + "/sub/1abc2.mpg");
            QCOMPARE(player.listPanel().List_Find->currentIndex().row(), 1);
            double position = 0;
            QVERIFY(waitForOpen(player));
            QVERIFY(player.movie().currentPosition(&position) && position >= 1.4);
            player.movie().MediaPlay(PlayCommand::Stop);
        }
        QCOMPARE(resumeFile(program), QByteArray("\"\"\r\n0\r\n4\r\n"));

        // A record whose movie is gone starts cleanly and is kept.
        const QByteArray gone = "\"/nowhere/gone.avi\"\r\n12.5\r\n1\r\n";
        QVERIFY(test_files::writeFile(program + "resume.ini", gone));
        {
            auto fixture = startIn(program);
            QVERIFY(fixture->started());
            QCOMPARE(int(fixture->player().movie().playState()), 0);
        }
        QCOMPARE(resumeFile(program), gone);
    }

    // The results select as the file list does: a click toggles, a drag
    // inverts the range up to the pressed entry, a right click over an
    // unselected result selects only it.
    void resultsSelectAsTheFileListDoes()
    {
        QTemporaryDir dir;
        for (const char *name : {"r0.avi", "r1.avi", "r2.avi", "r3.avi", "r4.avi"})
            QVERIFY(test_files::writeFile(dir.filePath(name), "x"));
        PlayerFixture fixture;
        Player &player = fixture.player();
        QVERIFY(player.fileBrowser().setFolder(dir.path()));
        search(player, "r");
        QTRY_VERIFY(!player.searchPage().isSearching());
        QListView *results = player.listPanel().List_Find;
        QWidget *view = results->viewport();
        const auto at = [results](int row) {
            return results->visualRect(results->model()->index(row, 0)).center();
        };
        const auto selected = [results] {
            QList<int> rows;
            for (const QModelIndex &index : results->selectionModel()->selectedIndexes())
                rows.append(index.row());
            std::sort(rows.begin(), rows.end());
            return rows;
        };
        results->clearSelection();
        QTest::mouseClick(view, Qt::LeftButton, {}, at(1));
        QTest::mouseClick(view, Qt::LeftButton, {}, at(3));
        QTest::mouseClick(view, Qt::LeftButton, {}, at(1));
        QCOMPARE(selected(), QList<int>({3}));
        QTest::mousePress(view, Qt::LeftButton, {}, at(2));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(4));
        QCOMPARE(selected(), QList<int>({2, 4}));
        QCOMPARE(results->currentIndex().row(), 2);
        QTest::mouseClick(view, Qt::RightButton, {}, at(0));
        player.searchPage().m_findMenu->hide();
        QCOMPARE(selected(), QList<int>({0}));
    }

    // Typing a beginning of an earlier text searches what was typed, with
    // the earlier text only offered; Esc says the search was cancelled, with
    // its counts, in full.
    void enterSearchesWhatWasTypedAndEscCancels()
    {
        QTemporaryDir dir;
        for (const char *name : {"clip_0001.avi", "clip_x.avi"})
            QVERIFY(test_files::writeFile(dir.filePath(name), "x"));
        PlayerFixture fixture;
        Player &player = fixture.player();
        ListPanel &panel = player.listPanel();
        QVERIFY(player.fileBrowser().setFolder(dir.path()));
        search(player, "clip_000?");
        QTRY_VERIFY(!player.searchPage().isSearching());
        QCOMPARE(shown(panel.List_Find).size(), 1);

        QLineEdit *edit = panel.FindText->lineEdit();
        edit->clear();
        // Completion works as typed: in the active window, in the focused box.
        player.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&player.window()));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        // What was typed stays, though the history has it in other case.
        QTest::keyClicks(edit, "CLIP_000?");
        QWidget *offered = QApplication::activePopupWidget();
        QTest::keyClick(offered ? offered : edit, Qt::Key_Return);
        QCOMPARE(panel.FindText->currentText(), QString("CLIP_000?"));
        QTRY_VERIFY(!player.searchPage().isSearching());
        edit->clear();
        QTest::keyClicks(edit, "clip");
        QCOMPARE(edit->text(), QString("clip"));
        // Enter goes where the window system would send it: to the open
        // popup of the history, if there is one.
        QWidget *popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : edit, Qt::Key_Return);
        QTRY_VERIFY(!player.searchPage().isSearching());
        QStringList found = shown(panel.List_Find);
        found.sort();
        QCOMPARE(found, (QStringList{"clip_0001.avi", "clip_x.avi"}));
        QCOMPARE(panel.FindText->count(), 2);

        search(player, "clip");
        QVERIFY(player.searchPage().isSearching());
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!player.searchPage().isSearching());
        QLabel *status = player.searchPage().findProgress;
        QCOMPARE(status->text(), QString::fromUtf8("中止 0フォルダ 0件"));
        QTest::qWait(50);
        QCOMPARE(status->text(), QString::fromUtf8("中止 0フォルダ 0件"));
        panel.find->layout()->activate();
        QVERIFY(status->width() >= status->sizeHint().width());
    }

    // A walk stuck on a dead mount is shown as busy, can be cancelled with
    // Esc, and does not keep the program from closing.
    void stuckSearchCancelsAndCloses()
    {
        if (!fuseUsable())
            QSKIP("FUSE is not usable here (/dev/fuse, fusermount3 or python3-fusepy missing)");
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.path() + "/source/deep"));
        QVERIFY(test_files::writeFile(dir.path() + "/source/top abc.avi", "x"));
        StallingMount mount("hungdir", dir.path() + "/source", dir.path() + "/mount");
        QVERIFY(mount.waitMounted());
        {
            PlayerFixture fixture;
            Player &player = fixture.player();
            QVERIFY(player.fileBrowser().setFolder(mount.mountPoint()));
            search(player, "abc");
            // The top folder's match shows while the walk hangs below it.
            QTRY_COMPARE(shown(player.listPanel().List_Find).size(), 1);
            QVERIFY(player.searchPage().isSearching());
            QTest::keyClick(player.listPanel().FindText->lineEdit(), Qt::Key_Escape);
            QVERIFY(!player.searchPage().isSearching());
            search(player, "abc");
            QTRY_COMPARE(shown(player.listPanel().List_Find).size(), 1);
            QVERIFY(player.searchPage().isSearching());
        }
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestSearch test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_search.moc"
