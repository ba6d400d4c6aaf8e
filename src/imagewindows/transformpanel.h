#pragma once

#include "core/commandtable.h"
#include "transform/bandpair.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The transformation to the standard system in "Misura su immagine": the
// coefficients' file, the last image of each filter sent to the sheet with a
// sequence, and the button that transforms a pair of them into two records
// of the AAVSO log.
class TransformPanel : public QWidget
{
    Q_OBJECT
public:
    // What `context` refers to must outlive the panel.
    TransformPanel(const Context &context, QWidget *parent);

    // Keeps `band` as its filter's last image.
    void measured(const Transform::BandMeasurement &band);

    static inline const QString CoefficientsTitle = QStringLiteral("Apri coefficienti");
    static inline const QString CoefficientsFiles =
        QStringLiteral("Coefficienti di trasformazione (*.ini *.txt);;Tutti i file (*)");
    static inline const QString NoCoefficients = QStringLiteral("Nessun coefficiente di trasformazione");
    static inline const QString CoefficientsKey = QStringLiteral("measure/coefficients");

private:
    void openCoefficients();
    void load(const QString &path);
    void update();
    void transformPair();

    const Context m_context;
    Transform::Coefficients m_coefficients;
    Transform::Bands m_bands;
    QString m_lastFilter;
    std::optional<Transform::Pair> m_pair; // the pair the button transforms

    QLabel *m_summary = nullptr;
    QPushButton *m_transform = nullptr;
    QLabel *m_result = nullptr;
};
