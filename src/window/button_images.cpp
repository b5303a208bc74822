#include "window/button_images.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace
{

constexpr int kSize = 24;

const QHash<QString, QString> &themeNames()
{
    static const QHash<QString, QString> names = {
        {"play", "media-playback-start"},  {"stop", "media-playback-stop"},
        {"pre", "media-skip-backward"},    {"next", "media-skip-forward"},
        {"fullscreen", "view-fullscreen"},
    };
    return names;
}

void drawTriangle(QPainter &p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.drawPath(path);
}

void drawText(QPainter &p, const QString &text)
{
    QFont font = p.font();
    font.setPixelSize(text.size() > 2 ? 9 : 11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void drawKey(QPainter &p, const QString &key, bool masked)
{
    const QColor ink = masked ? QColor(150, 150, 150) : QColor(40, 70, 120);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(ink);
    if (key == "play") {
        drawTriangle(p, {7, 5}, {19, 12}, {7, 19});
    } else if (key == "stop") {
        p.drawRect(QRectF(6, 6, 12, 12));
    } else if (key == "pre") {
        p.drawRect(QRectF(5, 6, 2, 12));
        drawTriangle(p, {19, 6}, {8, 12}, {19, 18});
    } else if (key == "next") {
        drawTriangle(p, {5, 6}, {16, 12}, {5, 18});
        p.drawRect(QRectF(17, 6, 2, 12));
    } else if (key == "size") {
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 6, 18, 12));
        p.drawRect(QRectF(7, 9, 10, 6));
    } else if (key == "fullscreen") {
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 5, 18, 14));
        drawTriangle(p, {6, 8}, {11, 8}, {6, 12});
        drawTriangle(p, {18, 16}, {13, 16}, {18, 12});
    } else if (key == "temae") {
        p.drawEllipse(QRectF(8, 3, 8, 8));
        p.drawRect(QRectF(11, 10, 2, 11));
    } else if (key == "usiro") {
        // The pin pulled out: drawn hollow.
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(8, 3, 8, 8));
        p.drawRect(QRectF(11, 12, 2, 9));
    } else if (key == "capture" || key == "capture_mask") {
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3, 7, 18, 12), 2, 2);
        p.drawEllipse(QRectF(9, 9, 7, 7));
        p.drawRect(QRectF(7, 5, 5, 2));
    } else if (key == "normal") {
        drawTriangle(p, {4, 7}, {12, 12}, {4, 17});
        p.drawRect(QRectF(15, 7, 5, 10));
    } else if (key == "rennzoku") {
        drawTriangle(p, {3, 7}, {11, 12}, {3, 17});
        drawTriangle(p, {12, 7}, {20, 12}, {12, 17});
    } else if (key == "roop") {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 5, 16, 14), 30 * 16, 300 * 16);
        p.setBrush(ink);
        drawTriangle(p, {17, 3}, {21, 9}, {14, 9});
    } else if (key == "rnd") {
        drawText(p, "?");
    } else if (key.startsWith("bai") && key.size() == 5) {
        drawText(p, key.mid(3, 1) + "." + key.mid(4, 1));
    }
}

QIcon drawnIcon(const QString &key)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawKey(painter, key, key == "capture_mask");
    painter.end();
    return QIcon(pixmap);
}

} // namespace

namespace button_images
{

QIcon image(const QString &key)
{
    static QHash<QString, QIcon> cache;
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;

    QIcon icon;
    const QString themeName = themeNames().value(key);
    if (!themeName.isEmpty())
        icon = QIcon::fromTheme(themeName);
    if (icon.isNull())
        icon = drawnIcon(key);
    cache.insert(key, icon);
    return icon;
}

} // namespace button_images
