#include "fields.h"

#include <algorithm>

namespace Fields {

namespace {

const Description *find(const QString &field)
{
    const QList<Description> &fields = table();
    const auto it = std::find_if(fields.begin(), fields.end(), [&field](const Description &d) {
        return field == QLatin1String(d.name);
    });
    return it == fields.end() ? nullptr : &*it;
}

} // namespace

const QList<Description> &table()
{
    using namespace Field;
    static const QList<Description> fields = {
        {AduC1, "ADU Stella C1", ""},
        {AduC2, "ADU Stella C2", ""},
        {AduC3, "ADU Stella C3", ""},
        {AduVariable, "ADU Stella Variabile", ""},
        {MagnitudeC1, "Magnitudine Stella C1", ""},
        {MagnitudeC2, "Magnitudine Stella C2", ""},
        {MagnitudeC3, "Magnitudine Stella C3", ""},
        {RatioC2, "Rap. Mag. Stella C2", ""},
        {RatioC1, "Rap. Mag. Stella C1", ""},
        {RatioC3, "Rap. Mag. Stella C3", ""},
        {MagnitudeVariable, "Magnitudine Stella Variabile", ""},
        {MagnitudeWithC1, "Mag. con C1", ""},
        {MagnitudeWithC2, "Mag. con C2", ""},
        {MagnitudeWithC3, "Mag. con C3", ""},
        {MagnitudeError, "Errore Mag.", ""},
        {RatioVariable, "Rap. Mag. Stella Variabile", ""},
        {Date, "Data:", ""},
        {JulianDate, "JD:", ""},
        {Author, "Autore:", ""},
        {Object, "Oggetto:", ""},
        {Notes, "note:", ""},
        {Filter, "Filtro:", ""},
        {ColourC1, "(B-V) C1", ""},
        {ColourC2, "(B-V) C2", ""},
        {ColourC3, "(B-V) C3", ""},
        {ColourVariable, "(B-V) Var.", ""},
        {Slope, "Pendenza eq. m", ""},
        {Calibrated, "Magnitudine calibrata", ""},
        {CalibratedError, "Errore mag. calibrata", ""},
        {CalibratedWithC1, "Mag.con C1 calibrata", ""},
        {CalibratedWithC2, "Mag.con C2 calibrata", ""},
        {CalibratedWithC3, "Mag.con C3 calibrata", ""},
        {TemperatureC1, "temp.C1", ""},
        {TemperatureC2, "temp.C2", ""},
        {TemperatureC3, "temp.C3", ""},
        {TemperatureVariable, "temp.Var.", ""},
        {TypedTemperature, "Temperatura variabile", ""},
        {ReportFile, "Nome del file della misura", "C:\\fotometria.txt"},
    };
    return fields;
}

const QStringList &all()
{
    static const QStringList names = [] {
        QStringList n;
        for (const Description &d : table())
            n << QLatin1String(d.name);
        return n;
    }();
    return names;
}

QString description(const QString &field)
{
    const Description *d = find(field);
    return d ? QString::fromUtf8(d->description) : field;
}

QString initialText(const QString &field)
{
    const Description *d = find(field);
    return d ? QString::fromUtf8(d->initialText) : QString();
}

} // namespace Fields
