#pragma once

#include <QWidget>

class QTextLayout;

// A fixed help text on silver, in dark grey, wrapped at the label's width.
// Unlike QLabel it can set its lines a given pitch apart, so a text keeps the
// line count it was written for when the substitute face is taller.
class HelpLabel : public QWidget
{
    Q_OBJECT
public:
    // `pitch` is the distance between lines in pixels; 0 takes the font's own.
    HelpLabel(const QString &name, const QRect &twips, const QString &text, const QFont &font,
              int pitch, QWidget *parent);

    QString text() const { return m_text; }
    // Height of the wrapped text, from the label's top to its last line's bottom.
    int textHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Wraps the text into `layout`; returns the bottom of its last line.
    int layOut(QTextLayout &layout) const;

    const QString m_text;
    const int m_pitch;
};

// `font`, a monospaced face, with its characters `advance` pixels apart.
QFont withAdvance(QFont font, qreal advance);
