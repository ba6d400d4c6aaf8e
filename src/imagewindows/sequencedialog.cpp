#include "sequencedialog.h"

#include "ui/fixeddialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>

namespace {

QString shown(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 1);
}

double positive(const QLineEdit &box)
{
    const double value = typedNumber(box);
    return value > 0 ? value : std::nan("");
}

} // namespace

SequenceDialog::SequenceDialog(const QString &star, double fieldArcmin, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(Title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    m_star = named(new QLineEdit(star, this), "txtStella");
    m_field = named(new QLineEdit(shown(fieldArcmin), this), "txtCampo");
    m_limit = named(new QLineEdit(shown(DefaultLimit), this), "txtMagLimite");
    m_star->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Stella o ID della carta"), m_star);
    form->addRow(QStringLiteral("&Campo (′)"), m_field);
    form->addRow(QStringLiteral("&Magnitudine limite"), m_limit);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = named(buttons->addButton(QStringLiteral("Scarica"), QDialogButtonBox::AcceptRole), "cmdOk");
    auto *cancel = named(buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole), "cmdAnnulla");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SequenceDialog::downloadAsked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString SequenceDialog::star() const
{
    return m_star->text().simplified();
}

double SequenceDialog::fieldArcmin() const
{
    return positive(*m_field);
}

double SequenceDialog::magnitudeLimit() const
{
    return positive(*m_limit);
}
