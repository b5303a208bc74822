// Which keys of a window go to its key handling and which stay with the
// control that has the focus.

#include "input/window_key_filter.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace
{

// A window with a list, a text box and a button, whose key handling wants
// W, Up and Enter and notes what it is told.
struct KeyedWindow {
    QWidget window;
    QListWidget *list = new QListWidget(&window);
    QLineEdit *box = new QLineEdit(&window);
    QPushButton *button = new QPushButton("button", &window);
    QComboBox *drives = new QComboBox(&window);
    QStringList told;

    KeyedWindow()
    {
        auto *column = new QVBoxLayout(&window);
        column->addWidget(list);
        column->addWidget(box);
        column->addWidget(button);
        column->addWidget(drives);
        drives->addItems({"/", "/media/disk"});
        list->addItems({"apple", "walnut", "zucchini"});
        list->setCurrentRow(0);
        WindowKeyFilter::Handlers handlers;
        handlers.pressed = [this](int code, int, bool) { told << QString("down %1").arg(code); };
        handlers.released = [this](int code, int) { told << QString("up %1").arg(code); };
        handlers.wanted = [](int code, int) {
            return code == 'W' || code == 38 || code == 13 || code == 34;
        };
        handlers.releasedElsewhere = [this](int code) { told << QString("away %1").arg(code); };
        new WindowKeyFilter(window, handlers, &window);
        window.show();
    }
};

} // namespace

class TestWindowKeyFilter : public QObject
{
    Q_OBJECT

private slots:
    void keysGoByTheControlThatHasThem()
    {
        KeyedWindow keyed;
        QListWidget *list = keyed.list;

        // A wanted letter is the window's alone: no type-ahead in the list.
        QTest::keyClick(list, Qt::Key_W);
        QCOMPARE(list->currentRow(), 0);
        // Other letters are the list's too, and so are the arrows, wanted or
        // not.
        QTest::keyClick(list, Qt::Key_Z);
        QCOMPARE(list->currentRow(), 2);
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(keyed.told,
                 QStringList({"down 87", "up 87", "down 90", "up 90", "down 38", "up 38"}));

        // Keys the button leaves go on to its parents, but reach the window's
        // handling once.
        keyed.told.clear();
        QTest::keyClick(keyed.button, Qt::Key_F7);
        QCOMPARE(keyed.told, QStringList({"down 118", "up 118"}));

        // A drop-down list takes the entry a key lands on at once: the
        // window's keys stay the window's (Page Down does not open the next
        // drive); others still choose in it.
        keyed.told.clear();
        QTest::keyClick(keyed.drives, Qt::Key_PageDown);
        QCOMPARE(keyed.drives->currentIndex(), 0);
        QTest::keyClick(keyed.drives, Qt::Key_End);
        QCOMPARE(keyed.drives->currentIndex(), 1);
        QCOMPARE(keyed.told, QStringList({"down 34", "up 34", "down 35", "up 35"}));

        // A text box keeps every key for its typing; its releases are told
        // as happening elsewhere.
        keyed.told.clear();
        QTest::keyClicks(keyed.box, "wz");
        QCOMPARE(keyed.box->text(), QString("wz"));
        QCOMPARE(keyed.told, QStringList({"away 87", "away 90"}));

        // So does a control for the keys it has claimed.
        keyed.told.clear();
        WindowKeyFilter::keepOwnKeys(list, {Qt::Key_Return});
        QSignalSpy activated(list, &QListWidget::activated);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(keyed.told, QStringList({"away 13"}));

        // A dialog of the window is a window of its own.
        keyed.told.clear();
        QDialog dialog(&keyed.window);
        auto *field = new QLineEdit(&dialog);
        auto *other = new QPushButton("other", &dialog);
        dialog.show();
        QTest::keyClick(other, Qt::Key_W);
        QTest::keyClick(field, Qt::Key_Z);
        QCOMPARE(field->text(), QString("z"));
        QVERIFY(!keyed.told.isEmpty());
        QCOMPARE(keyed.told.filter("away"), keyed.told);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestWindowKeyFilter test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_key_filter.moc"
