#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// The player as the desktop's media keys and media-control panels see it: the
// MPRIS2 interfaces (org.mpris.MediaPlayer2 and its Player) on the session
// bus.  The program tells it what plays; what the desktop asks for comes back
// as signals.  Without a session bus it does nothing.
class MediaControls : public QObject
{
    Q_OBJECT
public:
    enum class Status { Stopped, Playing, Paused };
    // What happens at the end of a movie, as the desktop names it: nothing,
    // the movie again, or the list plays on.
    enum class Loop { None, Track, Playlist };

    struct State {
        Status status = Status::Stopped;
        // The movie loaded; "" for none.
        QString path;
        // What the window's caption calls it.
        QString title;
        // A number that changes with every movie opened.
        int trackNumber = 0;
        double lengthSeconds = 0;
        // A picture of the movie; "" for none.
        QString artPath;
        double rate = 1.0;
        // 0 silent .. 1 full.
        double volume = 1.0;
        bool canGoNext = false;
        bool canGoPrevious = false;
        Loop loop = Loop::None;
        // The next movie is picked at random.
        bool shuffle = false;

        bool operator==(const State &) const = default;
    };

    static const char *const kService;
    static const char *const kObjectPath;

    explicit MediaControls(QObject *parent = nullptr);
    ~MediaControls() override;

    // Exports the interfaces and takes the player's name on bus (the session
    // bus unless told otherwise); a second player on the same bus takes a
    // name of its own.  False, quietly, without a bus.
    bool start(const QDBusConnection &bus);
    bool start();
    // Where the position is read, in seconds, when the desktop asks for it.
    void setPositionSource(std::function<double()> position);
    // The program's state; the desktop hears of what changed.
    void update(const State &state);
    const State &state() const { return state_; }
    double position() const;
    // The position jumped (a seek, not playing on).
    void announceSeek(double seconds);

    // Asked by the rate and volume properties.
    double minimumRate() const { return minimumRate_; }
    double maximumRate() const { return maximumRate_; }
    void setRateLimits(double minimum, double maximum);
    // The types offered to the desktop: the six, and with the option for
    // them mp4, mkv and the others too.
    void setMoreFormats(bool on) { moreFormats_ = on; }
    QStringList mimeTypes() const;

signals:
    void playWanted();
    void pauseWanted();
    void playPauseWanted();
    void stopWanted();
    void nextWanted();
    void previousWanted();
    // To this position in seconds, within the movie.
    void positionWanted(double seconds);
    void openWanted(const QString &path);
    void raiseWanted();
    void quitWanted();
    void rateWanted(double rate);
    void volumeWanted(double volume);
    void loopWanted(MediaControls::Loop loop);
    void shuffleWanted(bool on);

private:
    friend class MprisPlayerAdaptor;
    void seekBy(qint64 offsetMicroseconds);
    void setPosition(const QString &trackId, qint64 microseconds);
    void openUri(const QString &uri);
    QString trackId() const;
    // The Player interface's properties as the bus shows them.
    QVariantMap playerProperties() const;
    QVariantMap metadata() const;
    void announceChanges(const QString &interface, const QVariantMap &before,
                         const QVariantMap &after);

    QDBusConnection bus_;
    QString service_;
    State state_;
    bool moreFormats_ = false;
    std::function<double()> position_;
    double minimumRate_ = 1.0;
    double maximumRate_ = 1.0;
};
