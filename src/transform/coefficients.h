#pragma once
// The transformation coefficients of an observer's telescope, camera and
// filters, as the AAVSO's Transform Generator saves them for its Transform
// Applier: an INI file with [Setup] (free text), [Coefficients] ("Tbv=1.182")
// and [Error] (each coefficient's standard error, by the same names).

#include <QList>
#include <QString>

#include <optional>

namespace Transform {

struct Coefficient
{
    QString name; // as the file writes it
    double value = 0;
};

struct Coefficients
{
    QString description;       // [Setup] description, as written
    QList<Coefficient> values; // [Coefficients], in the file's order
    QList<Coefficient> errors; // [Error], in the file's order

    // By name in any letter case, as INI files are read.
    std::optional<double> value(const QString &name) const;
    // Zero for a coefficient the file gives no error for.
    double error(const QString &name) const;
};

struct CoefficientsRead
{
    Coefficients coefficients;
    QString problem; // when not empty: why the file was refused, for the user
};

// Reads the file at `path`. Either "." or "," is the decimal separator; lines
// starting with ";" or "#" are comments; sections other than the three are
// passed over, and so is a key with nothing after "=" (a coefficient the
// generator did not compute). A coefficient beyond MostCoefficient either
// way, and a negative or infinite error, refuse the file. Folders, pipes and devices are refused without
// waiting, as every reader of the program does.
CoefficientsRead readCoefficients(const QString &path);

// "Coefficienti: Tbv 1.182, Tb_bv 0.039": every coefficient read, in the
// file's order, with three decimals and ".".
QString summary(const Coefficients &coefficients);

// A number as every text of this library writes it: three decimals, ".",
// and no minus before a value that rounds to zero.
QString threeDecimals(double value);

// Why a file is refused. %1: the file's name.
inline const QString NoSuchFile = QStringLiteral("Il file dei coefficienti \"%1\" non esiste.");
inline const QString IsFolder = QStringLiteral("\"%1\" è una cartella, non un file dei coefficienti.");
inline const QString NotRegularFile = QStringLiteral("\"%1\" non è un file regolare.");
inline const QString Unreadable = QStringLiteral("Il file dei coefficienti \"%1\" non può essere letto.");
inline const QString TooLarge = QStringLiteral(
    "Il file \"%1\" è troppo grande per essere un file dei coefficienti di trasformazione.");
inline const QString NotText = QStringLiteral("Il file \"%1\" non è un file di testo.");
inline const QString NoCoefficients = QStringLiteral(
    "Il file \"%1\" non contiene coefficienti di trasformazione: manca la sezione "
    "[Coefficients] o è vuota.");
// %2: the key, %3: its section, %4: the value as written.
inline const QString NotANumber = QStringLiteral(
    "Nel file \"%1\" il valore di %2 nella sezione [%3] non è un numero: \"%4\".");
// A coefficient is at most this far from zero: real ones stay under 1, and
// a larger one moves a magnitude by whole magnitudes.
constexpr double MostCoefficient = 2;
// %2: the key, %3: the value as written, %4: MostCoefficient.
inline const QString OutOfRange = QStringLiteral(
    "Nel file \"%1\" il coefficiente %2 vale %3: un coefficiente di trasformazione va da -%4 a %4.");
// %2: the key, %3: the value as written.
inline const QString BadError = QStringLiteral(
    "Nel file \"%1\" l'errore di %2 nella sezione [Error] vale %3: un errore non può essere negativo "
    "né infinito.");
// %2: the key, %3: its section.
inline const QString Repeated = QStringLiteral(
    "Nel file \"%1\" la chiave %2 compare due volte nella sezione [%3]: non si sa quale "
    "valore usare.");

} // namespace Transform
