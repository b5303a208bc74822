#include "audio/system_volume.h"

#include "audio/audio_log.h"
#include "base/audio_gain.h"
#include "base/native_path.h"
#include "base/private_profile.h"

#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <pulse/pulseaudio.h>

namespace
{

// A server that does not answer within this time counts as absent.
constexpr int kAnswerMs = 1500;

const char *const kSection = "waveout";

QString joined(const std::vector<std::uint32_t> &channels)
{
    QStringList parts;
    for (std::uint32_t v : channels)
        parts << QString::number(v);
    return parts.join(',');
}

std::vector<std::uint32_t> split(const QString &text)
{
    std::vector<std::uint32_t> channels;
    for (const QString &part : text.split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint v = part.toUInt(&ok);
        if (!ok || v > PA_VOLUME_MAX)
            return {};
        channels.push_back(v);
    }
    return channels;
}

bool isRightHand(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_REAR_RIGHT:
    case PA_CHANNEL_POSITION_SIDE_RIGHT:
    case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
    case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
        return true;
    default:
        return false;
    }
}

} // namespace

// One connection to the sound server, driven synchronously with a time limit
// on every wait.
class SystemVolume::Connection
{
public:
    Connection()
    {
        loop_ = pa_mainloop_new();
        if (!loop_)
            return;
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "Sazanami");
        if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        waitFor([this] {
            const pa_context_state_t state = pa_context_get_state(context_);
            return !PA_CONTEXT_IS_GOOD(state) || state == PA_CONTEXT_READY;
        });
        ready_ = pa_context_get_state(context_) == PA_CONTEXT_READY;
        if (!ready_)
            qCInfo(lcAudio) << "no sound server: the system volume is left alone";
    }

    ~Connection()
    {
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_)
            pa_mainloop_free(loop_);
    }

    bool ready() const { return ready_ && PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); }
    pa_context *context() const { return context_; }

    // Runs the server's operation to its end; false when it does not end in
    // time.
    bool finish(pa_operation *operation)
    {
        if (!operation)
            return false;
        const bool done = waitFor(
            [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
        if (!done)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return done;
    }

private:
    bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > kAnswerMs)
                return false;
            if (pa_mainloop_prepare(loop_, 50 * 1000) < 0 || pa_mainloop_poll(loop_) < 0 ||
                pa_mainloop_dispatch(loop_) < 0)
                return false;
        }
        return true;
    }

    pa_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    bool ready_ = false;
};

SystemVolume::SystemVolume(QString restoreFile) : restoreFile_(std::move(restoreFile))
{
    // Left behind by a run that ended before it could give the volume back.
    if (native_path::isTaken(restoreFile_)) {
        recorded_ = true;
        restore();
    }
}

SystemVolume::~SystemVolume() = default;

std::optional<SystemVolume::Output> SystemVolume::defaultOutput()
{
    if (!connection_)
        connection_ = std::make_unique<Connection>();
    if (!connection_->ready())
        return std::nullopt;

    QString name;
    pa_operation *info = pa_context_get_server_info(
        connection_->context(),
        [](pa_context *, const pa_server_info *server, void *out) {
            if (server && server->default_sink_name)
                *static_cast<QString *>(out) = QString::fromUtf8(server->default_sink_name);
        },
        &name);
    if (!connection_->finish(info) || name.isEmpty())
        return std::nullopt;
    return outputNamed(name);
}

std::optional<SystemVolume::Output> SystemVolume::outputNamed(const QString &name)
{
    if (!connection_ || !connection_->ready())
        return std::nullopt;
    std::optional<Output> found;
    pa_operation *sink = pa_context_get_sink_info_by_name(
        connection_->context(), name.toUtf8().constData(),
        [](pa_context *, const pa_sink_info *sink, int eol, void *out) {
            if (eol || !sink)
                return;
            Output output;
            output.name = QString::fromUtf8(sink->name);
            for (int i = 0; i < sink->volume.channels; ++i) {
                output.channels.push_back(sink->volume.values[i]);
                output.rightSide.push_back(isRightHand(sink->channel_map.map[i]));
            }
            *static_cast<std::optional<Output> *>(out) = output;
        },
        &found);
    if (!connection_->finish(sink))
        return std::nullopt;
    return found;
}

bool SystemVolume::setChannels(const QString &name, const std::vector<std::uint32_t> &channels)
{
    if (!connection_ || !connection_->ready() || channels.empty() ||
        channels.size() > PA_CHANNELS_MAX)
        return false;
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    volume.channels = std::uint8_t(channels.size());
    for (size_t i = 0; i < channels.size(); ++i)
        volume.values[i] = channels[i];
    int success = 0;
    pa_operation *set = pa_context_set_sink_volume_by_name(
        connection_->context(), name.toUtf8().constData(), &volume,
        [](pa_context *, int ok, void *out) { *static_cast<int *>(out) = ok; }, &success);
    return connection_->finish(set) && success;
}

std::uint32_t SystemVolume::get_wave_volume()
{
    const std::optional<Output> output = defaultOutput();
    if (!output || output->channels.empty())
        return 0;
    // Left: the first left-hand (or only) channel; right: the first
    // right-hand one, else the left again.
    std::uint32_t left = output->channels.front();
    std::uint32_t right = left;
    for (size_t i = 0; i < output->channels.size(); ++i) {
        if (output->rightSide[i]) {
            right = output->channels[i];
            break;
        }
    }
    return std::uint32_t(audio_gain::levelFromPulseVolume(left)) |
           std::uint32_t(audio_gain::levelFromPulseVolume(right)) << 16;
}

void SystemVolume::set_wave_volume(std::uint32_t word)
{
    std::optional<Output> output = defaultOutput();
    if (!output)
        return;
    const std::uint32_t left = audio_gain::pulseVolumeFromLevel(std::uint16_t(word & 0xFFFFu));
    const std::uint32_t right = audio_gain::pulseVolumeFromLevel(std::uint16_t(word >> 16));
    std::vector<std::uint32_t> wanted;
    for (size_t i = 0; i < output->channels.size(); ++i)
        wanted.push_back(output->rightSide[i] ? right : left);
    if (!recorded_) {
        // Before the first change: what to give back at the end.
        writeRestoreFile(*output, wanted);
        recorded_ = true;
    } else {
        PrivateProfile file = PrivateProfile::load(restoreFile_);
        if (file.readString(kSection, "sink") == output->name) {
            file.writeString(kSection, "set", joined(wanted));
            file.save(restoreFile_);
        }
    }
    if (!setChannels(output->name, wanted))
        qCInfo(lcAudio) << "the volume of" << output->name << "could not be set";
}

void SystemVolume::writeRestoreFile(const Output &found,
                                    const std::vector<std::uint32_t> &set) const
{
    PrivateProfile file;
    file.writeString(kSection, "sink", found.name);
    file.writeString(kSection, "found", joined(found.channels));
    file.writeString(kSection, "set", joined(set));
    if (!file.save(restoreFile_))
        qCInfo(lcAudio) << "cannot keep the system volume in" << restoreFile_;
}

void SystemVolume::restore()
{
    if (!recorded_)
        return;
    const PrivateProfile file = PrivateProfile::load(restoreFile_);
    const QString sink = file.readString(kSection, "sink");
    const std::vector<std::uint32_t> found = split(file.readString(kSection, "found"));
    const std::vector<std::uint32_t> set = split(file.readString(kSection, "set"));
    if (!connection_)
        connection_ = std::make_unique<Connection>();
    if (!connection_->ready())
        return; // no server now: given back at the next start
    recorded_ = false;
    native_path::removeFile(restoreFile_);
    if (sink.isEmpty() || found.empty())
        return;
    // Only if the output is still there with the volume the program gave it:
    // a volume the user set meanwhile stays.
    const std::optional<Output> output = outputNamed(sink);
    if (!output || output->channels != set || found.size() != set.size()) {
        qCInfo(lcAudio) << "the volume of" << sink << "was changed meanwhile; left as it is";
        return;
    }
    if (!setChannels(sink, found))
        qCInfo(lcAudio) << "the volume of" << sink << "could not be given back";
}
