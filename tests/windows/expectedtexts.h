#pragma once

// The help texts as the user must read them, character for character.

#include <QStringList>

namespace Expected {

inline const QString T1 = QString::fromUtf8(
        R"~(Nelle caselle bianche vanno inseriti i dati imput,mentre nelle caselle grigie si determineranno )~"
        R"~( i dati output di calcolo. Nelle caselle bianche sè occorre inserire un dato numerico )~"
        R"~(con la virgola bisogna inserire il punto invece della virgola.Nelle caselle gialle invece )~"
        R"~(saranno inseriti i dati in modalità manuale sull'ora e sulla data del campo stellare che )~"
        R"~(si sta misurando,in modo da registrare il tutto su un'eventuale stampa oppure sul salvataggio )~"
        R"~(di una cartella specifica in formato testo,es.C:\variabile.txt. Si può salvare anche il )~"
        R"~(valore di magnitudine delle tre stelle di confronto su di un percorso automatico C:\C1.txt,C2.txt,C3.txt,poi )~"
        R"~(eventualmente richiamato dai pulsanti "Carica la stella di confronto".La versione 1.3 )~"
        R"~(introduce la calibrazione fotometrica,dove i dati imput saranno sempre le caselle bianche )~"
        R"~(e i dati output le caselle grigie.Accanto alle caselle bianche della calibrazione fotometrica )~"
        R"~(troviamo i pulsanti "carica" e "salva" riferiti  alle suddette caselle bianche adiacenti.Nel )~"
        R"~(pulsante "Salva  Misura in C:\.... .txt" vengono aggiunti  anche i dati della calibrazione )~"
        R"~(fotometrica.La "pendenza equazione m" viene ricavata dal confronto strumentale della propria )~"
        R"~(strumentazione con quella  standard dei professionisti,graficando in ascisse la differenza )~"
        R"~(tra la magnitudine di catalogo dei professionisti con la propria magnitudine strumentale )~"
        R"~(e in ordinate l'indice di colore.L'inclinazione della linea di tendenza  determinata dall'equazione )~"
        R"~(lineare del foglio elettronico ricava la pendenza m.)~");

inline const QString T2 = QString::fromUtf8(
        R"~(Nell'esempio del grafico a sinistra abbiamo una pendenza positiva di 0,03,questo vuol )~"
        R"~(dire che la mia strumentazione tende ad essere meno performante nel blu rispetto al rosso )~"
        R"~(nel confronto delle strumentazioni standard professionali.)~");

inline const QString T3 = QString::fromUtf8(
        R"~(Opzionale si potrebbe aggiungere nella casella di testo "temperatura stella variabile...."la )~"
        R"~(temperatura ricavata dallo spettro,per poter poi con il pulsante " B-V variabile" dare )~"
        R"~(un indice di colore più reale della stella variabile rispetto al catalogo.La stella variabile )~"
        R"~(potrebbe cambiare nel corso del tempo il suo indice di colore.)~");

inline const QString T4 = QString::fromUtf8(
        R"~(I pulsanti per la determinazione della magnitudine rossa e blu delle stelle di confronto )~"
        R"~(si avvalgono dell'informazioni contenute nelle caselle B-V della sezione opzionale "calibrazione )~"
        R"~(fotometrica",e delle magnitudini V sulle rispettive caselle delle stelle di confronto.I )~"
        R"~(risultati del calcolo si sovrascriveranno nelle  caselle delle stelle di confronto precompilate )~"
        R"~(nel V.)~");

inline const QString Note = QString::fromUtf8(
        R"~(Nel menù cerca immagine il programma permette di visualizzare grafici sulla calibrazione )~"
        R"~(strumentale della misura in esame. In questo modo oltre che visualizzare e scrivere il )~"
        R"~(valore dell'equazione m,si può monitorare la linea di tendenza con le misure appena effettuate.Sè )~"
        R"~(i dati  non collimano si potrebbe prevedere  l'andamento degli indici di colore delle )~"
        R"~(stelle di confronto che solitamente non combinano con i pochi valori del grafico,così )~"
        R"~(si potrebbe ipotizzare una nuova linea di tendenza che potrebbe far tornare i valori di )~"
        R"~(errore a livelli più bassi.Sono tentativi empirici e discutibili comunque il software )~"
        R"~(salva entrambe le misure,non calibrate e calibrate,lasciando la prima misura non calibrata )~"
        R"~(fedele ai calcoli standard.Le immagini devono essere Gif,Jpg,o Bmp in formato possibilmente )~"
        R"~(15x10cm a 72 pixel/pollice,altrimenti il software và in errore. )~");

// The suggestion strip: "[red: ...]" and "[blue: ...]" mark the coloured phrases.
inline const QStringList StripLines = {
    QString::fromUtf8(R"~(equazione m+ con [red: Confronto rossa] & [blue: Variabile blu]=[blue: Variabile blu] non calibrata è più bedole della [blue: Variabile blu] calibrata)~"),
    QString::fromUtf8(R"~(equazione m+ con [blue: Confronto blu] & [red: Variabile rossa]=[red: Variabile rossa] non calibrata è più luminosa della [red: Variabile rossa] calibrata)~"),
    QString::fromUtf8(R"~(equazione m- con [red: Confronto rossa] & [blue: Variabile blu]=[blue: Variabile blu] non calibrata è più luminosa della [blue: variabile blu] calibrata)~"),
    QString::fromUtf8(R"~(equazione m- con [blue: Confronto blu] & [red: Variabile rossa]=[red: Variabile rossa] non calibrata è più debole della [red: Variabile rossa] calibrata)~"),
};

} // namespace Expected
