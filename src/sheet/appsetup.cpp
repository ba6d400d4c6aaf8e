#include "appsetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleFactory>

#include <cmath>

void setupApplication(QApplication &app)
{
    // Debian ships an outline Tahoma with Wine, outside fontconfig's folders.
    for (const char *file : {"tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + file);
    // Metric-compatible faces for the rest; Wine's bitmap MS Sans Serif and
    // Courier render badly, so they are never used.
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("CG Omega"), QStringLiteral("Liberation Sans Narrow"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));

    // The classic style paints a button's palette colour as it is, with no gradient.
    app.setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    app.setWindowIcon(appIcon());
}

QIcon appIcon()
{
    // A bright star above a light curve.
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(0, 0, 64));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double angle = 3.14159265358979 / 5 * i - 3.14159265358979 / 2;
        const double r = i % 2 ? 4.0 : 10.0;
        const QPointF point(16 + r * std::cos(angle), 13 + r * std::sin(angle));
        i ? star.lineTo(point) : star.moveTo(point);
    }
    star.closeSubpath();
    p.fillPath(star, QColor(255, 220, 64));
    p.setPen(QPen(QColor(0, 192, 0), 2));
    p.drawPolyline(QPolygon({{2, 28}, {8, 25}, {14, 29}, {20, 24}, {26, 27}, {30, 25}}));
    p.end();
    return QIcon(pixmap);
}
