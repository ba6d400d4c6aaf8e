#include "helplabel.h"

#include "ui/look.h"
#include "ui/twips.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

HelpLabel::HelpLabel(const QString &name, const QRect &twips, const QString &text,
                     const QFont &font, int pitch, QWidget *parent)
    : QWidget(parent), m_text(text), m_pitch(pitch)
{
    using Twips::pixels;
    setObjectName(name);
    setAccessibleName(text); // painted here, so a screen reader finds no text of its own
    setFont(font);
    setGeometry(pixels(twips.x()), pixels(twips.y()), pixels(twips.width()),
                pixels(twips.height()));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(Look::Silver));
    palette.setColor(QPalette::WindowText, QColor(Look::DarkGrey));
    setPalette(palette);
    setAutoFillBackground(true);
}

int HelpLabel::layOut(QTextLayout &layout) const
{
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setText(m_text);
    layout.setFont(font());
    layout.setTextOption(option);
    const int pitch = m_pitch ? m_pitch : qRound(QFontMetricsF(font()).lineSpacing());
    int bottom = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, bottom));
        bottom += pitch;
    }
    layout.endLayout();
    return bottom;
}

int HelpLabel::textHeight() const
{
    QTextLayout layout;
    return layOut(layout);
}

void HelpLabel::paintEvent(QPaintEvent *)
{
    QTextLayout layout;
    layOut(layout);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    layout.draw(&painter, QPointF(0, 0));
}

QFont withAdvance(QFont font, qreal advance)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing,
                          advance - QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')));
    return font;
}
