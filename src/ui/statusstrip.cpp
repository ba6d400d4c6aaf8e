#include "ui/statusstrip.h"

#include "ui/fixeddialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

StatusStrip::StatusStrip(QWidget *parent, BackgroundJob &job, const char *progressName)
    : status(named(new QLabel(parent), "lblStato")),
      progress(named(new QProgressBar(parent), progressName)),
      cancel(named(new QPushButton(QStringLiteral("Annulla"), parent), "cmdAnnulla")),
      row(new QHBoxLayout)
{
    QObject::connect(&job, &BackgroundJob::progressed, progress, &QProgressBar::setValue);
    QObject::connect(cancel, &QPushButton::clicked, &job, &BackgroundJob::cancel);
    progress->setFixedWidth(160);
    row->addWidget(status, 1);
    row->addWidget(progress);
    row->addWidget(cancel);
    // The window's content stays put while the job comes and goes.
    status->setMinimumHeight(cancel->sizeHint().height());
}

void StatusStrip::setRunning(bool running)
{
    progress->setValue(0);
    progress->setVisible(running);
    cancel->setVisible(running);
}
