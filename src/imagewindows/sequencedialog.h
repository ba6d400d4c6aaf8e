#pragma once

#include <QDialog>

class QLineEdit;

// "Scarica sequenza": the star (or chart ID) whose comparison sequence the
// AAVSO's VSP is asked for, the field around it and the faintest magnitude.
class SequenceDialog : public QDialog
{
    Q_OBJECT
public:
    // `fieldArcmin`: the image's diagonal, or DefaultField without sky coordinates.
    SequenceDialog(const QString &star, double fieldArcmin, QWidget *parent);

    QString star() const;
    // NaN when the box holds no positive number.
    double fieldArcmin() const;
    double magnitudeLimit() const;

    static inline const QString Title = QStringLiteral("Scarica sequenza");
    static constexpr double DefaultField = 30;
    static constexpr double DefaultLimit = 16.5;

signals:
    // "Scarica": the window checks the boxes and closes the dialog once it may ask.
    void downloadAsked();

private:
    QLineEdit *m_star;
    QLineEdit *m_field;
    QLineEdit *m_limit;
};
