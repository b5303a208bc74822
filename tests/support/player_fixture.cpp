#include "player_fixture.h"

#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "playback/play_sequencing.h"
#include "playback/transport.h"

#include <QDeadlineTimer>
#include <QTest>

#include <QDir>
#include <clocale>

PlayerFixture::PlayerFixture(const QStringList &arguments, const QString &currentDir)
    : PlayerFixture(FromOptions{}, Options{QString(), arguments, currentDir})
{
}

std::unique_ptr<PlayerFixture> PlayerFixture::start(const Options &options)
{
    return std::unique_ptr<PlayerFixture>(new PlayerFixture(FromOptions{}, options));
}

PlayerFixture::PlayerFixture(FromOptions, const Options &options)
    : programFolder_(options.programFolder.isEmpty() ? folder_.path() + "/"
                                                     : options.programFolder),
      player_(std::make_unique<Player>())
{
    StartupOptions startup;
    startup.arguments = options.arguments;
    startup.currentDir = options.currentDir.isEmpty() ? QDir::currentPath() : options.currentDir;
    startup.programFolder = programFolder_;
    started_ = player_->Form_Load(startup);
    // Start-up asks for the movie of the command line or the resume point;
    // the tests begin once it plays or has failed.
    if (!started_)
        return;
    QDeadlineTimer deadline(15000);
    while (player_->isStarting() && !deadline.hasExpired())
        QTest::qWait(10);
    waitForOpen(*player_);
}

bool waitForOpen(Player &player)
{
    QDeadlineTimer deadline(15000);
    // A step looks for its file first, then opens it.
    const auto busy = [&player] {
        return player.movie().isOpening() || player.sequencer().stepPending() ||
               !player.transport().firstFrameReady();
    };
    while (busy() && !deadline.hasExpired())
        QTest::qWait(10);
    return !busy();
}

bool playAndWait(Player &player, const QString &path, double pos)
{
    player.openAndPlay().play_file(path, pos);
    return waitForOpen(player);
}

void prepareMediaTests()
{
    std::setlocale(LC_NUMERIC, "C");
    CMovie::setAudioOutput("null");
}
