// The key page: assigning keys in the key boxes, the refusals, the defaults
// button and the bindings kept across runs.

#include "base/key_bindings.h"
#include "panels/list_panel.h"
#include "player_fixture.h"
#include "window/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace
{

const QString ok = QStringLiteral("OK");
const QString clash = QStringLiteral("そのショートカットキーは他の機能に登録されています");
const QString unusable = QStringLiteral("そのキーは使えません");
const QColor cyan(0, 255, 255);

QLineEdit *box(Player &player, int function)
{
    return player.window().findChild<QLineEdit *>(KeyBindings::boxName(function));
}

QString message(Player &player)
{
    return player.window().findChild<QLabel *>("message")->text();
}

void showOptions(Player &player)
{
    player.listPanel().selectTab(ListPanel::OptionsPage);
    player.listPanel().Tab_Config->setCurrentIndex(2);
    player.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&player.window()));
}

// Counts the key events that reach the main window.
struct KeyWatch : QObject {
    int keys = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        keys += event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
        return false;
    }
};

} // namespace

class TestKeyPage : public QObject
{
    Q_OBJECT

private slots:
    void aFreeKeyIsBoundAndTheFocusMovesOn()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        showOptions(player);
        auto *page = player.window().findChild<QWidget *>("Frame_Key");
        // The key page shows alone under the options' tabs.
        QVERIFY(page->isVisible());
        QVERIFY(!player.listPanel().soft_info->isVisible());
        QCOMPARE(box(player, KeyBindings::AddFavourite)->text(), QString("Space"));
        KeyWatch watch;
        player.window().installEventFilter(&watch);

        QLineEdit *play = box(player, KeyBindings::Play);
        QLineEdit *stop = box(player, KeyBindings::Stop);
        play->setFocus();
        QTRY_COMPARE(play->palette().color(QPalette::Base), cyan);
        QTest::keyClick(play, Qt::Key_K);
        QCOMPARE(player.keyBindings().text(KeyBindings::Play), QString("K"));
        QCOMPARE(play->text(), QString("K"));
        QCOMPARE(message(player), ok);
        QVERIFY(stop->hasFocus());
        QCOMPARE(stop->palette().color(QPalette::Base), cyan);
        QCOMPARE(play->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(play->palette().color(QPalette::Text), cyan);

        // A shifted key binds the key it sits on; letting go of Shift in the
        // next box is no key for that box.
        QTest::keyPress(stop, Qt::Key_Shift);
        QTest::keyClick(stop, Qt::Key_Dollar, Qt::ShiftModifier);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Shift);
        QCOMPARE(player.keyBindings().text(KeyBindings::Stop), QString("4"));
        QCOMPARE(message(player), ok);
        QVERIFY(box(player, KeyBindings::FastForward)->hasFocus());

        QTest::keyClick(box(player, KeyBindings::HalfSpeed), Qt::Key_F5);
        QCOMPARE(box(player, KeyBindings::HalfSpeed)->text(), QString("F5"));
        QVERIFY(box(player, KeyBindings::AddFavourite)->hasFocus());
        QTest::keyClick(box(player, KeyBindings::Capture), Qt::Key_V);
        QVERIFY(box(player, KeyBindings::Capture)->hasFocus());
        QCOMPARE(watch.keys, 0);
    }

    void clashingAndUnusableKeysAreRefused()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        const auto keyOf = [&](int function) { return player.keyBindings().text(function); };
        QLineEdit *play = box(player, KeyBindings::Play);
        // A low window: the page scrolls to show the answer.
        showOptions(player);
        player.window().resize(player.window().width(), 300);

        QTest::keyClick(play, Qt::Key_W);
        QCOMPARE(message(player), clash);
        QTRY_VERIFY(!player.window().findChild<QLabel *>("message")->visibleRegion().isEmpty());
        QCOMPARE(keyOf(KeyBindings::Play), QString("Q"));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Shift, Qt::Key_Backspace}) {
            QTest::keyClick(box(player, KeyBindings::Previous), Qt::Key_J); // shows "OK"
            QTest::keyClick(play, key);
            QCOMPARE(message(player), unusable);
            QCOMPARE(play->text(), QString("Q"));
        }
        QCOMPARE(keyOf(KeyBindings::Play), QString("Q"));

        // A playback box may take the add or capture key, not the other way
        // round, and the playback keys still may not share one.
        QTest::keyClick(play, Qt::Key_Space);
        QTest::keyClick(box(player, KeyBindings::Stop), Qt::Key_C);
        QCOMPARE(message(player), ok);
        QCOMPARE(keyOf(KeyBindings::Play), keyOf(KeyBindings::AddFavourite));
        QCOMPARE(keyOf(KeyBindings::Stop), keyOf(KeyBindings::Capture));
        QTest::keyClick(box(player, KeyBindings::Capture), Qt::Key_X);
        QCOMPARE(message(player), clash);
        QTest::keyClick(box(player, KeyBindings::Next), Qt::Key_Space);
        QCOMPARE(message(player), clash);
        QCOMPARE(keyOf(KeyBindings::Next), QString("S"));
    }

    void defaultButtonRestoresThePlaybackKeysOnly()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        showOptions(player);
        QTest::keyClick(box(player, KeyBindings::HalfSpeed), Qt::Key_F2);
        QTest::keyClick(box(player, KeyBindings::Capture), Qt::Key_Insert);

        auto *button = player.window().findChild<QPushButton *>("bt_default");
        QCOMPARE(button->text(), QStringLiteral("デフォルトに戻す"));
        QTest::mouseMove(button);
        QTRY_VERIFY(button->font().bold());
        QTest::mouseMove(player.window().findChild<QWidget *>("Frame_Key"), QPoint(2, 2));
        QTRY_VERIFY(!button->font().bold());

        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(player.keyBindings(), [] {
            KeyBindings expected;
            expected.trySet(KeyBindings::Capture, 45); // Insert
            return expected;
        }());
        QCOMPARE(box(player, KeyBindings::HalfSpeed)->text(), QString("3"));
        QCOMPARE(box(player, KeyBindings::Capture)->text(), QString("Insert"));
    }

    void bindingsAreKeptForTheNextRun()
    {
        QTemporaryDir folder;
        const PlayerFixture::Options options{folder.path() + "/", {}, {}};
        {
            auto first = PlayerFixture::start(options);
            QTest::keyClick(box(first->player(), KeyBindings::Next), Qt::Key_F5);
            QTest::keyClick(box(first->player(), KeyBindings::Capture), Qt::Key_0,
                            Qt::KeypadModifier);
            first->player().window().close();
        }
        auto second = PlayerFixture::start(options);
        QVERIFY(second->started());
        QCOMPARE(box(second->player(), KeyBindings::Next)->text(), QString("F5"));
        QCOMPARE(box(second->player(), KeyBindings::Capture)->text(), QString("Num 0"));
        QCOMPARE(second->player().keyBindings().code(KeyBindings::Next), 116);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestKeyPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_key_page.moc"
