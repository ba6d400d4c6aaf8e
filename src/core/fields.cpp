#include "fields.h"

#include <QHash>

namespace Fields {

const QStringList &all()
{
    static const QStringList names = [] {
        QStringList n;
        for (int i = 1; i <= 37; ++i)
            n << QStringLiteral("Text%1").arg(i);
        n << QStringLiteral("NomeFile");
        return n;
    }();
    return names;
}

QString description(const QString &field)
{
    static const QHash<QString, QString> names = {
        {"Text1", "ADU Stella C1"},
        {"Text2", "ADU Stella C2"},
        {"Text3", "ADU Stella C3"},
        {"Text4", "ADU Stella Variabile"},
        {"Text5", "Magnitudine Stella C1"},
        {"Text6", "Magnitudine Stella C2"},
        {"Text7", "Magnitudine Stella C3"},
        {"Text8", "Rap. Mag. Stella C2"},
        {"Text9", "Rap. Mag. Stella C1"},
        {"Text10", "Rap. Mag. Stella C3"},
        {"Text11", "Magnitudine Stella Variabile"},
        {"Text12", "Mag. con C1"},
        {"Text13", "Mag. con C2"},
        {"Text14", "Mag. con C3"},
        {"Text15", "Errore Mag."},
        {"Text16", "Rap. Mag. Stella Variabile"},
        {"Text17", "Data:"},
        {"Text18", "JD:"},
        {"Text19", "Autore:"},
        {"Text20", "Oggetto:"},
        {"Text21", "note:"},
        {"Text22", "Filtro:"},
        {"Text23", "(B-V) C1"},
        {"Text24", "(B-V) C2"},
        {"Text25", "(B-V) C3"},
        {"Text26", "(B-V) Var."},
        {"Text27", "Pendenza eq. m"},
        {"Text28", "Magnitudine calibrata"},
        {"Text29", "Errore mag. calibrata"},
        {"Text30", "Mag.con C1 calibrata"},
        {"Text31", "Mag.con C2 calibrata"},
        {"Text32", "Mag.con C3 calibrata"},
        {"Text33", "temp.C1"},
        {"Text34", "temp.C2"},
        {"Text35", "temp.C3"},
        {"Text36", "temp.Var."},
        {"Text37", "Temperatura variabile"},
        {"NomeFile", "Nome del file della misura"},
    };
    return names.value(field, field);
}

} // namespace Fields
