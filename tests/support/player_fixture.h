#pragma once

#include "app/player.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A running program in its own program folder, started the way main() does,
// with the sound sent nowhere.
class PlayerFixture
{
public:
    // A program folder of its own, given to the program or made here.
    struct Options {
        QString programFolder;
        QStringList arguments;
        QString currentDir;
    };

    explicit PlayerFixture(const QStringList &arguments = {}, const QString &currentDir = {});
    static std::unique_ptr<PlayerFixture> start(const Options &options);

    bool started() const { return started_; }
    Player &player() { return *player_; }
    QString programFolder() const { return programFolder_; }

private:
    // Tagged so that a braced argument list never picks it.
    struct FromOptions {
    };
    PlayerFixture(FromOptions, const Options &options);

    QTemporaryDir folder_;
    QString programFolder_;
    std::unique_ptr<Player> player_;
    bool started_ = false;
};

// Sets up what every GUI test needs: the C numeric locale for libmpv and the
// null audio output.
void prepareMediaTests();
