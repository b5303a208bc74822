#pragma once

#include "core/player.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A running program in its own program folder, started the way main() does,
// with the sound sent nowhere.
class PlayerFixture
{
public:
    explicit PlayerFixture(const QStringList &arguments = {}, const QString &currentDir = {});

    bool started() const { return started_; }
    Player &player() { return *player_; }
    QString programFolder() const { return folder_.path() + "/"; }

private:
    QTemporaryDir folder_;
    std::unique_ptr<Player> player_;
    bool started_ = false;
};

// Sets up what every GUI test needs: the C numeric locale for libmpv and the
// null audio output.
void prepareMediaTests();
