// The favourites page through the running program: okini.ini at start and
// exit, thumbnails, M3U playlists, editing the list, capture, and playing
// the favourites through.

#include "base/scene_file.h"
#include "base/selection_info.h"
#include "base/settings.h"
#include "favourites/favourites_list.h"
#include "favourites/favourites_model.h"
#include "favourites/image_picker.h"
#include "favourites/thumbnail_grabs.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A folder of movies copied from the test clips: name -> clip.
class MovieFolder
{
public:
    MovieFolder(const QList<std::pair<QString, QString>> &movies)
    {
        for (const auto &[name, clip] : movies)
            QFile::copy(test_media::clip(clip), path(name));
    }
    QString path(const QString &name = {}) const { return dir_.path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

std::unique_ptr<PlayerFixture> startIn(const QString &programFolder)
{
    return PlayerFixture::start({programFolder, {}, {}});
}

QStringList names(FavouritesList &favourites)
{
    QStringList result;
    for (int row = 0; row < favourites.count(); ++row)
        result.append(favourites.model().entry(row).name);
    return result;
}

mode_t modeOf(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void waitForGrabs(FavouritesList &favourites)
{
    QTRY_COMPARE_WITH_TIMEOUT(favourites.grabs().pending(), 0, 20000);
}

// Answers the next modal dialog: a message box with a button, an input box
// with a text.  What the box said is kept.
class Answer : public QObject
{
public:
    static std::shared_ptr<QString> button(QMessageBox::StandardButton which)
    {
        return watch([which](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return QString();
            const QString text = box->text();
            box->button(which)->click();
            return text;
        });
    }
    static std::shared_ptr<QString> text(const QString &answer)
    {
        return watch([answer](QWidget *modal) {
            auto *box = qobject_cast<QInputDialog *>(modal);
            if (!box)
                return QString();
            const QString label = box->labelText();
            box->setTextValue(answer);
            box->accept();
            return label;
        });
    }

private:
    static std::shared_ptr<QString> watch(std::function<QString(QWidget *)> answer)
    {
        auto said = std::make_shared<QString>();
        auto *timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, answer, said] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                *said = answer(modal);
                if (!said->isEmpty())
                    timer->deleteLater();
            }
        });
        timer->start(20);
        return said;
    }
};

// Opens the context menu "お気に入り" and notes, while it is shown, the
// enabled entries and the caption of the information entry.
QStringList menuAsShown(FavouritesList &favourites)
{
    QStringList shown;
    QMenu *menu = favourites.menu();
    QTimer::singleShot(100, menu, [menu, &shown] {
        for (const QAction *action : menu->actions())
            if (action->isEnabled() && !action->isSeparator())
                shown.append(action->objectName());
        shown.append(menu->findChild<QAction *>("m_info2")->text());
        menu->close();
    });
    emit favourites.view()->customContextMenuRequested(QPoint(1, 1));
    return shown;
}

// Warnings logged while it is set, passed on as well.
QStringList *caughtWarnings = nullptr;
QtMessageHandler passOn = nullptr;
void catchWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (caughtWarnings && type == QtWarningMsg)
        caughtWarnings->append(text);
    passOn(type, context, text);
}

QMimeData *filesData(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

} // namespace

class TestFavourites : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    void theFavouritesFileSurvivesAStartAndAnExit()
    {
        MovieFolder movies({{"a.avi", "clip.avi"}, {"b,c.mpg", "clip.mpg"}, {"d.wmv", "clip.wmv"}});
        QTemporaryDir program;
        const QString okini = program.path() + "/okini.ini";
        const QByteArray lines = (movies.path("a.avi") + "\r\n/not/mounted/x.avi\r\n" +
                                  movies.path("b,c.mpg") + "\r\n" + movies.path("d.wmv") + "\r\n")
                                     .toUtf8();
        QVERIFY(test_files::writeFile(okini, "#EXTM3U\r\n" + lines));

        auto fixture = startIn(program.path() + "/");
        FavouritesList &favourites = fixture->player().favourites();
        QCOMPARE(names(favourites), QStringList({"a.avi", "x.avi", "b,c.mpg", "d.wmv"}));
        // The movie on a disk that is not there stays, greyed and pictureless.
        QVERIFY(favourites.model().entry(1).missing);
        QVERIFY(favourites.view()->isThumbnailView());
        QCOMPARE(favourites.view()->objectName(), QString("List_okini"));

        // Thumbnails are grabbed for the movies there are, never for the
        // missing one, and not for a .wmv.
        waitForGrabs(favourites);
        const QString image = program.path() + "/image/";
        QCOMPARE(QImage(image + "a.bmp").size(), QSize(100, 75));
        QCOMPARE(QImage(image + "b,c.bmp").size(), QSize(100, 75));
        QVERIFY(!QFile::exists(image + "x.bmp"));
        QVERIFY(!QFile::exists(image + "d.bmp"));
        QVERIFY(favourites.model().picture(0).toImage() !=
                FavouritesModel::placeholder().toImage());

        // A file read twice gives every entry twice.
        QCOMPARE(favourites.load_okini(okini, FavouritesList::Missing::Keep), 4);
        QCOMPARE(favourites.count(), 8);
        for (int position = 8; position > 4; --position)
            favourites.remove_okini(position);

        fixture->player().Form_Unload();
        QCOMPARE(test_files::readFile(okini), lines);

        // An empty list writes an empty file, which loads as no favourites.
        favourites.delete_all_okini();
        QVERIFY(favourites.save_okini(okini));
        QCOMPARE(QFileInfo(okini).size(), 0);
        QCOMPARE(favourites.load_okini(okini, FavouritesList::Missing::Keep), 0);
        QCOMPARE(favourites.load_okini(program.path() + "/none.ini", FavouritesList::Missing::Keep),
                 0);
    }

    // A folder dropped gives its movies by type, the six first in their
    // order, then, with the option on, the others; those get thumbnails
    // then as avi and mpg do.
    void otherFormatsWithTheOption()
    {
        MovieFolder movies({{"a.mp4", "clip.mp4"}, {"b.mkv", "clip.mkv"}, {"c.avi", "clip.avi"}});
        for (const char *name : {"d.wmv", "e.mpg", "f.webm", "g.mov", "h.ts", "i.txt"})
            QVERIFY(test_files::writeFile(movies.path(name), ""));
        QTemporaryDir program;
        auto fixture = startIn(program.path() + "/");
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        const std::unique_ptr<QMimeData> folder(filesData({movies.path()}));

        favourites.dropData(folder.get());
        QCOMPARE(names(favourites), QStringList({"e.mpg", "c.avi", "d.wmv", "g.mov"}));
        // Off, an mp4 that comes in anyway (a playlist) keeps the placeholder.
        favourites.addPath(movies.path("a.mp4"));
        waitForGrabs(favourites);
        const QString image = program.path() + "/image/";
        QVERIFY(QFile::exists(image + "c.bmp"));
        QVERIFY(!QFile::exists(image + "a.bmp"));

        favourites.delete_all_okini();
        player.settings().set(Settings::MoreFormats, true);
        favourites.dropData(folder.get());
        QCOMPARE(names(favourites), QStringList({"e.mpg", "c.avi", "d.wmv", "g.mov", "a.mp4",
                                                 "b.mkv", "f.webm", "h.ts"}));
        waitForGrabs(favourites);
        QCOMPARE(QImage(image + "a.bmp").size(), QSize(100, 75));
        QCOMPARE(QImage(image + "b.bmp").size(), QSize(100, 75));
        QVERIFY(favourites.model().picture(5).toImage() !=
                FavouritesModel::placeholder().toImage());
    }

    // Thousands added at once go into the list in pieces: in their order,
    // saved whole before they are all shown, a selection made meanwhile
    // kept.
    void manyFavouritesAreAddedInPieces()
    {
        QTemporaryDir program;
        QByteArray lines;
        for (int i = 0; i < 1500; ++i)
            lines += QString("/not/mounted/take %1.avi\r\n").arg(i).toUtf8();
        QVERIFY(test_files::writeFile(program.path() + "/many.m3u", lines));
        auto fixture = startIn(program.path() + "/");
        FavouritesList &favourites = fixture->player().favourites();
        QCOMPARE(favourites.load_okini(program.path() + "/many.m3u", FavouritesList::Missing::Keep),
                 1500);
        QVERIFY(favourites.count() < 1500);
        favourites.select_okini(2);
        const QString okini = program.path() + "/okini.ini";
        QVERIFY(favourites.save_okini(okini));
        QCOMPARE(test_files::readFile(okini), lines);
        QTRY_COMPARE(favourites.count(), 1500);
        QCOMPARE(favourites.get_okini_index(), 2);
        QCOMPARE(names(favourites).mid(1498), QStringList({"take 1498.avi", "take 1499.avi"}));
    }

    void aFavouritesFileThatCannotBeReadIsKept()
    {
        // Larger than any favourites file the program reads.
        QTemporaryDir program;
        const QString okini = program.path() + "/okini.ini";
        const QByteArray huge = QByteArray("/m/a.avi\r\n").repeated(2'000'000);
        QVERIFY(test_files::writeFile(okini, huge));
        auto fixture = startIn(program.path() + "/");
        QCOMPARE(fixture->player().favourites().count(), 0);
        fixture->player().Form_Unload();
        QCOMPARE(QFileInfo(okini).size(), huge.size());
    }

    void playlistsComeInAndGoOut()
    {
        MovieFolder movies({{"a.avi", "clip.avi"},
                            {"b.avi", "clip.avi"},
                            {QString::fromUtf8("c 映画.mpg"), "clip.mpg"}});
        QTemporaryDir program;
        auto fixture = startIn(program.path() + "/");
        FavouritesList &favourites = fixture->player().favourites();

        // Files chosen on the file page are added in the list's order; one
        // already there is not added again.
        const QStringList chosen = {movies.path("a.avi"), movies.path("b.avi"),
                                    movies.path(QString::fromUtf8("c 映画.mpg"))};
        favourites.addSelection(chosen);
        favourites.addSelection({movies.path("a.avi")});
        QVERIFY(!favourites.addPath(movies.path("b.avi")));
        const QStringList added = {"a.avi", "b.avi", QString::fromUtf8("c 映画.mpg")};
        QCOMPARE(names(favourites), added);

        const QString exported = program.path() + "/list.m3u";
        QVERIFY(favourites.exportM3u(exported));
        QVERIFY(
            test_files::readFile(exported).startsWith((movies.path("a.avi") + "\r\n").toUtf8()));
        favourites.delete_all_okini();
        QVERIFY(favourites.importM3u(exported));
        QCOMPARE(names(favourites), added);

        // Another player's playlist beside the movies: title lines, a BOM,
        // both line ends, relative names with and without "./", a URL, and a
        // line whose movie is gone, which an import leaves out.
        const QString other = movies.path("other.m3u8");
        QVERIFY(test_files::writeFile(
            other, "\xEF\xBB\xBF#EXTM3U\n#EXTINF:3,Clip A\r\n./a.avi\r\nb.avi\n"
                   "file://" +
                       QUrl::toPercentEncoding(movies.path(QString::fromUtf8("c 映画.mpg")), "/") +
                       "\r\n/gone/away.avi\r\n"));
        QVERIFY(favourites.importM3u(other));
        QCOMPARE(names(favourites),
                 QStringList({"a.avi", "b.avi", QString::fromUtf8("c 映画.mpg")}));

        // A playlist with nothing that exists keeps the list and says so.
        const QString empty = movies.path("gone.m3u");
        QVERIFY(test_files::writeFile(empty, "/gone/away.avi\r\n"));
        auto said = Answer::button(QMessageBox::Ok);
        QVERIFY(!favourites.importM3u(empty));
        QCOMPARE(favourites.count(), 3);
        QVERIFY(!said->isEmpty());

        // A dropped playlist on a list that is not empty asks; No appends.
        said = Answer::button(QMessageBox::No);
        std::unique_ptr<QMimeData> drop(filesData({other}));
        favourites.dropData(drop.get());
        QCOMPARE(favourites.count(), 6);
        QCOMPARE(*said,
                 QString::fromUtf8("m3uファイルを追加します。現在のリストをクリアしますか？"));

        // A dropped folder adds its movies grouped by kind, without the ones
        // already there.
        favourites.delete_all_okini();
        favourites.addPath(movies.path("b.avi"));
        drop.reset(filesData({movies.path()}));
        favourites.dropData(drop.get());
        QCOMPARE(names(favourites),
                 QStringList({"b.avi", QString::fromUtf8("c 映画.mpg"), "a.avi"}));
    }

    void editingTheList()
    {
        MovieFolder movies({{"a.avi", "clip.avi"},
                            {"b.avi", "clip.avi"},
                            {"c.avi", "clip.avi"},
                            {"d.avi", "clip.avi"},
                            {"e.wmv", "clip.wmv"}});
        QTemporaryDir program;
        auto fixture = startIn(program.path() + "/");
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        // On an empty list only the view switch and the playlist import
        // are offered.
        QCOMPARE(menuAsShown(favourites), QStringList({"m_changeView", "m_openM3u", ""}));
        favourites.addSelection({movies.path("a.avi"), movies.path("b.avi"), movies.path("c.avi"),
                                 movies.path("d.avi"), movies.path("e.wmv")});
        QCOMPARE(names(favourites), QStringList({"a.avi", "b.avi", "c.avi", "d.avi", "e.wmv"}));
        waitForGrabs(favourites);

        // Deleting the last two leaves nothing selected; deleting the first
        // selects the new first.
        QItemSelectionModel *selection = favourites.view()->selectionModel();
        selection->select(favourites.model().index(3, 0), QItemSelectionModel::Select);
        selection->select(favourites.model().index(4, 0), QItemSelectionModel::Select);
        const double bytes =
            QFileInfo(movies.path("d.avi")).size() + QFileInfo(movies.path("e.wmv")).size();
        QCOMPARE(menuAsShown(favourites).last(),
                 QString::fromUtf8("2個のファイル - ") + selection_info::sizeText(bytes));
        favourites.delete_selected_okini();
        QCOMPARE(names(favourites), QStringList({"a.avi", "b.avi", "c.avi"}));
        QCOMPARE(favourites.get_okini_index(), 0);
        favourites.addSelection({movies.path("d.avi"), movies.path("e.wmv")});
        favourites.select_okini(1);
        favourites.delete_selected_okini();
        QCOMPARE(names(favourites), QStringList({"b.avi", "c.avi", "d.avi", "e.wmv"}));
        QCOMPARE(favourites.get_okini_index(), 1);

        // A .wmv keeps its placeholder through a move.
        favourites.moveFavourite(4, 1);
        QCOMPARE(names(favourites), QStringList({"e.wmv", "b.avi", "c.avi", "d.avi"}));
        QCOMPARE(favourites.get_okini_index(), 1);
        QCOMPARE(favourites.model().picture(0).toImage(), FavouritesModel::placeholder().toImage());

        // F2 renames the selected favourite's movie, but never over another.
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        favourites.select_okini(2);
        auto said = Answer::text("c.avi");
        player.fileBrowser().rename_selection();
        QVERIFY(said->contains("b.avi"));
        QCOMPARE(favourites.model().entry(1).name, QString("b.avi"));
        QVERIFY(QFile::exists(movies.path("b.avi")));
        said = Answer::text(QString::fromUtf8("新しい b.avi"));
        player.fileBrowser().rename_selection();
        QCOMPARE(favourites.model().entry(1).name, QString::fromUtf8("新しい b.avi"));
        QVERIFY(QFile::exists(movies.path(QString::fromUtf8("新しい b.avi"))));
        QVERIFY(!QFile::exists(movies.path("b.avi")));

        // Capture takes the frame of the playing favourite, and only on the
        // favourites page.
        const QString thumbnail = program.path() + "/image/c.bmp";
        const QByteArray grabbed = test_files::readFile(thumbnail);
        favourites.select_okini(3);
        QVERIFY(playAndWait(player, movies.path("c.avi"), 2.0));
        QCOMPARE(player.favourites().okini_index(), 3);
        player.movie().MediaPlay(PlayCommand::Pause);
        player.listPanel().selectTab(ListPanel::FilePage);
        favourites.capture();
        waitForGrabs(favourites);
        QCOMPARE(test_files::readFile(thumbnail), grabbed);
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        favourites.capture();
        waitForGrabs(favourites);
        QVERIFY(test_files::readFile(thumbnail) != grabbed);
        QCOMPARE(QImage(thumbnail).size(), QSize(100, 75));
    }

    void pickedPicturesAndDragsInTheReport()
    {
        MovieFolder movies({{"a.avi", "clip.avi"}, {"b.wmv", "clip.wmv"}, {"c.avi", "clip.avi"}});
        QTemporaryDir program, pictures;
        QImage wide(1280, 720, QImage::Format_RGB32);
        wide.fill(Qt::white);
        QVERIFY(wide.save(pictures.path() + "/wide.png"));
        auto fixture = startIn(program.path() + "/");
        FavouritesList &favourites = fixture->player().favourites();
        favourites.addSelection({movies.path("a.avi"), movies.path("b.wmv"), movies.path("c.avi")});
        waitForGrabs(favourites);

        // A wide picture is fitted whole into the thumbnail of the .wmv, with
        // bands above and below; the picker remembers its folder.
        favourites.select_okini(2);
        favourites.openPicker();
        auto *picker = fixture->player().window().findChild<ImagePicker *>("Form_OpenImage");
        QVERIFY(picker && picker->isVisible());
        picker->setFolder(pictures.path());
        QVERIFY(!picker->preview(pictures.path() + "/missing.png"));
        QVERIFY(picker->preview(pictures.path() + "/wide.png"));
        QVERIFY(picker->save());
        picker->close();
        const QImage saved(program.path() + "/image/b.bmp");
        QCOMPARE(saved.size(), QSize(100, 75));
        QCOMPARE(saved.pixelColor(50, 3), QColor(Qt::black));
        QCOMPARE(saved.pixelColor(50, 37), QColor(Qt::white));
        QCOMPARE(favourites.model().picture(1).toImage().pixelColor(50, 37), QColor(Qt::white));
        QCOMPARE(favourites.OpenImagePath, pictures.path());

        // In the report a click reorders nothing; a drag onto another entry
        // moves the entry it started on.
        favourites.setViewMode(false);
        OkiniView *view = favourites.view();
        QTRY_VERIFY(view->visualRect(favourites.model().index(2, 0)).isValid());
        const auto centre = [&](int row) {
            return view->visualRect(favourites.model().index(row, 0)).center();
        };
        fixture->player().listPanel().selectTab(ListPanel::FavouritesPage);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(0));
        QCOMPARE(names(favourites), QStringList({"a.avi", "b.wmv", "c.avi"}));
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre(0));
        QTest::mouseMove(view->viewport(), centre(1));
        QTest::mouseMove(view->viewport(), centre(2));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre(2));
        QCOMPARE(names(favourites), QStringList({"b.wmv", "c.avi", "a.avi"}));
        QCOMPARE(favourites.get_okini_index(), 3);
    }

    // With the image folders beside the movies, in folders another user can
    // write: a link planted under a thumbnail's name, an image folder that is
    // a link, one that another user made; neither the grab, nor a capture,
    // nor the picker writes through them.  The thumbnails stay the
    // placeholder and the user is told once.
    void thumbnailsBesideMoviesNeverGoThroughLinks()
    {
        QTemporaryDir shared, program, elsewhere;
        // The movies' folders are open to all, as on a shared disk.
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 0777) == 0);
        const QString victim = elsewhere.path() + "/authorized_keys";
        QVERIFY(QDir(elsewhere.path()).mkdir("pointed"));
        const auto movieIn = [&](const QString &folder) {
            const QString dir = shared.path() + "/" + folder;
            QDir().mkpath(dir);
            ::chmod(QFile::encodeName(dir).constData(), 0777);
            QFile::copy(test_media::clip("clip.avi"), dir + "/clip.avi");
            return dir + "/clip.avi";
        };
        const QString linkedName = movieIn("a");
        QVERIFY(QDir(shared.path() + "/a").mkdir("image"));
        QVERIFY(QFile::link(victim, shared.path() + "/a/image/clip.bmp"));
        const QString linkedFolder = movieIn("b");
        QVERIFY(QFile::link(elsewhere.path() + "/pointed", shared.path() + "/b/image"));
        QStringList movies = {linkedName, linkedFolder};
        const bool root = ::geteuid() == 0;
        if (root) {
            // Another user makes the image folder and plants a link in it.
            const QString theirs = movieIn("c");
            QProcess planter;
            planter.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "sh",
                                      "-c", "mkdir \"$1\" && ln -s \"$2\" \"$1/clip.bmp\"", "sh",
                                      shared.path() + "/c/image", victim});
            QVERIFY(planter.waitForFinished(10000) && planter.exitCode() == 0);
            movies.append(theirs);
        }

        auto fixture = startIn(program.path() + "/");
        Player &player = fixture->player();
        player.settings().set(Settings::ImagePathRoot, true);
        FavouritesList &favourites = player.favourites();
        QStringList warnings;
        caughtWarnings = &warnings;
        passOn = qInstallMessageHandler(catchWarnings);
        favourites.addSelection(movies);
        waitForGrabs(favourites);
        qInstallMessageHandler(passOn);
        caughtWarnings = nullptr;
        QCOMPARE(favourites.count(), int(movies.size()));
        // Each refusal is logged once, under the folder's own name.
        QCOMPARE(warnings.size(), movies.size());
        for (const QString &line : warnings)
            QVERIFY2(line.contains(shared.path()), qPrintable(line));

        // A capture of the playing favourite goes the same way.
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        favourites.select_okini(1);
        favourites.noteMovieRequested();
        QVERIFY(playAndWait(player, linkedName, 1.0));
        favourites.capture();
        waitForGrabs(favourites);

        // And the picker: it says it did not save.
        QImage white(50, 50, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(white.save(program.path() + "/white.png"));
        favourites.select_okini(2);
        favourites.openPicker();
        auto *picker = player.window().findChild<ImagePicker *>("Form_OpenImage");
        QVERIFY(picker && picker->preview(program.path() + "/white.png"));
        auto said = Answer::button(QMessageBox::Ok);
        QVERIFY(!picker->save());
        QVERIFY(!said->isEmpty());
        picker->close();

        QVERIFY(!QFileInfo::exists(victim));
        QCOMPARE(
            QDir(elsewhere.path() + "/pointed").entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
        QVERIFY(QFileInfo(shared.path() + "/a/image/clip.bmp").isSymLink());
        for (int row = 0; row < favourites.count(); ++row)
            QCOMPARE(favourites.model().picture(row).toImage(),
                     FavouritesModel::placeholder().toImage());
        int told = 0;
        for (const QMessageBox *box : player.window().findChildren<QMessageBox *>("notice"))
            told += box->isVisible();
        QCOMPARE(told, 1);
        if (!root)
            QSKIP("the image folder made by another user needs root to run as nobody");
    }

    // The movie's folder replaced by a link while its thumbnail is decoded:
    // the thumbnail still goes into the folder the grab began with, never
    // over the picture in the folder the link leads to.
    void aFolderSwappedDuringAGrabIsNotFollowed()
    {
        QTemporaryDir shared, own, program;
        const QString ownPicture = own.path() + "/image/e.bmp";
        QVERIFY(QDir(own.path()).mkdir("image") && test_files::writeFile(ownPicture, "mine"));
        const QString folder = shared.path() + "/m", moved = shared.path() + "/moved";
        QVERIFY(QDir(shared.path()).mkdir("m"));
        QVERIFY(QFile::copy(test_media::clip("darkopening.avi"), folder + "/e.avi"));

        auto fixture = startIn(program.path() + "/");
        fixture->player().settings().set(Settings::ImagePathRoot, true);
        FavouritesList &favourites = fixture->player().favourites();
        favourites.addSelection({folder + "/e.avi"});
        // The grab makes the image folder before it decodes.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo::exists(folder + "/image") || !favourites.grabs().pending(), 20000);
        QVERIFY(QFile::rename(folder, moved) && QFile::link(own.path(), folder));
        waitForGrabs(favourites);
        QCOMPARE(test_files::readFile(ownPicture), QByteArray("mine"));
        QVERIFY(QFileInfo::exists(moved + "/image/e.bmp"));
    }

    // Thumbnails and scenes tell what the user watches: the program's image
    // and scene folders (also those an earlier version left open to all),
    // an image folder made beside the movies and the thumbnails in it are the
    // user's alone.
    void thumbnailsAreTheUsersAlone()
    {
        const mode_t savedMask = ::umask(022);
        const auto restoreMask = qScopeGuard([savedMask] { ::umask(savedMask); });
        MovieFolder movies({{"clip.avi", "clip.avi"}, {"b.avi", "clip.avi"}});
        QTemporaryDir program;
        QVERIFY(QDir(program.path()).mkdir("image"));
        QCOMPARE(modeOf(program.path() + "/image"), mode_t(0755));

        auto fixture = startIn(program.path() + "/");
        QCOMPARE(modeOf(program.path() + "/image"), mode_t(0700));
        QCOMPARE(modeOf(program.path() + "/seen"), mode_t(0700));
        fixture->player().settings().set(Settings::ImagePathRoot, true);
        FavouritesList &favourites = fixture->player().favourites();
        favourites.addSelection({movies.path("clip.avi")});
        waitForGrabs(favourites);
        QCOMPARE(modeOf(movies.path("image")), mode_t(0700));
        QCOMPARE(modeOf(movies.path("image/clip.bmp")), mode_t(0600));
    }

    // A movie without a picture gets no thumbnail file, so it gets its own
    // once it is a movie; one that could not be written (a full disk, here
    // a file size limit) comes when there is room again.
    void aThumbnailIsOnlyEverAPicture()
    {
        MovieFolder movies({{"good.avi", "clip.avi"}, {"other.avi", "clip.avi"}});
        QVERIFY(test_files::writeFile(movies.path("late.avi"), "not yet copied"));
        QTemporaryDir program;
        const QString image = program.path() + "/image/";
        auto fixture = startIn(program.path() + "/");
        FavouritesList &favourites = fixture->player().favourites();
        favourites.addPath(movies.path("late.avi"));
        waitForGrabs(favourites);
        QVERIFY(!QFile::exists(image + "late.bmp"));
        QVERIFY(QFile::remove(movies.path("late.avi")) &&
                QFile::copy(test_media::clip("clip.avi"), movies.path("late.avi")));
        favourites.remove_okini(1);
        favourites.addPath(movies.path("late.avi"));
        waitForGrabs(favourites);
        QCOMPARE(QImage(image + "late.bmp").size(), QSize(100, 75));

        struct rlimit saved {
        };
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit full = saved;
        full.rlim_cur = 1000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
        favourites.addPath(movies.path("good.avi"));
        waitForGrabs(favourites);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
        QVERIFY(!QFile::exists(image + "good.bmp"));
        QTRY_COMPARE_WITH_TIMEOUT(QImage(image + "good.bmp").size(), QSize(100, 75), 20000);
    }

    // A movie's thumbnail and scenes, named by its base name, stay where
    // they are when it is renamed while a same-named movie elsewhere shares
    // them; alone, they go with it.
    void aRenameLeavesWhatAnotherMovieShares()
    {
        const QList<std::pair<QString, QString>> one = {{"b.avi", "clip.avi"}};
        MovieFolder here(one), there(one);
        QTemporaryDir program;
        auto fixture = startIn(program.path() + "/");
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        favourites.addPath(here.path("b.avi"));
        favourites.addPath(there.path("b.avi"));
        waitForGrabs(favourites);
        const QString image = program.path() + "/image/";
        const QString scenes = SceneFile::pathFor(player.sceneFolder(), here.path("b.avi"));
        QVERIFY(QFile::exists(image + "b.bmp") && test_files::writeFile(scenes, "scenes"));

        player.listPanel().selectTab(ListPanel::FavouritesPage);
        favourites.select_okini(1);
        auto said = Answer::text("c.avi");
        player.fileBrowser().rename_selection();
        QCOMPARE(favourites.model().entry(0).name, QString("c.avi"));
        QVERIFY(QFile::exists(image + "b.bmp") && QFile::exists(scenes));
        favourites.select_okini(2);
        said = Answer::text("d.avi");
        player.fileBrowser().rename_selection();
        QCOMPARE(favourites.model().entry(1).name, QString("d.avi"));
        QVERIFY(QFile::exists(image + "d.bmp") && !QFile::exists(image + "b.bmp"));
        QVERIFY(QFile::exists(SceneFile::pathFor(player.sceneFolder(), "d.avi")));
    }

    void keysAddAndDelete()
    {
        QTemporaryDir program;
        auto fixture =
            PlayerFixture::start({program.path() + "/", {test_media::clip("clip.avi")}, {}});
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        QWidget *display = player.window().display();
        // The file page shows the movie's folder with the movie selected.
        QTest::keyClick(display, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(names(favourites), QStringList({"clip.avi"}));
        QTest::keyClick(display, Qt::Key_Delete);
        QCOMPARE(favourites.count(), 1);
        QTest::keyClick(display, Qt::Key_I, Qt::ControlModifier);
        favourites.select_okini(1);
        QTest::keyClick(display, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(favourites.count(), 1);
        QTest::keyClick(display, Qt::Key_Delete);
        QCOMPARE(favourites.count(), 0);
    }

    void favouritesArePlayedThrough()
    {
        MovieFolder movies({{"a.avi", "clip.avi"}, {"b.avi", "clip.avi"}, {"c.avi", "clip.avi"}});
        QTemporaryDir program;
        auto fixture = startIn(program.path() + "/");
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        favourites.addSelection({movies.path("a.avi"), movies.path("b.avi"), movies.path("c.avi")});
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        player.playMode().mode_Click(PlayMode::Continuous);
        const auto playing = [&player] { return QFileInfo(player.movie().filename()).fileName(); };

        favourites.select_okini(3);
        player.sequencer().play_next();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(), QString("a.avi"));
        QCOMPARE(player.favourites().okini_index(), 1);
        player.sequencer().play_prev();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(), QString("c.avi"));
        QCOMPARE(favourites.get_okini_index(), 3);

        // A favourite whose movie was deleted asks, and Yes removes it.
        QVERIFY(QFile::remove(movies.path("a.avi")));
        auto said = Answer::button(QMessageBox::Yes);
        player.sequencer().play_next();
        QTRY_COMPARE(*said,
                     movies.path("a.avi") + QString::fromUtf8("が存在しません 削除しますか?"));
        QCOMPARE(names(favourites), QStringList({"b.avi", "c.avi"}));
        QCOMPARE(playing(), QString("c.avi"));
    }
};

QTEST_MAIN(TestFavourites)
#include "test_favourites.moc"
