#include "core/player.h"

#include <QApplication>
#include <QDir>
#include <clocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // libmpv parses numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Sazanami");

    StartupOptions options;
    options.arguments = QApplication::arguments().mid(1);
    options.currentDir = QDir::currentPath();

    Player player;
    if (!player.Form_Load(options))
        return 0;
    return QApplication::exec();
}
