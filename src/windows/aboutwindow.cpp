#include "aboutwindow.h"

#include "ui/fixeddialog.h"

#include "core/version.h"
#include "ui/appsetup.h"
#include "ui/linecontrol.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

using Twips::place;

namespace {

QLabel *label(const char *name, int left, int top, int width, int height, QWidget *parent)
{
    auto *label = place(new QLabel(parent), name, left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

AboutWindow::AboutWindow(Messages &messages, SysInfoLookup lookup, QWidget *parent)
    : QDialog(parent), m_messages(messages), m_lookup(std::move(lookup))
{
    setUpFixedDialog(*this, QStringLiteral("frmAbout"), {382, 237}); // 5730 x 3555 twips
    setWindowIcon(appIcon());
    setFont(Look::msSansSerif(8));
    buildControls();

    setWindowTitle(QStringLiteral("Informazioni su ") + AppTitle);
    findChild<QLabel *>(QStringLiteral("lblVersion"))
        ->setText(QStringLiteral("Versione ") + Version::Full);
    findChild<QLabel *>(QStringLiteral("lblTitle"))->setText(AppTitle);
}

void AboutWindow::buildControls()
{
    QLabel *icon = label("picIcon", 240, 240, 540, 540, this);
    icon->setPixmap(appIcon().pixmap(32, 32));

    // The blanks push "Software" to the second line, leaving the first free
    // for the version and the title to the right of the name.
    QLabel *description = label("lblDescription", 960, 240, 3885, 570, this);
    description->setWordWrap(true);
    description->setText(QStringLiteral("Vevurid ") + Version::MajorMinor
                         + QString(54, QLatin1Char(' '))
                         + QStringLiteral("Software  per il calcolo fotometrico delle stelle "
                                          "variabili con tre stelle di confronto."));
    description->setFixedHeight(std::max(description->height(),
                                         description->heightForWidth(description->width())));
    // Wide enough for "Versione 1.4.3" in this face.
    label("lblVersion", 2160, 240, 1500, 225, this);
    label("lblTitle", 3840, 240, 900, 240, this);
    label("lblDisclaimer", 240, 3120, 3870, 345, this);

    // Line1(1) grey and Line1(0) white below it: an etched separator.
    for (auto *line : {new LineControl({6, 163}, {377, 163}, QColor(128, 128, 128), 1, this),
                       new LineControl({7, 164}, {377, 164}, Qt::white, 2, this)})
        line->setObjectName(QStringLiteral("Line1"));

    auto *ok = place(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 4245, 2625, 1260, 345);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    auto *sysInfo = place(new QPushButton(QStringLiteral("&System Info..."), this), "cmdSysInfo",
                          4260, 3075, 1245, 345);
    connect(sysInfo, &QPushButton::clicked, this, &AboutWindow::startSysInfo);
    setTabOrder(ok, sysInfo);
}

QString AboutWindow::findSysInfoTool()
{
    for (const char *tool : {"hardinfo", "gnome-system-monitor", "kinfocenter"}) {
        QString path = QStandardPaths::findExecutable(QLatin1String(tool));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void AboutWindow::startSysInfo()
{
    const QString tool = m_lookup();
    // Started directly, without a shell, so a path with blanks needs no quoting.
    if (tool.isEmpty() || !QProcess::startDetached(tool, {}))
        m_messages.show(AppTitle, MessageIcon::None,
                        QStringLiteral("Le informazioni sul sistema non sono attualmente "
                                       "disponibili."));
}
