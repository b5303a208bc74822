#include "player_fixture.h"

#include "media/cmovie.h"

#include <QDir>
#include <clocale>

PlayerFixture::PlayerFixture(const QStringList &arguments, const QString &currentDir)
    : player_(std::make_unique<Player>())
{
    StartupOptions options;
    options.arguments = arguments;
    options.currentDir = currentDir.isEmpty() ? QDir::currentPath() : currentDir;
    options.programFolder = programFolder();
    started_ = player_->Form_Load(options);
}

void prepareMediaTests()
{
    std::setlocale(LC_NUMERIC, "C");
    CMovie::setAudioOutput("null");
}
