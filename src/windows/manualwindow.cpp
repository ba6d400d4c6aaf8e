#include "manualwindow.h"

#include "ui/fixeddialog.h"
#include "helplabel.h"
#include "helptexts.h"
#include "pictures.h"
#include "ui/appsetup.h"
#include "ui/look.h"

#include <QLabel>

namespace {

// Courier 12 pt on the cell of the classic face, 9 x 16 pixels: the texts were
// written to fill their labels in it, and T1 then ends where T3 begins.
constexpr qreal CellWidth = 9;
constexpr int CellHeight = 16;

} // namespace

ManualWindow::ManualWindow(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(*this, QStringLiteral("Dialog"), {979, 629}); // 14685 x 9435 twips
    setWindowTitle(QStringLiteral("Manuale vevurid"));
    setWindowIcon(appIcon());
    paintSilver(*this);

    QFont courier(Look::family("Courier"));
    courier.setPointSize(12);
    courier = withAdvance(courier, CellWidth);
    using namespace HelpTexts;
    new HelpLabel(QStringLiteral("Label1"), {0, 0, 14655, 4335}, T1, courier, CellHeight, this);
    new HelpLabel(QStringLiteral("Label3"), {0, 3600, 14655, 975}, T3, courier, CellHeight, this);
    new HelpLabel(QStringLiteral("Label2"), {7560, 4560, 6975, 1335}, T2, courier, CellHeight,
                  this);
    new HelpLabel(QStringLiteral("Label4"), {7560, 6000, 6735, 2175}, T4, courier, CellHeight,
                  this);
    auto *chart = new QLabel(this);
    chart->setObjectName(QStringLiteral("Image1"));
    chart->setPixmap(QPixmap::fromImage(calibrationChart()));
    chart->setGeometry(0, 304, 501, 319);
}
