#include "desktop/media_controls.h"
#include "desktop/desktop_log.h"

#include "base/movie_ext.h"
#include "base/native_path.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>
#include <cmath>
#include <iterator>

const char *const MediaControls::kService = "org.mpris.MediaPlayer2.sazanami";
const char *const MediaControls::kObjectPath = "/org/mpris/MediaPlayer2";

namespace
{

const char kRootInterface[] = "org.mpris.MediaPlayer2";
const char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

qint64 microseconds(double seconds)
{
    return qint64(std::llround(seconds * 1e6));
}

// A file URI of the path's own bytes: valid whatever the name holds (blanks,
// Japanese, or bytes that are not UTF-8, which a QString round trip would
// turn into U+FFFD).
QString fileUri(const QString &path)
{
    return native_path::toFileUrl(path).toString(QUrl::FullyEncoded);
}

QString statusText(MediaControls::Status status)
{
    switch (status) {
    case MediaControls::Status::Playing:
        return QStringLiteral("Playing");
    case MediaControls::Status::Paused:
        return QStringLiteral("Paused");
    case MediaControls::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

const char *const kLoopTexts[] = {"None", "Track", "Playlist"};

QString loopText(MediaControls::Loop loop)
{
    return QString::fromLatin1(kLoopTexts[int(loop)]);
}

} // namespace

// org.mpris.MediaPlayer2: what the player is and what it lets the desktop do
// with its window.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ uriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    explicit MprisRootAdaptor(MediaControls *controls)
        : QDBusAbstractAdaptor(controls), controls_(controls)
    {
    }
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Sazanami"); }
    QString desktopEntry() const { return QStringLiteral("sazanami"); }
    QStringList uriSchemes() const { return {QStringLiteral("file")}; }
    QStringList mimeTypes() const { return controls_->mimeTypes(); }

public slots:
    void Raise() { emit controls_->raiseWanted(); }
    void Quit() { emit controls_->quitWanted(); }

private:
    MediaControls *controls_;
};

// org.mpris.MediaPlayer2.Player: the transport, the movie and its position.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit MprisPlayerAdaptor(MediaControls *controls)
        : QDBusAbstractAdaptor(controls), controls_(controls)
    {
    }
    QString playbackStatus() const { return statusText(controls_->state().status); }
    double rate() const { return controls_->state().rate; }
    void setRate(double rate)
    {
        // A rate of 0 means pause; anything else goes to the nearest speed.
        if (rate <= 0)
            emit controls_->pauseWanted();
        else
            emit controls_->rateWanted(rate);
    }
    QString loopStatus() const { return loopText(controls_->state().loop); }
    // A name that is not one of the three is ignored.
    void setLoopStatus(const QString &text)
    {
        for (int loop = 0; loop < int(std::size(kLoopTexts)); ++loop) {
            if (text == QLatin1String(kLoopTexts[loop]))
                emit controls_->loopWanted(MediaControls::Loop(loop));
        }
    }
    bool shuffle() const { return controls_->state().shuffle; }
    void setShuffle(bool on) { emit controls_->shuffleWanted(on); }
    QVariantMap metadata() const { return controls_->metadata(); }
    double volume() const { return controls_->state().volume; }
    void setVolume(double volume) { emit controls_->volumeWanted(qBound(0.0, volume, 1.0)); }
    qlonglong position() const { return microseconds(controls_->position()); }
    double minimumRate() const { return controls_->minimumRate(); }
    double maximumRate() const { return controls_->maximumRate(); }
    bool canGoNext() const { return controls_->state().canGoNext; }
    bool canGoPrevious() const { return controls_->state().canGoPrevious; }
    bool canSeek() const { return !controls_->state().path.isEmpty(); }
    bool yes() const { return true; }

public slots:
    void Play() { emit controls_->playWanted(); }
    void Pause() { emit controls_->pauseWanted(); }
    void PlayPause() { emit controls_->playPauseWanted(); }
    void Stop() { emit controls_->stopWanted(); }
    void Next() { emit controls_->nextWanted(); }
    void Previous() { emit controls_->previousWanted(); }
    void Seek(qlonglong Offset) { controls_->seekBy(Offset); }
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
    {
        controls_->setPosition(TrackId.path(), Position);
    }
    void OpenUri(const QString &Uri) { controls_->openUri(Uri); }

signals:
    void Seeked(qlonglong Position);

private:
    MediaControls *controls_;
};

MediaControls::MediaControls(QObject *parent)
    : QObject(parent), bus_(QString()), position_([] { return 0.0; })
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

QStringList MediaControls::mimeTypes() const
{
    QStringList types = {"video/mpeg", "video/x-msvideo", "video/x-ms-asf", "video/x-ms-wmv",
                         "video/quicktime"};
    if (moreFormats_) {
        for (const QString &extension : more_movie_extensions()) {
            const QString type = more_movie_mime_type(extension);
            if (!types.contains(type))
                types << type;
        }
    }
    return types;
}

MediaControls::~MediaControls()
{
    if (!service_.isEmpty())
        bus_.unregisterService(service_);
}

bool MediaControls::start()
{
    return start(QDBusConnection::sessionBus());
}

bool MediaControls::start(const QDBusConnection &bus)
{
    bus_ = bus;
    if (!bus_.isConnected()) {
        qCDebug(lcDesktop) << "no session bus: no media controls";
        return false;
    }
    if (!bus_.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
        qCInfo(lcDesktop) << "media controls not exported:" << bus_.lastError().message();
        return false;
    }
    // The convention for a second player of the same kind on one desktop.
    const QString name = QString::fromLatin1(kService);
    for (const QString &candidate :
         {name, name + ".instance" + QString::number(QCoreApplication::applicationPid())}) {
        if (bus_.registerService(candidate)) {
            service_ = candidate;
            qCDebug(lcDesktop) << "media controls on the bus as" << service_;
            return true;
        }
    }
    qCInfo(lcDesktop) << "media controls without a name:" << bus_.lastError().message();
    bus_.unregisterObject(kObjectPath);
    return false;
}

void MediaControls::setPositionSource(std::function<double()> position)
{
    position_ = std::move(position);
}

double MediaControls::position() const
{
    return state_.path.isEmpty() ? 0.0 : position_();
}

void MediaControls::setRateLimits(double minimum, double maximum)
{
    minimumRate_ = minimum;
    maximumRate_ = maximum;
}

void MediaControls::update(const State &state)
{
    if (state == state_)
        return;
    const QVariantMap before = playerProperties();
    state_ = state;
    announceChanges(kPlayerInterface, before, playerProperties());
}

void MediaControls::announceSeek(double seconds)
{
    // The adaptor's signal goes out on the bus once the object is exported.
    emit findChild<MprisPlayerAdaptor *>()->Seeked(microseconds(seconds));
}

// Without Position, which the desktop reads when it needs it and learns
// about jumps of from Seeked.
QVariantMap MediaControls::playerProperties() const
{
    const auto *player = findChild<MprisPlayerAdaptor *>();
    QVariantMap properties;
    for (const char *name : {"PlaybackStatus", "Rate", "LoopStatus", "Shuffle", "Metadata",
                             "Volume", "MinimumRate", "MaximumRate", "CanGoNext", "CanGoPrevious",
                             "CanPlay", "CanPause", "CanSeek", "CanControl"})
        properties.insert(name, player->property(name));
    return properties;
}

void MediaControls::announceChanges(const QString &interface, const QVariantMap &before,
                                    const QVariantMap &after)
{
    if (service_.isEmpty())
        return;
    QVariantMap changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    bus_.send(signal);
}

QString MediaControls::trackId() const
{
    if (state_.path.isEmpty())
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/org/sazanami/track/%1").arg(state_.trackNumber);
}

QVariantMap MediaControls::metadata() const
{
    QVariantMap data;
    data.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId())));
    if (state_.path.isEmpty())
        return data;
    data.insert(QStringLiteral("xesam:title"), state_.title);
    data.insert(QStringLiteral("xesam:url"), fileUri(state_.path));
    if (state_.lengthSeconds > 0)
        data.insert(QStringLiteral("mpris:length"), microseconds(state_.lengthSeconds));
    if (!state_.artPath.isEmpty())
        data.insert(QStringLiteral("mpris:artUrl"), fileUri(state_.artPath));
    return data;
}

// Past the end counts as the next movie, before the start as the start.
void MediaControls::seekBy(qint64 offsetMicroseconds)
{
    if (state_.path.isEmpty())
        return;
    const double target = position() + double(offsetMicroseconds) / 1e6;
    if (state_.lengthSeconds > 0 && target > state_.lengthSeconds) {
        emit nextWanted();
        return;
    }
    emit positionWanted(qMax(0.0, target));
}

// Ignored unless it names the movie loaded and a place inside it.
void MediaControls::setPosition(const QString &trackId, qint64 microseconds)
{
    const double seconds = double(microseconds) / 1e6;
    if (state_.path.isEmpty() || trackId != this->trackId() || seconds < 0 ||
        (state_.lengthSeconds > 0 && seconds > state_.lengthSeconds))
        return;
    emit positionWanted(seconds);
}

void MediaControls::openUri(const QString &uri)
{
    // By the bytes of the name, which need not be UTF-8 ("%93%AE" in the
    // address).
    const QString path = uri.startsWith(u'/') ? uri : native_path::fromFileUrl(uri);
    if (!native_path::isFile(path)) {
        qCInfo(lcDesktop) << "OpenUri: not a local file:" << uri;
        return;
    }
    emit openWanted(path);
}

#include "media_controls.moc"
