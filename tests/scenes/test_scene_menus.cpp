// The scene menus on a real window: registering, jumping, renaming and
// deleting scenes of the open movie, and playing a file from its scenes in the
// file list's menu.

#include "input/main_menu.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "player_fixture.h"
#include "scenes/scene_menus.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

namespace
{

using test_files::readFile;
using test_files::writeFile;

// A scene file whose slots hold the given positions; the others are free.
QByteArray sceneLines(const std::map<int, QByteArray> &positions)
{
    QByteArray bytes;
    for (int n = 0; n < 10; ++n) {
        const auto it = positions.find(n);
        bytes += it == positions.end()
                     ? "\"[" + QByteArray::number(n) + "] -----\",\"\"\r\n"
                     : "\"scene " + QByteArray::number(n) + "\",\"" + it->second + "\"\r\n";
    }
    return bytes;
}

// Enabled state of ten entries as a string of 0 and 1.
QString enabledSlots(const QList<QAction *> &entries)
{
    QString state;
    for (const QAction *action : entries)
        state += action->isEnabled() ? '1' : '0';
    return state;
}

double positionOf(CMovie &movie)
{
    double seconds = -1;
    movie.currentPosition(&seconds);
    return seconds;
}

// Answers the next input box once it is up; `answer` sees the box and
// accepts or rejects it.
void answerInputBox(const std::function<void(QInputDialog *)> &answer)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        answer(box);
    });
    poll->start();
}

} // namespace

class TestSceneMenus : public QObject
{
    Q_OBJECT

    static QString movie() { return test_media::clip("long3.avi"); } // 180 s
    static QString sceneFile(PlayerFixture &fixture)
    {
        return fixture.programFolder() + "seen/long3.txt";
    }

private slots:
    void registerWritesTheSlotAndJumpsRoundToWholeSeconds()
    {
        PlayerFixture fixture({movie()});
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        MainMenu &menu = player.mainMenu();
        SeekBar *bar = player.window().seekBar();

        // Paused at 83.9 s with the bar there.  The timer stays off: in this
        // one-frame-a-second movie the position settles on the next frame.
        movie.MediaPlay(PlayCommand::Pause);
        player.positionTimer().stop();
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.setCurrentPosition(83.9));
        bar->setValue(8390);
        menu.m_reg_seen[3]->trigger();
        QByteArray expected = sceneLines({});
        expected.replace("\"[3] -----\",\"\"", "\"[3] 1:23\",\"83.9\"");
        QCOMPARE(readFile(sceneFile(fixture)), expected);
        QVERIFY(menu.m_seen_load->menuAction()->isEnabled());
        QCOMPARE(menu.m_seen[3]->data().toString(), QString("83.9"));
        QCOMPARE(menu.m_del_seen[3]->text(), QString("[3] 1:23 を削除"));
        QCOMPARE(enabledSlots(menu.m_seen), QString("0001000000"));
        QCOMPARE(enabledSlots(menu.m_chg_seen), QString("0001000000"));
        QCOMPARE(enabledSlots(menu.m_reg_seen), QString("1111111111"));

        menu.m_seen[3]->trigger();
        QCOMPARE(positionOf(movie), 84.0);
        QCOMPARE(bar->value(), 8400);

        QVERIFY(writeFile(sceneFile(fixture), sceneLines({{1, "82.5"}, {2, "83.5"}})));
        player.sceneMenus().load_scenes();
        // Slot 3 is free now: no move.
        for (const auto &[slot, target] : {std::pair{1, 82.0}, {2, 84.0}, {3, 10.0}}) {
            QVERIFY(waitForOpen(player));
            QVERIFY(movie.setCurrentPosition(10));
            player.sceneMenus().jump(slot);
            QCOMPARE(positionOf(movie), target);
        }
    }

    void deletingTheLastSceneDeletesTheFile()
    {
        PlayerFixture fixture({movie()});
        Player &player = fixture.player();
        MainMenu &menu = player.mainMenu();
        QVERIFY(writeFile(sceneFile(fixture), sceneLines({{2, "20"}, {6, "60.5"}})));
        player.sceneMenus().load_scenes();

        menu.m_del_seen[2]->trigger();
        QByteArray expected = sceneLines({{6, "60.5"}});
        expected.replace("\"[2] -----\"", "\"----\"");
        QCOMPARE(readFile(sceneFile(fixture)), expected);
        QCOMPARE(menu.m_seen[2]->text(), QString("----"));
        QCOMPARE(enabledSlots(menu.m_seen), QString("0000001000"));

        // Once the file is gone the movie has no scenes: greyed-out parents.
        menu.m_del_seen[6]->trigger();
        QVERIFY(!QFile::exists(sceneFile(fixture)));
        for (QMenu *parent : {menu.m_seen_load, menu.m_change_seen, menu.m_delete_seen})
            QVERIFY(!parent->menuAction()->isEnabled());
        QCOMPARE(menu.m_seen[2]->text(), QString("[2] -----"));
        QCOMPARE(enabledSlots(menu.m_seen), QString("0000000000"));

        // With the movie closed, registering writes nothing.
        player.transport().stop_Click();
        player.sceneMenus().registerScene(0);
        QVERIFY(!QFile::exists(sceneFile(fixture)));
    }

    void renameAsksAndKeepsTheOtherSlots()
    {
        PlayerFixture fixture({movie()});
        Player &player = fixture.player();
        MainMenu &menu = player.mainMenu();
        const QByteArray original = sceneLines({{1, "10"}, {4, "40.25"}});
        QVERIFY(writeFile(sceneFile(fixture), original));
        player.sceneMenus().load_scenes();

        // Cancel and an empty answer change nothing; after a cancel the next
        // Enter is not swallowed.
        answerInputBox([](QInputDialog *box) { box->reject(); });
        menu.m_chg_seen[4]->trigger();
        QVERIFY(!player.window().swallow_enter);
        answerInputBox([](QInputDialog *box) {
            box->setTextValue("");
            box->accept();
        });
        menu.m_chg_seen[4]->trigger();
        QCOMPARE(readFile(sceneFile(fixture)), original);

        player.window().swallow_enter = false;
        QString prompt;
        answerInputBox([&](QInputDialog *box) {
            prompt = box->windowTitle() + "|" + box->labelText() + "|" + box->textValue();
            box->setTextValue("say \"hi\",\"99\" & go");
            box->accept();
        });
        menu.m_chg_seen[4]->trigger();
        QVERIFY(player.window().swallow_enter);
        QCOMPARE(prompt, QString("シーン名変更|scene 4のシーン名を変更します|scene 4"));
        // The quotes are kept as typed, and do not spill over into the
        // position or the other slots.
        const SceneFile &scenes = player.sceneMenus().movieScenes();
        QCOMPARE(scenes.slot(4), (SceneSlot{"say \"hi\",\"99\" & go", "40.25"}));
        QCOMPARE(scenes.slot(1), (SceneSlot{"scene 1", "10"}));
        QCOMPARE(scenes.slot(5), (SceneSlot{"[5] -----", ""}));
        QCOMPARE(menu.m_seen[4]->text(), QString("say \"hi\",\"99\" && go"));
    }

    void fileMenuShowsTheFilesScenesAndPlaysFromThem()
    {
        // Both movies in one folder, the short one playing.
        QTemporaryDir folder;
        const QString longMovie = folder.filePath("long3.avi");
        QVERIFY(QFile::copy(movie(), longMovie));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), folder.filePath("clip.avi")));
        PlayerFixture fixture({folder.filePath("clip.avi")});
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        QVERIFY(writeFile(sceneFile(fixture), sceneLines({{7, "101.5"}})));

        QListWidget *files = browser.fileList();
        QMenu *scenes = browser.fileMenu()->findChild<QMenu *>("m_seen_load_file");
        QAction *slot7 = browser.fileMenu()->findChild<QAction *>("m_seen_file_7");
        auto rightClick = [&](const QString &name) {
            QListWidgetItem *item = files->findItems(name, Qt::MatchExactly).value(0);
            QVERIFY(item);
            QTest::mouseClick(files->viewport(), Qt::RightButton, {},
                              files->visualItemRect(item).center());
            QVERIFY(browser.fileMenu()->isVisible());
            browser.fileMenu()->hide();
        };

        // The playing clip has no scene file.
        QVERIFY(!player.mainMenu().m_seen_load->menuAction()->isEnabled());
        rightClick("clip.avi");
        QVERIFY(scenes->menuAction()->isVisible());
        QVERIFY(!scenes->menuAction()->isEnabled());
        QCOMPARE(slot7->text(), QString("[7] -----"));

        rightClick("long3.avi");
        QVERIFY(scenes->menuAction()->isEnabled());
        QCOMPARE(slot7->text(), QString("scene 7"));
        QVERIFY(slot7->isVisible());
        QCOMPARE(enabledSlots(scenes->actions()), QString("0000000100"));
        QVERIFY(!player.mainMenu().m_seen[7]->isEnabled()); // still the clip's

        slot7->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), longMovie);
        QVERIFY(qAbs(positionOf(player.movie()) - 102) < 0.6);
        QVERIFY(player.mainMenu().m_seen[7]->isEnabled());

        // The movie already open only moves, and stays paused.
        player.movie().MediaPlay(PlayCommand::Pause);
        QVERIFY(waitForOpen(player));
        QVERIFY(player.movie().setCurrentPosition(3));
        slot7->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(positionOf(player.movie()), 102.0);
        QCOMPARE(int(player.movie().playState()), 2);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestSceneMenus test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scene_menus.moc"
