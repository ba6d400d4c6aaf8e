#include "suggestionwindow.h"

#include "pictures.h"
#include "ui/appsetup.h"

#include <QLabel>

SuggestionWindow::SuggestionWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Suggerimento "));
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(855, 61); // 12825 x 915 twips

    auto *strip = new QLabel(this);
    strip->setObjectName(QStringLiteral("Image1"));
    strip->setPixmap(QPixmap::fromImage(suggestionStrip()));
    strip->setGeometry(0, 0, 850, 57);
    // The strip is a picture: a screen reader reads its lines from here.
    QStringList lines;
    for (const QList<Phrase> &line : suggestionLines()) {
        QString text;
        for (const Phrase &phrase : line)
            text += phrase.text;
        lines << text;
    }
    strip->setAccessibleName(lines.join(QLatin1Char('\n')));
}
