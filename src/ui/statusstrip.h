#pragma once
// The status line of a window that runs a BackgroundJob: what the window
// says, then, while the job runs, its progress and "Annulla", which cancels it.

#include "ui/backgroundjob.h"

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

struct StatusStrip
{
    // `progressName`: the progress bar's objectName.
    StatusStrip(QWidget *parent, BackgroundJob &job, const char *progressName);

    // Shows the progress, from 0, and "Annulla" while `running`.
    void setRunning(bool running);

    QLabel *status;        // "lblStato"
    QProgressBar *progress;
    QPushButton *cancel;   // "cmdAnnulla"
    QHBoxLayout *row;
};
