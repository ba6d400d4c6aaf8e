#pragma once

#include <QString>

// The fixed texts of the help windows, exactly as the user reads them: the
// doubled blanks and the missing blanks after commas are part of them.
namespace HelpTexts {

// Manual: general instructions.
inline const QString T1 = QStringLiteral(
    "Nelle caselle bianche vanno inseriti i dati imput,mentre nelle caselle grigie si "
    "determineranno  i dati output di calcolo. Nelle caselle bianche sè occorre inserire "
    "un dato numerico con la virgola bisogna inserire il punto invece della virgola.Nelle "
    "caselle gialle invece saranno inseriti i dati in modalità manuale sull'ora e sulla "
    "data del campo stellare che si sta misurando,in modo da registrare il tutto su un'eventuale "
    "stampa oppure sul salvataggio di una cartella specifica in formato testo,es.C:\\variabile.txt. "
    "Si può salvare anche il valore di magnitudine delle tre stelle di confronto su di "
    "un percorso automatico C:\\C1.txt,C2.txt,C3.txt,poi eventualmente richiamato dai "
    "pulsanti \"Carica la stella di confronto\".La versione 1.3 introduce la calibrazione "
    "fotometrica,dove i dati imput saranno sempre le caselle bianche e i dati output "
    "le caselle grigie.Accanto alle caselle bianche della calibrazione fotometrica troviamo "
    "i pulsanti \"carica\" e \"salva\" riferiti  alle suddette caselle bianche adiacenti.Nel "
    "pulsante \"Salva  Misura in C:\\.... .txt\" vengono aggiunti  anche i dati della "
    "calibrazione fotometrica.La \"pendenza equazione m\" viene ricavata dal confronto "
    "strumentale della propria strumentazione con quella  standard dei professionisti,graficando "
    "in ascisse la differenza tra la magnitudine di catalogo dei professionisti con la "
    "propria magnitudine strumentale e in ordinate l'indice di colore.L'inclinazione "
    "della linea di tendenza  determinata dall'equazione lineare del foglio elettronico "
    "ricava la pendenza m.");

// Manual: the comment on the example chart.
inline const QString T2 = QStringLiteral(
    "Nell'esempio del grafico a sinistra abbiamo una pendenza positiva di 0,03,questo "
    "vuol dire che la mia strumentazione tende ad essere meno performante nel blu rispetto "
    "al rosso nel confronto delle strumentazioni standard professionali.");

// Manual: the temperature of the variable.
inline const QString T3 = QStringLiteral(
    "Opzionale si potrebbe aggiungere nella casella di testo \"temperatura stella variabile....\"la "
    "temperatura ricavata dallo spettro,per poter poi con il pulsante \" B-V variabile\" "
    "dare un indice di colore più reale della stella variabile rispetto al catalogo.La "
    "stella variabile potrebbe cambiare nel corso del tempo il suo indice di colore.");

// Manual: the B and R buttons.
inline const QString T4 = QStringLiteral(
    "I pulsanti per la determinazione della magnitudine rossa e blu delle stelle di confronto "
    "si avvalgono dell'informazioni contenute nelle caselle B-V della sezione opzionale "
    "\"calibrazione fotometrica\",e delle magnitudini V sulle rispettive caselle delle "
    "stelle di confronto.I risultati del calcolo si sovrascriveranno nelle  caselle delle "
    "stelle di confronto precompilate nel V.");

// Note window on the image search; it ends with a blank.
inline const QString Note = QStringLiteral(
    "Nel menù cerca immagine il programma permette di visualizzare grafici sulla calibrazione "
    "strumentale della misura in esame. In questo modo oltre che visualizzare e scrivere "
    "il valore dell'equazione m,si può monitorare la linea di tendenza con le misure "
    "appena effettuate.Sè i dati  non collimano si potrebbe prevedere  l'andamento degli "
    "indici di colore delle stelle di confronto che solitamente non combinano con i pochi "
    "valori del grafico,così si potrebbe ipotizzare una nuova linea di tendenza che potrebbe "
    "far tornare i valori di errore a livelli più bassi.Sono tentativi empirici e discutibili "
    "comunque il software salva entrambe le misure,non calibrate e calibrate,lasciando "
    "la prima misura non calibrata fedele ai calcoli standard.Le immagini devono essere "
    "Gif,Jpg,o Bmp in formato possibilmente 15x10cm a 72 pixel/pollice,altrimenti il "
    "software và in errore. ");

} // namespace HelpTexts
