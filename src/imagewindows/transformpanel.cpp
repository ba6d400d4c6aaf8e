#include "transformpanel.h"

#include "aavso/log.h"
#include "aavso/logchoice.h"
#include "ui/fixeddialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TransformPanel::TransformPanel(const Context &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    auto *open = named(new QPushButton(QStringLiteral("Coefficienti..."), this), "cmdCoefficienti");
    connect(open, &QPushButton::clicked, this, &TransformPanel::openCoefficients);
    m_summary = named(new QLabel(NoCoefficients, this), "lblCoefficienti");
    m_transform = named(new QPushButton(Transform::buttonText(Transform::Pair::BV), this), "cmdTrasforma");
    connect(m_transform, &QPushButton::clicked, this, &TransformPanel::transformPair);
    m_result = named(new QLabel(this), "lblTrasformate");
    for (QLabel *label : {m_summary, m_result}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(open, 0, 0, Qt::AlignTop);
    layout->addWidget(m_summary, 0, 1);
    layout->addWidget(m_transform, 1, 0, Qt::AlignTop);
    layout->addWidget(m_result, 1, 1);
    layout->setColumnStretch(1, 1);

    // The file of the last session, read again: it may have changed since.
    const QString remembered = m_context.settings.value(CoefficientsKey);
    if (!remembered.isEmpty())
        load(remembered);
    update();
}

void TransformPanel::measured(const Transform::BandMeasurement &band)
{
    m_bands.insert(band.filter, band);
    m_lastFilter = band.filter;
    update();
}

void TransformPanel::openCoefficients()
{
    const QString remembered = m_context.settings.value(CoefficientsKey);
    const QString path = m_context.dialogs.openFile(
        CoefficientsTitle, remembered.isEmpty() ? QString() : QFileInfo(remembered).absolutePath(), CoefficientsFiles);
    if (path.isEmpty())
        return;
    const Transform::CoefficientsRead read = Transform::readCoefficients(path);
    if (!read.problem.isEmpty()) {
        m_context.messages.show(CoefficientsTitle, MessageIcon::Warning, read.problem); // the coefficients stay
        return;
    }
    m_context.settings.setValue(CoefficientsKey, path);
    load(path);
    update();
}

void TransformPanel::load(const QString &path)
{
    const Transform::CoefficientsRead read = Transform::readCoefficients(path);
    m_coefficients = read.coefficients;
    m_summary->setText(read.problem.isEmpty() ? Transform::summary(m_coefficients) : read.problem);
}

// The pair of the filter measured last, else the first ready.
void TransformPanel::update()
{
    const QList<Transform::Pair> ready = Transform::readyPairs(m_bands, m_coefficients);
    m_pair.reset();
    for (const Transform::Pair pair : ready) {
        const Transform::PairNames &n = Transform::names(pair);
        const bool last = n.first == m_lastFilter || n.second == m_lastFilter;
        if (!m_pair || last)
            m_pair = pair;
        if (last)
            break;
    }
    m_transform->setText(Transform::buttonText(m_pair.value_or(Transform::Pair::BV)));
    m_transform->setEnabled(m_pair.has_value());
}

void TransformPanel::transformPair()
{
    if (!m_pair)
        return;
    const Transform::PairNames &n = Transform::names(*m_pair);
    const Transform::BandMeasurement first = m_bands.value(n.first), second = m_bands.value(n.second);
    const Transform::Transformed result = Transform::transform(*m_pair, first.input, second.input, m_coefficients);
    if (!result.problem.isEmpty()) {
        m_context.messages.show(Aavso::Title, MessageIcon::Warning, result.problem);
        return;
    }
    m_result->setText(Transform::resultText(*m_pair, result));
    const QString path = AavsoLog::askLog(m_context);
    if (path.isEmpty())
        return;
    const Transform::Pair pair = *m_pair;
    const auto records = [&](QByteArrayView log, QString &problem) {
        return Transform::pairRecords(pair, result, first, second, m_coefficients, m_context.sheet, log, problem);
    };
    if (Aavso::exportGroup(records, m_context.messages, path))
        AavsoLog::rememberLog(m_context.settings, path);
}
