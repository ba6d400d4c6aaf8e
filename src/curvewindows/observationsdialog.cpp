#include "observationsdialog.h"

#include "ui/fixeddialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

ObservationsDialog::ObservationsDialog(const QString &star, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(Title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    m_star = named(new QLineEdit(star, this), "txtStella");
    m_from = named(new QLineEdit(this), "txtDal");
    m_to = named(new QLineEdit(this), "txtAl");
    m_from->setPlaceholderText(QStringLiteral("ultimi 10 anni"));
    m_to->setPlaceholderText(QStringLiteral("oggi"));
    m_star->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Stella"), m_star);
    form->addRow(QStringLiteral("&Dal (JD o gg/mm/aaaa)"), m_from);
    form->addRow(QStringLiteral("&Al (JD o gg/mm/aaaa)"), m_to);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = named(buttons->addButton(QStringLiteral("Scarica"), QDialogButtonBox::AcceptRole), "cmdOk");
    auto *cancel = named(buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole), "cmdAnnulla");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ObservationsDialog::downloadAsked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString ObservationsDialog::star() const
{
    return m_star->text().simplified();
}

QString ObservationsDialog::from() const
{
    return m_from->text().trimmed();
}

QString ObservationsDialog::to() const
{
    return m_to->text().trimmed();
}
