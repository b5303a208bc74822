// The file page in the running program: folders and drives, the mouse in the
// file list, its menu, renaming, playing the selection and drops.

#include "base/native_path.h"
#include "base/path.h"
#include "base/settings.h"
#include "library/drive_list.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "memory_play_source.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "panels/window_options.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "player_fixture.h"
#include "search/search_page.h"
#include "stalling_mount.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QStorageInfo>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <unistd.h>

namespace
{

// A folder of empty files, files of a given size, or copies of a real clip.
struct Folder {
    QTemporaryDir dir;
    QString path(const QString &name = {}) const
    {
        return dir.path() + (name.isEmpty() ? "" : "/" + name);
    }
    void file(const QString &name, qint64 size = 0) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.resize(size);
    }
    void clip(const QString &name) const { QFile::copy(test_media::clip("clip.avi"), path(name)); }
};

// Answers the next modal dialog of the given kind from inside its own loop.
template <typename Dialog> void whenModal(std::function<void(Dialog *)> answer)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            answer(dialog);
        }
    });
    timer->start(20);
}

// The next message box's title, text and buttons, e.g. "Sazanami|text|ok".
void readMessage(QString &seen)
{
    whenModal<QMessageBox>([&seen](QMessageBox *box) {
        const bool okOnly = box->standardButtons() == QMessageBox::Ok;
        seen = box->windowTitle() + "|" + box->text() + (okOnly ? "|ok" : "|more");
        box->accept();
    });
}

QStringList names(const QListWidget *list)
{
    QStringList out;
    for (int row = 0; row < list->count(); ++row)
        out.append(list->item(row)->text());
    return out;
}

QStringList texts(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out.append(box->itemText(i));
    return out;
}

QList<int> selected(const QListWidget *list)
{
    QList<int> rows;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected())
            rows.append(row);
    }
    return rows;
}

QPoint at(const QListWidget *list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

// A double click as the window system delivers it.
void doubleClick(QWidget *widget, const QPoint &pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// Backspace held down: the window system repeats it as releases and presses
// marked as auto-repeat until the key comes up.
void holdBackspace(QWidget *widget)
{
    QTest::keyPress(widget, Qt::Key_Backspace);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(widget, &release);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(widget, &press);
    }
    QTest::keyRelease(widget, Qt::Key_Backspace);
}

// Files dragged onto target and dropped; the drop goes where the drag was
// accepted.
void drop(QWidget *target, const QString &first, const QString &second = {},
          QPoint at = QPoint(5, 5))
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent event(at, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &event);
}

// Where a widget's middle lies in the window's coordinates.
QPoint middleOf(const QWidget *widget, const QWidget *window)
{
    return widget->mapTo(window, widget->rect().center());
}

} // namespace

class TestFileBrowser : public QObject
{
    Q_OBJECT

private slots:
    void listsMoviesAndMovesThroughFolders()
    {
        Folder folder;
        for (const char *name : {"clip.xasf", "CLIP.AVI", "notes.txt", ".hidden.avi",
                                 "名前 a, \"b\".wmv", "a/b/in b.avi"}) {
            QDir(folder.path()).mkpath("a/b");
            folder.file(QString::fromUtf8(name));
        }
        QDir(folder.path()).mkdir("folder.avi");
        QDir(folder.path()).mkdir(".cache");
        PlayerFixture fixture({}, folder.path() + "/");
        FileBrowser &browser = fixture.player().fileBrowser();
        QListWidget *dirs = browser.folderList();

        QCOMPARE(browser.folder(), folder.path());
        QCOMPARE(names(browser.fileList()),
                 QStringList({"CLIP.AVI", "clip.xasf", QString::fromUtf8("名前 a, \"b\".wmv")}));
        QCOMPARE(browser.fullPath(2), folder.path(QString::fromUtf8("名前 a, \"b\".wmv")));
        QCOMPARE(browser.driveList()->currentText(), QStorageInfo(folder.path()).rootPath());
        QCOMPARE(dirs->item(0)->text(), QString("/"));
        QCOMPARE(names(dirs).mid(dirs->currentRow()),
                 QStringList({QDir(folder.path()).dirName(), "a", "folder.avi"}));
        // A folder that cannot be read changes nothing.
        QVERIFY(!browser.setFolder(folder.path("missing")));
        QVERIFY(!browser.setFolder(folder.path("notes.txt")));
        QCOMPARE(browser.folder(), folder.path());

        browser.toggleDirectory();
        doubleClick(dirs->viewport(), at(dirs, dirs->currentRow() + 1));
        QTRY_COMPARE(browser.folder(), folder.path("a"));
        dirs->setCurrentRow(dirs->count() - 1);
        QTest::keyClick(dirs, Qt::Key_Return);
        QTRY_COMPARE(names(browser.fileList()), QStringList({"in b.avi"}));
        // Backspace goes up one level however long it is held, and at the
        // root nowhere.
        holdBackspace(dirs);
        QCOMPARE(browser.folder(), folder.path("a"));
        // Picking the drive shown again stays in the folder.
        emit browser.driveList()->activated(browser.driveList()->currentIndex());
        QCOMPARE(browser.folder(), folder.path("a"));
        QVERIFY(browser.setFolder("/"));
        QTest::keyClick(dirs, Qt::Key_Backspace);
        QCOMPARE(browser.folder(), QString("/"));
        // The right button hides the folder frame.
        QVERIFY(fixture.player().window().directory()->isVisible());
        QTest::mouseClick(dirs->viewport(), Qt::RightButton, {}, at(dirs, 0));
        QVERIFY(!fixture.player().window().directory()->isVisible());

        // A drive that cannot be read: message, and the list goes back.
        browser.driveList()->addItem("/no such volume");
        QString message;
        readMessage(message);
        QTest::keyClick(browser.driveList(), Qt::Key_End);
        QCOMPARE(message, QString::fromUtf8("Sazanami|デバイスの準備ができてません|ok"));
        QCOMPARE(browser.driveList()->currentText(), QString("/"));
        QCOMPARE(browser.folder(), QString("/"));
    }

    // The six types always; mp4, mkv and the others only while the option
    // is on, shown as soon as it is turned on.
    void otherFormatsAreListedWithTheOption()
    {
        Folder folder;
        const QStringList six = {"m.mpg", "m.mpeg", "m.avi", "m.asf", "m.wmv", "m.mov"};
        const QStringList others = {"m.mp4",  "m.m4v", "m.mkv", "m.webm", "m.ts",  "m.m2ts",
                                    "m.mts",  "m.flv", "m.ogv", "m.ogm",  "m.3gp", "m.3g2",
                                    "m.divx", "m.vob", "m.rm",  "m.rmvb", "m.mpe", "m.m2v",
                                    "m.m1v",  "m.qt",  "m.dv"};
        for (const QString &name : six + others + QStringList{"m.txt", "m.srt", "m.mp3"})
            folder.file(name);
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        const auto sorted = [](QStringList list) {
            list.sort(Qt::CaseInsensitive);
            return list;
        };
        QCOMPARE(sorted(names(player.fileBrowser().fileList())), sorted(six));
        player.windowOptions().Check_more_formats->click();
        QVERIFY(player.settings().moreFormats());
        QTRY_COMPARE(sorted(names(player.fileBrowser().fileList())), sorted(six + others));
        player.settings().set(Settings::MoreFormats, false);
        QVERIFY(!player.windowOptions().Check_more_formats->isChecked());
        QTRY_COMPARE(sorted(names(player.fileBrowser().fileList())), sorted(six));
    }

    // A file system that reports no size is left out of Qt's mounted volumes;
    // its folders are shown all the same, with its root once in the drives.
    void folderOnAVolumeTheMountsLeaveOut()
    {
        QCOMPARE(drive_list::withRoot({"/", "/b", "/d"}, "/c"),
                 QStringList({"/", "/b", "/c", "/d"}));
        QCOMPARE(drive_list::withRoot({"/", "/b"}, "/b"), QStringList({"/", "/b"}));
        if (!fuseUsable())
            QSKIP("FUSE is not usable here (/dev/fuse, fusermount3 or python3-fusepy missing)");
        Folder folder;
        QDir(folder.path()).mkdir("source");
        folder.file("source/a.avi");
        StallingMount mount("mirror", folder.path("source"), folder.path("mount"));
        QVERIFY(mount.waitMounted());
        QVERIFY(!drive_list::mountedRoots().contains(mount.mountPoint()));

        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QVERIFY(browser.setFolder(mount.mountPoint()));
        QCOMPARE(names(browser.fileList()), QStringList({"a.avi"}));
        QCOMPARE(browser.driveList()->currentText(), mount.mountPoint());
        browser.toggleDirectory();
        QCOMPARE(texts(browser.driveList()).count(mount.mountPoint()), 1);
        QCOMPARE(browser.driveList()->currentText(), mount.mountPoint());
    }

    void pressTogglesAndDraggingInvertsARange()
    {
        Folder folder;
        for (const char *name : {"0.avi", "1.avi", "2.avi", "3.avi", "4.avi", "5.avi"})
            folder.file(name);
        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QListWidget *files = browser.fileList();
        QWidget *view = files->viewport();

        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 1));
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 3));
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 1));
        QCOMPARE(selected(files), QList<int>({3}));
        // Pressed on 2 and released on 5: 2 by the press, 3 to 5 inverted.
        QTest::mousePress(view, Qt::LeftButton, {}, at(files, 2));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(files, 5));
        QCOMPARE(selected(files), QList<int>({2, 4, 5}));
        // Upwards from a selected entry: it is unselected, 0 and 1 inverted.
        QTest::mousePress(view, Qt::LeftButton, {}, at(files, 2));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(files, 0));
        QCOMPARE(selected(files), QList<int>({0, 1, 4, 5}));
        QCOMPARE(files->currentRow(), 2);

        // A click closes the folder frame; keys go on to the key handling,
        // pressed and let go, with their modifiers.
        browser.toggleDirectory();
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 3));
        QVERIFY(!fixture.player().window().directory()->isVisible());
        QTest::keyClick(files, Qt::Key_F4, Qt::ShiftModifier);
        QVERIFY(fixture.player().window().directory()->isVisible());
        QSlider *vol = fixture.player().window().vol();
        const int volume = vol->value();
        QTest::keyClick(files, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(vol->value(), volume - 5);
    }

    void contextMenuFollowsTheSelection()
    {
        Folder folder;
        folder.file("a.avi", 999999);
        folder.file("b.avi", 1);
        folder.file("c.avi", 2500000);
        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QListWidget *files = browser.fileList();
        QWidget *view = files->viewport();
        QMenu *menu = browser.fileMenu();
        auto rightClick = [&](const QPoint &pos) {
            QTest::mouseClick(view, Qt::RightButton, {}, pos);
            QString state;
            for (const char *name : {"m_rename", "m_propaty", "m_filePlay", "m_addOkini"})
                state += menu->findChild<QAction *>(name)->isEnabled() ? '1' : '0';
            state += " " + menu->findChild<QAction *>("m_info")->text();
            return menu->isVisible() ? state : QString("not shown");
        };

        QCOMPARE(rightClick(QPoint(5, view->height() - 3)), QString("0000 "));
        menu->hide();
        // An entry that is not selected becomes the only selected one.
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 1));
        QCOMPARE(rightClick(at(files, 0)), QString("1111 999,999Byte"));
        QCOMPARE(selected(files), QList<int>({0}));
        menu->hide();
        // On an entry of a larger selection the selection stays.
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 2));
        QCOMPARE(rightClick(at(files, 2)), QString::fromUtf8("0001 3MByte - 2個のファイル"));
        QSignalSpy added(&browser, &FileBrowser::addToFavouritesRequested);
        menu->findChild<QAction *>("m_addOkini")->trigger();
        QCOMPARE(added.first().first().toStringList(),
                 QStringList({folder.path("a.avi"), folder.path("c.avi")}));
        // A selected file that has gone counts as empty, and goes at refresh.
        QTest::mouseClick(view, Qt::LeftButton, {}, at(files, 0));
        QFile::remove(folder.path("c.avi"));
        QCOMPARE(rightClick(at(files, 2)), QString("1111 Byte"));
        menu->hide();
        browser.refresh();
        QTRY_COMPARE(names(files), QStringList({"a.avi", "b.avi"}));

        QStringList entries;
        for (QAction *action : menu->actions())
            entries.append(action->isSeparator() ? "-"
                           : action->menu()      ? action->menu()->objectName()
                                                 : action->objectName());
        QCOMPARE(entries, QStringList({"m_OpenDirectory", "m_jmp_directory", "m_edit_directory",
                                       "-", "m_filePlay", "m_seen_load_file", "m_addOkini",
                                       "m_rename", "-", "m_propaty", "-", "m_info"}));
    }

    void refreshAndLongNames()
    {
        Folder folder;
        const QString longName =
            QString::fromUtf8("とても長い名前の動画 ") + QString(60, u'x') + ".avi";
        for (const QString &name : {QString("a.avi"), QString("b.avi"), longName})
            folder.file(name);
        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QListWidget *files = browser.fileList();

        auto tipAt = [files](int row) {
            QHelpEvent help(QEvent::ToolTip, at(files, row),
                            files->viewport()->mapToGlobal(at(files, row)));
            QApplication::sendEvent(files->viewport(), &help);
        };
        tipAt(2);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), longName);
        // A name shown whole: the list's balloon help instead.
        tipAt(1);
        QVERIFY(!files->toolTip().isEmpty());
        QTRY_COMPARE(QToolTip::text(), files->toolTip());

        // Refresh keeps the selection and the current entry of what is left.
        files->item(0)->setSelected(true);
        files->item(1)->setSelected(true);
        files->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        QFile::remove(folder.path("a.avi"));
        folder.file("0.avi");
        browser.refresh();
        QTRY_VERIFY(!browser.isListing());
        QCOMPARE(names(files), QStringList({"0.avi", "b.avi", longName}));
        QCOMPARE(selected(files), QList<int>({1}));
        QCOMPARE(files->currentRow(), 1);
        // The folder itself gone: the browser goes up to what is left.
        QDir(folder.path()).mkdir("sub");
        QVERIFY(browser.setFolder(folder.path("sub")));
        QDir(folder.path("sub")).removeRecursively();
        browser.refresh();
        QTRY_COMPARE(browser.folder(), folder.path());
    }

    // A folder too large to list at once is listed in pieces: in the name
    // order, and a refresh keeps the selection and the current entry.
    void largeFolderIsListedInPieces()
    {
        Folder folder;
        const int count = 3000;
        for (int i = 0; i < count; ++i)
            folder.file(QString("take %1.avi").arg(i));
        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QListWidget *files = browser.fileList();
        QTRY_VERIFY(!browser.isListing());
        QCOMPARE(files->count(), count);
        QCOMPARE(files->item(2)->text(), QString("take 2.avi"));
        QCOMPARE(files->item(10)->text(), QString("take 10.avi"));
        QCOMPARE(files->item(count - 1)->text(), QString("take 2999.avi"));

        files->item(5)->setSelected(true);
        files->item(2500)->setSelected(true);
        files->setCurrentRow(2500, QItemSelectionModel::NoUpdate);
        QFile::remove(folder.path("take 0.avi"));
        browser.refresh();
        QVERIFY(browser.isListing());
        QTRY_VERIFY(!browser.isListing());
        QCOMPARE(files->count(), count - 1);
        QCOMPARE(selected(files), QList<int>({4, 2499}));
        QCOMPARE(files->currentRow(), 2499);
    }

    // A share whose server went away: F5 leaves the window answering and
    // the list as it was, to step through as before, and says so quietly.
    void shareThatStopsAnsweringKeepsTheList()
    {
        if (!fuseUsable())
            QSKIP("FUSE is not usable here (/dev/fuse, fusermount3 or python3-fusepy missing)");
        Folder folder;
        QDir(folder.path()).mkdir("source");
        for (const char *name : {"a.avi", "b.avi", "c.avi"})
            folder.file(QString("source/") + name);
        StallingMount mount("mirror", folder.path("source"), folder.path("mount"));
        QVERIFY(mount.waitMounted());
        PlayerFixture fixture({}, folder.path());
        FileBrowser &browser = fixture.player().fileBrowser();
        QVERIFY(browser.setFolder(mount.mountPoint()));
        list_selection::moveCurrent(browser.fileList(), 1);

        // Thawed once the test has seen what it waits for, or should the
        // window itself be stuck in the share, after a while all the same.
        mount.freeze();
        std::atomic<bool> frozen = true;
        std::atomic<bool> seen = false;
        std::thread thawer([&] {
            for (int i = 0; i < 400 && !seen; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            frozen = false;
            mount.thaw();
        });
        const auto thaw = qScopeGuard([&] {
            seen = true;
            thawer.join();
        });
        bool answeredWhileFrozen = false;
        browser.refresh();
        QTimer::singleShot(0, [&] { answeredWhileFrozen = frozen; });
        PlaySource &source = browser.playSource();
        QCOMPARE(source.count(), 3);
        QCOMPARE(source.currentIndex(), 1);
        source.select(2, false);
        QCOMPARE(source.pathAt(source.currentIndex()), mount.path("c.avi"));
        QTRY_VERIFY(answeredWhileFrozen);
        QTRY_VERIFY_WITH_TIMEOUT(browser.fileList()->window()->findChild<QMessageBox *>("notice"),
                                 15000);
        QVERIFY(frozen);
        seen = true;
        QCOMPARE(names(browser.fileList()), QStringList({"a.avi", "b.avi", "c.avi"}));
        QCOMPARE(source.currentIndex(), 2);
        QVERIFY(!browser.isListing());
    }

    // A movie that ends (or a next key) before its large folder is listed
    // goes on to the file after it, not to nothing or to the first file.
    void stepBeforeTheFolderIsListed()
    {
        Folder folder;
        for (int i = 0; i < 3000; ++i)
            folder.file(QString("take %1.avi").arg(i));
        Folder start;
        PlayerFixture fixture({}, start.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Normal);
        FileBrowser &browser = player.fileBrowser();
        QSignalSpy wanted(&player.sequencer(), &PlaySequencer::playWanted);
        // As a dropped movie or one named on the command line: the folder
        // shown, the movie's entry to come to the top once listed.
        QVERIFY(browser.setFolder(folder.path()));
        browser.bringToTop("take 1500.avi");
        QVERIFY(browser.isPartlyListed());
        player.sequencer().play_next();
        QTRY_COMPARE(wanted.size(), 1);
        QCOMPARE(wanted.first().first().toString(), folder.path("take 1501.avi"));
        QCOMPARE(browser.fileList()->currentRow(), 1501);

        // As a movie resumed at start: playing before its folder is listed,
        // with no entry to bring to the top.
        QVERIFY(browser.setFolder(start.path()));
        QVERIFY(QFile::remove(folder.path("take 2000.avi")));
        folder.clip("take 2000.avi");
        QVERIFY(playAndWait(player, folder.path("take 2000.avi"), 0));
        wanted.clear();
        QVERIFY(browser.setFolder(folder.path()));
        player.sequencer().play_next();
        QTRY_COMPARE(wanted.size(), 1);
        QCOMPARE(wanted.first().first().toString(), folder.path("take 2001.avi"));
    }

    void renaming()
    {
        Folder folder;
        folder.file("a.avi", 10);
        folder.file("b.avi", 20);
        QDir(folder.path()).mkdir("elsewhere");
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        QListWidget *files = browser.fileList();
        QStringList stops;
        browser.setHooks({.stop = [&] {
            stops.append(QFile::exists(folder.path("a.avi")) ? "before" : "after");
        }});
        QString prompt;
        auto answer = [&prompt](const QString &text) {
            whenModal<QInputDialog>([&prompt, text](QInputDialog *box) {
                prompt = box->windowTitle() + "|" + box->labelText() + "|" + box->textValue();
                box->setTextValue(text);
                box->accept();
            });
        };

        // F2 needs exactly one selected file.
        browser.rename_selection();
        QVERIFY(prompt.isEmpty());
        // Closing the box by its close button renames nothing, and the next
        // Enter is not swallowed.
        list_selection::moveCurrent(files, 0);
        whenModal<QInputDialog>([](QInputDialog *box) { box->close(); });
        browser.rename_selection();
        QVERIFY(!player.window().swallow_enter);
        QCOMPARE(names(files), QStringList({"a.avi", "b.avi"}));
        // An existing name: both files stay as they are, and nothing is said.
        answer("b.avi");
        browser.rename_selection();
        QCOMPARE(prompt, QString::fromUtf8("ファイル名を変更|") + folder.path("a.avi") +
                             QString::fromUtf8("\nのファイル名を変更します。|a.avi"));
        QVERIFY(player.window().swallow_enter);
        QCOMPARE(QFileInfo(folder.path("b.avi")).size(), 20);
        // A "/" would move the file into another folder: refused.
        QString message;
        answer("elsewhere/a.avi");
        QTimer::singleShot(0, [&message] { readMessage(message); });
        browser.rename_selection();
        QCOMPARE(message, QString::fromUtf8("Sazanami|不正なファイル名が指定されました|ok"));
        QCOMPARE(names(files), QStringList({"a.avi", "b.avi"}));
        QVERIFY(QDir(folder.path("elsewhere")).isEmpty());

        // The playing file is stopped before it is renamed; the renamed entry
        // is the selected one.
        QVERIFY(QFile::remove(folder.path("a.avi")));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), folder.path("a.avi")));
        const qint64 size = QFileInfo(folder.path("a.avi")).size();
        QVERIFY(playAndWait(player, folder.path("a.avi"), 0));
        QTRY_COMPARE(player.movie().filename(), folder.path("a.avi"));
        const QString newName = QString::fromUtf8("新しい 名前, \"1\".avi");
        answer(newName);
        menuFor(browser, "m_rename")->trigger();
        QCOMPARE(stops, QStringList({"before"}));
        QCOMPARE(QFileInfo(folder.path(newName)).size(), size);
        QTRY_COMPARE(names(files), QStringList({"b.avi", newName}));
        QCOMPARE(selected(files), QList<int>({1}));
        QCOMPARE(files->currentRow(), 1);
    }

    // Renaming the playing movie leaves nothing of it on show, and its
    // thumbnail and scenes go along with it; a name another movie still
    // shares keeps them.
    void renamingThePlayingMovie()
    {
        Folder folder;
        folder.clip("a.avi");
        folder.clip("c.avi");
        folder.file("c.mpg");
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        const QString images = player.programFolder() + "image/";
        const QString scenes = path::addbackslash(player.sceneFolder());
        QVERIFY(QDir().mkpath(images) && QDir().mkpath(scenes));
        for (const QString &file : {images + "a.bmp", scenes + "a.txt", images + "c.bmp"})
            QVERIFY(test_files::writeFile(file, "kept"));

        QVERIFY(playAndWait(player, folder.path("a.avi"), 0));
        QTRY_VERIFY(player.window().windowTitle() == "a");
        QTRY_VERIFY(player.window().lblMedia(3)->text() != "00:00");
        const auto renameTo = [&](const QString &name, const QString &newName) {
            list_selection::moveCurrent(browser.fileList(),
                                        names(browser.fileList()).indexOf(name));
            whenModal<QInputDialog>([newName](QInputDialog *box) {
                box->setTextValue(newName);
                box->accept();
            });
            browser.rename_selection();
        };
        renameTo("a.avi", "b.avi");
        QVERIFY(QFile::exists(folder.path("b.avi")));
        QVERIFY(player.movie().filename().isEmpty());
        QCOMPARE(player.window().windowTitle(), QString("Sazanami"));
        QCOMPARE(player.window().lblMedia(3)->text(), QString("00:00"));
        QCOMPARE(player.window().lblMedia(4)->text(), QString(" 00:00 "));
        QVERIFY(!QFile::exists(images + "a.bmp") && !QFile::exists(scenes + "a.txt"));
        QCOMPARE(test_files::readFile(images + "b.bmp"), QByteArray("kept"));
        QCOMPARE(test_files::readFile(scenes + "b.txt"), QByteArray("kept"));

        renameTo("c.avi", "d.avi");
        QVERIFY(QFile::exists(folder.path("d.avi")));
        QVERIFY(QFile::exists(images + "c.bmp") && !QFile::exists(images + "d.bmp"));
    }

    // Names from old archives in Shift_JIS, or in no known encoding, are
    // listed as they read, play, and can be renamed to UTF-8.
    void namesInAnOldEncoding()
    {
        Folder folder;
        const QByteArray base = QFile::encodeName(folder.path()) + "/";
        const QByteArray shiftJis("\x93\xae\x89\xe6.avi"); // 動画.avi
        // Folder's QTemporaryDir cannot remove names that are not UTF-8.
        const auto removeRaw = qScopeGuard([&] {
            ::unlink((base + shiftJis).constData());
            ::unlink((base + "caf\xe9.avi").constData());
        });
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), folder.path("tmp.avi")));
        QCOMPARE(::rename(QFile::encodeName(folder.path("tmp.avi")).constData(),
                          (base + shiftJis).constData()),
                 0);
        QVERIFY(test_files::writeFile(folder.path("x.avi"), "not a movie"));
        QCOMPARE(::rename(QFile::encodeName(folder.path("x.avi")).constData(),
                          (base + "caf\xe9.avi").constData()),
                 0);
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        QListWidget *files = browser.fileList();
        QCOMPARE(names(files), QStringList({"caf\uFFFD.avi", QString::fromUtf8("動画.avi")}));

        list_selection::moveCurrent(files, 1);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 1);
        QCOMPARE(native_path::encode(player.movie().filename()), base + shiftJis);

        // Confirming the offered name gives the file its UTF-8 name.
        whenModal<QInputDialog>([](QInputDialog *box) { box->accept(); });
        browser.rename_selection();
        QVERIFY(QFileInfo(folder.path(QString::fromUtf8("動画.avi"))).isFile());
        QVERIFY(::access((base + shiftJis).constData(), F_OK) != 0);
        QTRY_VERIFY(!browser.isListing());
        QCOMPARE(names(files), QStringList({"caf\uFFFD.avi", QString::fromUtf8("動画.avi")}));
    }

    void enterPlaysPausesAndResumes()
    {
        Folder folder;
        folder.clip("a.avi");
        folder.clip(QString::fromUtf8("b 動画.avi"));
        folder.file("c.avi");
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        CMovie &movie = player.movie();
        QListWidget *files = browser.fileList();

        // Nothing current: the first entry is taken.
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), folder.path("a.avi"));
        QCOMPARE(files->currentRow(), 0);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 2);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 1);
        // Paused, another entry is opened, not the paused movie resumed.
        browser.play_selection();
        list_selection::moveCurrent(files, 1);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), folder.path(QString::fromUtf8("b 動画.avi")));
        QCOMPARE(player.window().windowTitle(), QString::fromUtf8("b 動画"));
        QCOMPARE(int(movie.playState()), 1);

        // A double click plays the entry and closes the folder frame.
        browser.toggleDirectory();
        doubleClick(files->viewport(), at(files, 0));
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), folder.path("a.avi"));
        QVERIFY(files->item(0)->isSelected());
        QVERIFY(!player.window().directory()->isVisible());
        // Not a movie after all, or gone: fails quietly.
        list_selection::moveCurrent(files, 2);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), QString());
        QFile::remove(folder.path("a.avi"));
        doubleClick(files->viewport(), at(files, 0));
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), QString());

        // The search page plays the stored folder and the name.
        ListPanel &panel = player.listPanel();
        player.searchPage().results().append(
            {{folder.path() + "/", QString::fromUtf8("b 動画.avi")}});
        panel.selectTab(ListPanel::SearchPage);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), folder.path(QString::fromUtf8("b 動画.avi")));
        // No favourite to play: stop and rewind; one given: it plays.
        panel.selectTab(ListPanel::FavouritesPage);
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 3);
        MemoryPlaySource favourites({folder.path(QString::fromUtf8("b 動画.avi"))});
        browser.setHooks({.activeSource = [&] { return &favourites; }});
        browser.play_selection();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 1);
    }

    void droppedFiles()
    {
        Folder start;
        Folder folder;
        // Enough entries after the movie's for it to become the top line.
        for (int i = 0; i < 90; ++i)
            folder.file(QString("%1%2.avi").arg(i < 30 ? 'a' : 'z').arg(i, 2, 10, QChar('0')));
        const QString movieName = QString::fromUtf8("m 動画, \"q\".avi");
        folder.clip(movieName);
        folder.file("notes.txt");
        PlayerFixture fixture({}, start.path());
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        QListWidget *files = browser.fileList();

        drop(files->viewport(), folder.path("notes.txt"), folder.path(movieName));
        QCOMPARE(browser.folder(), start.path());
        // The first file only.
        drop(files->viewport(), folder.path(movieName), folder.path("a00.avi"));
        QVERIFY(waitForOpen(player));
        QCOMPARE(browser.folder(), folder.path());
        QCOMPARE(player.movie().filename(), folder.path(movieName));
        QCOMPARE(selected(files), QList<int>({30}));
        QCOMPARE(files->currentRow(), 30);
        QCOMPARE(files->indexAt(QPoint(2, 2)).row(), 30);
        // The same on the video area.
        QVERIFY(browser.setFolder(start.path()));
        player.movie().MediaClear();
        drop(player.window().display(), folder.path(movieName));
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), folder.path(movieName));
        QCOMPARE(browser.folder(), folder.path());

        // Elsewhere on the window, files close the movie; other data is refused.
        QMimeData text;
        text.setText("text");
        QDragEnterEvent textDrag(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(&player.window(), &textDrag);
        QVERIFY(!textDrag.isAccepted());
        // Controls without drops of their own hand the drop to the window:
        // it is refused there and the movie plays on.
        MainWindow &window = player.window();
        for (const QWidget *control : QList<const QWidget *>{
                 window.seekBar(), window.vol(), window.panel(), player.listPanel().Tab1}) {
            drop(&window, folder.path("a00.avi"), {}, middleOf(control, &window));
            QVERIFY(waitForOpen(player));
            QCOMPARE(player.movie().filename(), folder.path(movieName));
        }
        drop(&window, folder.path("a00.avi"));
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), QString());
        QCOMPARE(browser.folder(), folder.path());
    }

private:
    static QAction *menuFor(FileBrowser &browser, const char *name)
    {
        return browser.fileMenu()->findChild<QAction *>(name);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestFileBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_browser.moc"
