#include "calibrationwindow.h"

#include "calibration/apply.h"
#include "ui/fixeddialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Calibration;

namespace {

const QString FolderKey = QStringLiteral("calibration/folder");
const QString FitsFiles = QStringLiteral("Immagini FITS (*.fits *.fit *.fts *.fz);;Tutti i file (*)");

QString number(const std::optional<double> &value)
{
    return value ? shortNumber(*value) : QString();
}

// A copy's name: the light's, a compressed one's as uncompressed.
QString copyName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".fz"), Qt::CaseInsensitive))
        name.chop(3);
    return name;
}

} // namespace

CalibrationWindow::CalibrationWindow(const Context &context, Setup &setup, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context), m_setup(setup)
{
    setUpToolWindow(*this, QStringLiteral("Form8"), Title);
    auto *folder = named(new QPushButton(QStringLiteral("Da cartella..."), this), "cmdCartella");
    connect(folder, &QPushButton::clicked, this, &CalibrationWindow::addFolder);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(folder);
    const char *const kindButtons[] = {"cmdBias", "cmdDark", "cmdFlat"};
    const QString kindTexts[] = {QStringLiteral("Bias..."), QStringLiteral("Dark..."), QStringLiteral("Flat...")};
    for (int kind = 0; kind < 3; ++kind) {
        auto *button = named(new QPushButton(kindTexts[kind], this), kindButtons[kind]);
        connect(button, &QPushButton::clicked, this, [this, kind] { addChosen(FrameKind(kind)); });
        buttons->addWidget(button);
    }
    auto *remove = named(new QPushButton(QStringLiteral("Togli"), this), "cmdTogli");
    connect(remove, &QPushButton::clicked, this, &CalibrationWindow::removeSelected);
    buttons->addWidget(remove);
    buttons->addStretch(1);

    m_frames = named(new QTableWidget(0, int(Columns.size()), this), "tblQuadri");
    m_frames->setHorizontalHeaderLabels(Columns);
    m_frames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frames->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_frames->verticalHeader()->hide();
    m_frames->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_frames->horizontalHeader()->setStretchLastSection(true);
    m_status = named(new QLabel(this), "lblStato");
    m_status->setWordWrap(true);

    m_method = named(new QComboBox(this), "cboCombina");
    m_method->addItems(Methods);
    auto *make = named(new QPushButton(QStringLiteral("Crea master"), this), "cmdCreaMaster");
    connect(make, &QPushButton::clicked, this, &CalibrationWindow::makeMasters);
    auto *combine = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("Combinazione:"), this);
    caption->setBuddy(m_method);
    combine->addWidget(caption);
    combine->addWidget(m_method);
    combine->addWidget(make);
    combine->addStretch(1);
    m_masters = named(new QLabel(this), "lblMaster");
    m_masters->setWordWrap(true);

    m_apply = named(new QCheckBox(QStringLiteral("Calibra le immagini misurate"), this), "chkApplica");
    connect(m_apply, &QCheckBox::toggled, this, [this](bool on) { m_setup.setApplies(on); });
    auto *copies = named(new QPushButton(QStringLiteral("Salva calibrate..."), this), "cmdSalvaCalibrate");
    connect(copies, &QPushButton::clicked, this, &CalibrationWindow::saveCopies);
    auto *use = new QHBoxLayout;
    use->addWidget(m_apply);
    use->addStretch(1);
    use->addWidget(copies);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_frames, 1);
    layout->addWidget(m_status);
    layout->addLayout(combine);
    layout->addWidget(m_masters);
    layout->addLayout(use);
    resize(820, 460);

    connect(&m_job, &BackgroundJob::finished, this, &CalibrationWindow::mastersMade);
    showMasters();
    if (!m_setup.restoreProblem().isEmpty())
        m_status->setText(m_setup.restoreProblem());
    showFrames();
}

CalibrationWindow::~CalibrationWindow() = default;

void CalibrationWindow::addFolder()
{
    const QString folder = m_context.dialogs.chooseFolder(FolderTitle, m_context.settings.value(FolderKey));
    if (folder.isEmpty())
        return;
    m_context.settings.setValue(FolderKey, folder);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Setup::Added added = m_setup.add(fitsFilesIn(folder), std::nullopt);
    QApplication::restoreOverrideCursor();
    showFrames();
    m_status->setText(SetupText::Added.arg(added.added)
                      + (added.skipped > 0 ? SetupText::Skipped.arg(added.skipped) : QString()));
    warnAll(added.problems);
}

void CalibrationWindow::addChosen(FrameKind kind)
{
    const QStringList paths =
        m_context.dialogs.openFiles(ChooseTitles[int(kind)], m_context.settings.value(FolderKey), FitsFiles);
    if (paths.isEmpty())
        return;
    m_context.settings.setValue(FolderKey, QFileInfo(paths.first()).absolutePath());
    const Setup::Added added = m_setup.add(paths, kind);
    showFrames();
    m_status->setText(SetupText::Added.arg(added.added));
    warnAll(added.problems);
}

void CalibrationWindow::removeSelected()
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_frames->selectionModel()->selectedRows())
        rows.push_back(index.row());
    m_setup.remove(rows);
    showFrames();
}

void CalibrationWindow::showFrames()
{
    const std::vector<Frame> &frames = m_setup.frames();
    m_frames->setRowCount(int(frames.size()));
    for (int row = 0; row < int(frames.size()); ++row) {
        const Frame &frame = frames[std::size_t(row)];
        const QString kind = (frame.master ? QStringLiteral("master ") : QString()) + kindName(frame.kind);
        const QStringList cells = {QFileInfo(frame.path).fileName(), kind, frame.filter, number(frame.exposure),
                                   number(frame.temperature), frame.format.text(), frame.note};
        for (int column = 0; column < int(cells.size()); ++column)
            m_frames->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void CalibrationWindow::showMasters()
{
    const std::shared_ptr<const MasterSet> masters = m_setup.masters();
    m_masters->setText(masters ? masters->summary() : MasterText::None);
    const QSignalBlocker quiet(m_apply);
    m_apply->setEnabled(masters != nullptr);
    m_apply->setChecked(masters && m_setup.applies());
}

void CalibrationWindow::makeMasters()
{
    if (m_job.running())
        return;
    const std::vector<Frame> frames = m_setup.frames();
    const Combine method = Combine(m_method->currentIndex());
    m_progress = new QProgressDialog(Making, QStringLiteral("Annulla"), 0, 100, this);
    m_progress->setWindowTitle(Title);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    connect(m_progress, &QProgressDialog::canceled, &m_job, &BackgroundJob::cancel);
    connect(&m_job, &BackgroundJob::progressed, m_progress, &QProgressDialog::setValue);
    m_job.start([this, frames, method] {
        m_built = buildMasters(frames, method, [this](double share) {
            m_job.tell(int(share * 100));
            return !m_job.cancelled();
        });
    });
    m_progress->show();
}

void CalibrationWindow::mastersMade()
{
    delete m_progress;
    m_progress = nullptr;
    Built built = std::move(m_built);
    m_built = {};
    if (built.cancelled) {
        m_status->setText(Cancelled);
        return;
    }
    if (!built.problem.isEmpty()) {
        warnAll({built.problem});
        return;
    }
    // Only what was combined now is saved: a master read from a file has one.
    std::vector<Master *> made;
    const auto collect = [&made](Master &master) {
        if (master.frames > 0)
            made.push_back(&master);
    };
    if (built.masters.bias)
        collect(*built.masters.bias);
    for (Master &dark : built.masters.darks)
        collect(dark);
    for (Master &flat : built.masters.flats)
        collect(flat);
    const QString folder =
        made.empty() ? QString() : m_context.dialogs.chooseFolder(MastersFolderTitle, m_context.settings.value(FolderKey));
    QStringList problems;
    for (Master *master : made) {
        if (folder.isEmpty())
            break;
        const QString path = QDir(folder).filePath(masterFileName(*master));
        if (!mayWrite(path))
            continue;
        if (saveMaster(*master, path))
            master->path = path;
        else
            problems << NotSaved.arg(QFileInfo(path).fileName());
    }
    m_setup.setMasters(std::move(built.masters));
    m_setup.setApplies(true);
    showMasters();
    m_status->clear();
    warnAll(problems);
}

bool CalibrationWindow::mayWrite(const QString &path)
{
    return !QFileInfo::exists(path) || m_context.messages.ask(Title, Replace.arg(QFileInfo(path).fileName()));
}

void CalibrationWindow::saveCopies()
{
    const std::shared_ptr<const MasterSet> masters = m_setup.masters();
    if (!masters) {
        warnAll({CalibrationText::NoMasters});
        return;
    }
    const QStringList lights = m_context.dialogs.openFiles(LightsTitle, m_context.settings.value(FolderKey), FitsFiles);
    if (lights.isEmpty())
        return;
    const QString folder = m_context.dialogs.chooseFolder(CopiesFolderTitle, QFileInfo(lights.first()).absolutePath());
    if (folder.isEmpty())
        return;
    QStringList problems;
    int saved = 0;
    for (const QString &light : lights) {
        const QString target = QDir(folder).filePath(copyName(light));
        if (QFileInfo(target).canonicalFilePath() == QFileInfo(light).canonicalFilePath()) {
            problems << OwnFolder.arg(QFileInfo(light).fileName());
            continue;
        }
        if (!mayWrite(target))
            continue;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString problem = saveCalibrated(light, target, *masters);
        QApplication::restoreOverrideCursor();
        if (problem.isEmpty())
            ++saved;
        else
            problems << problem;
    }
    m_status->setText(CopiesSaved.arg(saved).arg(QDir::toNativeSeparators(folder)));
    warnAll(problems);
}

void CalibrationWindow::warnAll(const QStringList &problems)
{
    if (!problems.isEmpty())
        m_context.messages.show(Title, MessageIcon::Warning, problems.join(QLatin1Char('\n')));
}
