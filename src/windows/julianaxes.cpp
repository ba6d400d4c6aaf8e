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
    plot.xAxis->setLabel(QStringLiteral("JD − 2400000"));
    auto dates = QSharedPointer<QCPAxisTickerDateTime>::create();
    dates->setDateTimeSpec(Qt::UTC);
    plot.xAxis2->setTicker(dates);
    plot.xAxis2->setLabel(QStringLiteral("Data (UTC)"));
    plot.xAxis2->setVisible(true);
    QCPAxis *top = plot.xAxis2;
    QObject::connect(plot.xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), &plot,
                     [top, dates](const QCPRange &jd) {
                         top->setRange(unixSeconds(jd.lower), unixSeconds(jd.upper));
                         dates->setDateTimeFormat(jd.size() < 3 ? QStringLiteral("dd/MM/yyyy\nhh:mm")
                                                                : QStringLiteral("dd/MM/yyyy"));
                     });
}
