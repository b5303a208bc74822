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

// Asks player to play path from pos and waits until the open is over (the
// movie plays, or it would not open); false when it took too long.
bool playAndWait(Player &player, const QString &path, double pos = 0);
// Waits until no open is in progress; false when one went on too long.
bool waitForOpen(Player &player);

// Sets up what every GUI test needs: the C numeric locale for libmpv and the
// null audio output.
void prepareMediaTests();
