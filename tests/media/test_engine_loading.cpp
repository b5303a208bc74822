// Loading libmpv at run time, its dependencies one by one, and the worker
// that does both ahead of the first picture.

#include "media/engine_preload.h"
#include "media/library_preload.h"
#include "media/mpv_library.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <dlfcn.h>
#include <link.h>
#include <string>

#include <mpv/client.h>

namespace
{

std::string libmpvName()
{
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

bool isLoaded(const std::string &soname)
{
    void *handle = dlopen(soname.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

int loadedObjectCount()
{
    int count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info *, size_t, void *data) { return ++*static_cast<int *>(data), 0; }, &count);
    return count;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestEngineLoading : public QObject
{
    Q_OBJECT

private slots:
    // Runs first: nothing has touched libmpv in this process yet.
    void dependenciesLoadWithoutTheLibraryItself()
    {
        QVERIFY2(!isLoaded(libmpvName()), "the program must not link libmpv");
        const int before = loadedObjectCount();
        library_preload::loadDependencies(libmpvName());
        // libmpv brings in FFmpeg and much more; none of it was here.
        QVERIFY2(loadedObjectCount() > before + 20,
                 qPrintable(QString("%1 -> %2").arg(before).arg(loadedObjectCount())));
        QVERIFY(!isLoaded(libmpvName()));
    }

    void libraryLoadsOnceAndPlayersStart()
    {
        QVERIFY(mpv_library::load());
        QVERIFY(mpv_library::load());
        QVERIFY(isLoaded(libmpvName()));
        mpv_handle *mpv = mpv_create();
        QVERIFY(mpv);
        QVERIFY(mpv_set_option_string(mpv, "vo", "null") >= 0);
        QCOMPARE(mpv_initialize(mpv), 0);
        mpv_terminate_destroy(mpv);
    }

    // Names that lead nowhere, and files that are not libraries or are
    // damaged ones, are passed over.
    void unusableNamesAndFilesArePassedOver()
    {
        const int before = loadedObjectCount();
        library_preload::loadDependencies("libsazanami-does-not-exist.so.7");

        QTemporaryDir dir;
        const QString text = dir.filePath("notes.so");
        writeFile(text, "not a library at all\n");
        library_preload::loadDependencies(text.toStdString());

        // A real header cut short, and one whose counts point past the end.
        QFile self("/proc/self/exe");
        QVERIFY(self.open(QIODevice::ReadOnly));
        const QByteArray header = self.read(4096);
        const QString truncated = dir.filePath("truncated.so");
        writeFile(truncated, header.left(40));
        library_preload::loadDependencies(truncated.toStdString());

        QByteArray corrupt = header;
        // e_phoff (offset 32) far beyond the file, e_phnum (offset 56) large.
        corrupt[32 + 5] = char(0x7f);
        corrupt[56] = char(0xff);
        corrupt[57] = char(0xff);
        const QString damaged = dir.filePath("damaged.so");
        writeFile(damaged, corrupt);
        library_preload::loadDependencies(damaged.toStdString());

        QCOMPARE(loadedObjectCount(), before);
    }

    // What runs after loading runs on the worker, once, and the worker is
    // done when its owner goes.
    void preloadRunsItsFollowUpAndIsJoined()
    {
        std::atomic<int> runs{0};
        std::atomic<bool> libraryWasThere{false};
        {
            EnginePreload preload;
            preload.start([&] {
                libraryWasThere = isLoaded(libmpvName());
                ++runs;
            });
            preload.start([&] { ++runs; });
        }
        QCOMPARE(runs.load(), 1);
        QVERIFY(libraryWasThere.load());
    }
};

int main(int argc, char *argv[])
{
    // The worker asks about OpenGL, which needs the GUI application.
    QGuiApplication app(argc, argv);
    TestEngineLoading test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_engine_loading.moc"
