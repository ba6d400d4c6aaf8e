#include "julianaxes.h"

#include "core/juliandate.h"

namespace {

double unixSeconds(double shownJd)
{
    return (shownJd + ShownJdOffset - JulianDate::UnixEpoch) * 86400;
}

} // namespace

void setJulianDateAxes(QCustomPlot &plot)
{
    plot.xAxis->setLabel(ShownJdLabel);
    auto dates = QSharedPointer<QCPAxisTickerDateTime>::create();
    dates->setDateTimeSpec(Qt::UTC);
    plot.xAxis2->setTicker(dates);
    plot.xAxis2->setLabel(QStringLiteral("Data (UTC)"));
    plot.xAxis2->setVisible(true);
    QCPAxis *bottom = plot.xAxis;
    QCPAxis *top = plot.xAxis2;
    bottom->setNumberFormat(QStringLiteral("f"));
    QObject::connect(bottom, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), &plot,
                     [bottom, top, dates](const QCPRange &jd) {
                         top->setRange(unixSeconds(jd.lower), unixSeconds(jd.upper));
                         // Enough decimals that a night's ticks differ: 60384.42, 60384.44...
                         const int decimals = jd.size() < 0.02 ? 4 : jd.size() < 0.2 ? 3 : jd.size() < 2 ? 2
                                            : jd.size() < 20 ? 1 : 0;
                         bottom->setNumberPrecision(decimals);
                         dates->setDateTimeFormat(jd.size() < 3 ? QStringLiteral("dd/MM/yyyy\nhh:mm")
                                                                : QStringLiteral("dd/MM/yyyy"));
                     });
}
