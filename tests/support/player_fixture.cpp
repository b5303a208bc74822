#include "player_fixture.h"

#include "media/cmovie.h"

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
}

void prepareMediaTests()
{
    std::setlocale(LC_NUMERIC, "C");
    CMovie::setAudioOutput("null");
}
