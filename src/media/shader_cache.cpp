#include "media/shader_cache.h"

#include "base/folder_file.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace shader_cache
{

QString folder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    if (!QFileInfo::exists(cache) &&
        folder_file::prepareFolder(cache) != folder_file::Result::Written)
        return {};
    QString path = cache;
    for (const char *part : {"sazanami", "shaders"}) {
        path += QLatin1Char('/') + QLatin1String(part);
        folder_file::Folder opened;
        if (opened.open(path, folder_file::Folder::Missing::Make) != folder_file::Result::Written ||
            !opened.makePrivate())
            return {};
    }
    return path;
}

} // namespace shader_cache
