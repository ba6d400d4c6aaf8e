#pragma once

#include <QDialog>

class QLineEdit;

// "Osservazioni dall'AAVSO": the star whose observations VSX is asked for,
// and the period, each end a Julian date or a date "gg/mm/aaaa".
class ObservationsDialog : public QDialog
{
    Q_OBJECT
public:
    ObservationsDialog(const QString &star, QWidget *parent);

    QString star() const;
    QString from() const;
    QString to() const;

    static inline const QString Title = QStringLiteral("Osservazioni dall'AAVSO");

signals:
    // "Scarica": the window checks the boxes and closes the dialog once it may ask.
    void downloadAsked();

private:
    QLineEdit *m_star;
    QLineEdit *m_from;
    QLineEdit *m_to;
};
