#include "media/audio_outputs.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <unistd.h>

namespace audio_outputs
{

QByteArray choose(const Machine &machine, bool debugLog)
{
    if (debugLog)
        return QByteArray();
    QList<QByteArray> outputs;
    if (machine.pipewire)
        outputs << "pipewire";
    if (machine.pulse)
        outputs << "pulse";
    if (machine.soundCard)
        outputs << "alsa";
    if (outputs.isEmpty())
        outputs << "null";
    return outputs.join(',');
}

Machine thisMachine()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        runtime = QStringLiteral("/run/user/%1").arg(::getuid());
    Machine machine;
    machine.pipewire = !qEnvironmentVariableIsEmpty("PIPEWIRE_REMOTE") ||
                       QFileInfo::exists(runtime + "/pipewire-0");
    machine.pulse = !qEnvironmentVariableIsEmpty("PULSE_SERVER") ||
                    QFileInfo::exists(runtime + "/pulse/native") ||
                    QFileInfo::exists(QStringLiteral("/run/pulse/native"));
    machine.soundCard = !QDir(QStringLiteral("/dev/snd"))
                             .entryList({QStringLiteral("pcmC*p")}, QDir::System)
                             .isEmpty();
    return machine;
}

} // namespace audio_outputs
