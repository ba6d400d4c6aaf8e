#pragma once

#include "calibration/setup.h"
#include "core/commandtable.h"
#include "ui/backgroundjob.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressDialog;
class QTableWidget;

// "Calibrazione delle immagini": the night's bias, dark and flat frames
// listed, their masters made and saved, and the choice to calibrate every
// image measured. Beside the measuring window, whose setup it shows.
class CalibrationWindow : public QWidget
{
    Q_OBJECT
public:
    // `setup` and what `context` refers to must outlive the window.
    CalibrationWindow(const Context &context, Calibration::Setup &setup, QWidget *parent);
    ~CalibrationWindow() override;

    static inline const QString Title = QStringLiteral("Calibrazione delle immagini");
    static inline const QString FolderTitle = QStringLiteral("Cartella dei quadri di calibrazione");
    static inline const QString MastersFolderTitle = QStringLiteral("Cartella dei master");
    static inline const QString LightsTitle = QStringLiteral("Scegli le immagini da calibrare");
    static inline const QString CopiesFolderTitle = QStringLiteral("Cartella delle immagini calibrate");
    static inline const QStringList ChooseTitles = {QStringLiteral("Scegli i bias"), QStringLiteral("Scegli i dark"),
                                                    QStringLiteral("Scegli i flat")};
    static inline const QStringList Columns = {
        QStringLiteral("File"),         QStringLiteral("Tipo"),      QStringLiteral("Filtro"),
        QStringLiteral("Posa (s)"),     QStringLiteral("Temperatura (°C)"), QStringLiteral("Dimensioni"),
        QStringLiteral("Note")};
    static inline const QStringList Methods = {QStringLiteral("Mediana"), QStringLiteral("Media con scarto a 3 σ")};
    // %1: the file.
    static inline const QString Replace = QStringLiteral("Il file \"%1\" esiste già: sostituirlo?");
    static inline const QString NotSaved = QStringLiteral("Impossibile scrivere \"%1\": il master non è stato salvato.");
    static inline const QString Cancelled = QStringLiteral("Creazione dei master annullata: nessun master è cambiato.");
    static inline const QString Making = QStringLiteral("Creazione dei master...");
    // %1: how many copies, %2: the folder.
    static inline const QString CopiesSaved = QStringLiteral("Salvate %1 immagini calibrate in %2.");
    static inline const QString OwnFolder = QStringLiteral(
        "Scegliere una cartella diversa da quella di \"%1\": l'originale non si sovrascrive.");

private:
    void addFolder();
    void addChosen(Calibration::FrameKind kind);
    void removeSelected();
    void makeMasters();
    void mastersMade();
    void saveCopies();
    void showFrames();
    void showMasters();
    void warnAll(const QStringList &problems);
    // Whether the file at `path` may be written: none there, or "Sì" to replacing it.
    bool mayWrite(const QString &path);

    const Context &m_context;
    Calibration::Setup &m_setup;
    QTableWidget *m_frames = nullptr;
    QLabel *m_status = nullptr;
    QComboBox *m_method = nullptr;
    QLabel *m_masters = nullptr;
    QCheckBox *m_apply = nullptr;
    QProgressDialog *m_progress = nullptr;
    Calibration::Built m_built; // the job's, until it ends
    BackgroundJob m_job;        // last: see BackgroundJob
};
