#include "test_files.h"

#include <QFile>

namespace test_files
{

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QString installProgramCopy(const QString &folder)
{
    const QString program = folder + "/sazanami";
    if (!QFile::copy(SAZANAMI_PROGRAM, program))
        return QString();
    QFile::setPermissions(program, QFile::permissions(SAZANAMI_PROGRAM));
    return program;
}

} // namespace test_files
