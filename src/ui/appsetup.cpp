#include "appsetup.h"

#include "ui/look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

#include <cmath>

namespace {

// The classic style, except for the menu bar's overflow arrow: the classic
// one is a picture file whose loading scans every image plugin, a quarter of
// the sheet's start-up for an arrow that three menus never show.
class ClassicStyle : public QProxyStyle
{
public:
    ClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        if (icon != SP_ToolBarHorizontalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        QPixmap arrow(8, 8);
        arrow.fill(Qt::transparent);
        QPainter p(&arrow);
        p.drawPolyline(QPolygon({{1, 1}, {3, 4}, {1, 7}}));
        p.drawPolyline(QPolygon({{4, 1}, {6, 4}, {4, 7}}));
        return QIcon(arrow);
    }
};

} // namespace

void setupApplication(QApplication &app)
{
    // Debian ships an outline Tahoma with Wine, outside fontconfig's folders.
    // No window writes in bold Tahoma, so its bold face is not loaded.
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    // The other classic faces stand in as their twins: see Look::family.
    // A window without a face of its own, a message box or a file dialog,
    // writes in the sheet's: the toolkit's own default would be one more face
    // to load at every start, for the boxes the sheet builds before its font.
    QApplication::setFont(Look::face("Tahoma", 8.25));

    // The classic style paints a button's palette colour as it is, with no gradient.
    auto *style = new ClassicStyle;
    style->setParent(&app); // owned by the application, as setStyle() would
    app.setStyle(style);
    app.setWindowIcon(appIcon());

    // The interface is Italian whatever the system's language, Qt's own file
    // dialogs and context menus included.
    auto *qtTexts = new QTranslator(&app);
    if (qtTexts->load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
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
