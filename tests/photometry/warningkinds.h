#pragma once

#include "support/recordingmessages.h"

// The messages of a photometry command in short: "ADU" and "MAG" for the two
// empty-field warnings, "FAIL" for the report of a stop; anything else in full.
inline QStringList kinds(const RecordingMessages &messages)
{
    static const QString adu = QStringLiteral(
        "Il programma và in errore, la prossima volta inserisci sempre un valore su tutte le "
        "caselle di testo ADU.");
    static const QString magnitude = QStringLiteral(
        "Per una corretta magnituudine è bene inserire sempre una valore su tutte le caselle di "
        "testo MAGNITUDINE.");
    QStringList k;
    for (const Message &m : messages.shown) {
        if (m.title != QStringLiteral("VEVURID"))
            k << "title " + m.title;
        else if (m.icon == MessageIcon::None && m.text == adu)
            k << "ADU";
        else if (m.icon == MessageIcon::None && m.text == magnitude)
            k << "MAG";
        else if (m.icon == MessageIcon::Critical)
            k << "FAIL";
        else
            k << m.text;
    }
    return k;
}
