// The calibration window over the measuring window: masters made from a
// folder of raw frames calibrate the image measured, which then gives the
// counts its calibrated copy gives; the choice outlives the window.

#include "../calibration/rawnight.h"

#include "calibration/apply.h"
#include "calibration/setup.h"
#include "core/names.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"
#include "imagewindows/calibrationwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

using namespace Calibration;
using Kind = RawNight::Kind;

namespace {

const char *const RoleButtons[] = {"optVariabile", "optC1", "optC2", "optC3"};
const char *const Counts[] = {Field::AduC1, Field::AduC2, Field::AduC3, Field::AduVariable};

QWidget *shown(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(name))
            return w;
    return nullptr;
}

} // namespace

class TestCalibrationWindow : public QObject, SheetFixture
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RawNight m_night;
    QString m_frames, m_masters, m_copies, m_light;
    QWidget *m_measure = nullptr;

    QString at(const QString &folder, const QString &name) const { return QDir(folder).filePath(name); }

    void openMeasure()
    {
        control<QAction>(Menu::Measure)->trigger();
        QTRY_VERIFY(shown("Form5"));
        m_measure = shown("Form5");
    }
    QWidget *openCalibration()
    {
        ::control<QPushButton>(m_measure, "cmdCalibrazione")->click();
        [] { QTRY_VERIFY(shown("Form8")); }();
        return shown("Form8");
    }
    void openImage(const QString &path)
    {
        m_dialogs.answers << path;
        ::control<QPushButton>(m_measure, "cmdApri")->click();
    }
    QString description() const { return ::control<QLabel>(m_measure, "lblImmagine")->text(); }
    // The stars placed from the same typed positions, then "Al foglio".
    QStringList toSheet()
    {
        for (int role = 0; role < 4; ++role) {
            ::control<QRadioButton>(m_measure, RoleButtons[role])->setChecked(true);
            auto *position = ::control<QLineEdit>(m_measure, "txtPosizione");
            const auto &star = m_night.stars[std::size_t(role)];
            position->setText(QStringLiteral("%1 %2").arg(star[0] + 1.3).arg(star[1] + 0.6));
            QTest::keyClick(position, Qt::Key_Return);
        }
        ::control<QPushButton>(m_measure, "cmdFoglio")->click();
        QStringList counts;
        for (const char *field : Counts)
            counts << control<QLineEdit>(field)->text();
        return counts;
    }

private slots:
    void initTestCase()
    {
        setupApplication(*qApp);
        QVERIFY(m_dir.isValid());
        m_night.width = 120;
        m_night.height = 90;
        m_night.stars = {{30, 25, 40000}, {90, 20, 50000}, {40, 65, 45000}, {95, 60, 30000}};
        m_frames = at(m_dir.path(), "notte");
        m_masters = at(m_dir.path(), "master");
        m_copies = at(m_dir.path(), "calibrate");
        for (const QString &folder : {m_frames, m_masters, m_copies})
            QVERIFY(QDir().mkpath(folder));
        for (int k = 0; k < 3; ++k) {
            QVERIFY(!m_night.write(m_frames, QStringLiteral("bias%1.fits").arg(k), Kind::Bias, 0, k).isEmpty());
            QVERIFY(!m_night.write(m_frames, QStringLiteral("dark%1.fits").arg(k), Kind::Dark, 120, 10 + k).isEmpty());
            QVERIFY(!m_night.write(m_frames, QStringLiteral("flat%1.fits").arg(k), Kind::Flat, 10, 20 + k).isEmpty());
        }
        QVERIFY(!m_night.write(m_frames, "luce-in-mezzo.fits", Kind::Light, 60, 30).isEmpty());
        m_light = m_night.write(m_dir.path(), "luce.fits", Kind::Light, 60, 31);
        QVERIFY(!m_light.isEmpty());
    }
    void init()
    {
        openSheet();
        m_dialogs.asked.clear();
        openMeasure();
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("Form5"))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        closeSheet();
        m_settings.values.clear();
    }

    void rawLightMeasuresAsItsCalibratedCopy()
    {
        QWidget *window = openCalibration();
        QCOMPARE(window->windowTitle(), CalibrationWindow::Title);
        QVERIFY(!::control<QCheckBox>(window, "chkApplica")->isEnabled());

        m_dialogs.answers << m_frames;
        ::control<QPushButton>(window, "cmdCartella")->click();
        QCOMPARE(m_dialogs.asked.last().title, CalibrationWindow::FolderTitle);
        QCOMPARE(::control<QLabel>(window, "lblStato")->text(), SetupText::Added.arg(9) + SetupText::Skipped.arg(1));
        auto *table = ::control<QTableWidget>(window, "tblQuadri");
        QCOMPARE(table->rowCount(), 9);
        const int dark = 3; // by name: bias0-2, dark0-2, flat0-2
        QCOMPARE(table->item(dark, 1)->text(), QStringLiteral("dark"));
        QCOMPARE(table->item(dark, 3)->text(), QStringLiteral("120"));
        QCOMPARE(table->item(dark, 4)->text(), QStringLiteral("-10"));
        QCOMPARE(table->item(dark, 5)->text(), QStringLiteral("120 × 90 (binning 1)"));
        QCOMPARE(table->item(6, 2)->text(), QStringLiteral("V"));

        m_dialogs.answers << m_masters;
        ::control<QPushButton>(window, "cmdCreaMaster")->click();
        QTRY_COMPARE(::control<QLabel>(window, "lblMaster")->text(),
                     MasterText::Summary.arg("bias da 3 quadri, dark 120 s da 3, flat V da 3"));
        QCOMPARE(m_dialogs.asked.last().title, CalibrationWindow::MastersFolderTitle);
        for (const char *name : {"master-bias.fits", "master-dark-120s.fits", "master-flat-V.fits"})
            QVERIFY2(QFileInfo(at(m_masters, name)).isFile(), name);
        QVERIFY(::control<QCheckBox>(window, "chkApplica")->isChecked());

        openImage(m_light);
        QVERIFY2(description().endsWith("; " + CalibrationText::Applied.arg("bias, dark ×0.50, flat V")),
                 qPrintable(description()));
        const QStringList calibrated = toSheet();
        QCOMPARE(m_messages.shown.size(), 0);
        // A folder in VEVURID_SCREENSHOTS takes a picture of both windows to look at.
        if (const QString folder = qEnvironmentVariable("VEVURID_SCREENSHOTS"); !folder.isEmpty()) {
            QVERIFY(window->grab().save(QDir(folder).filePath("calibrazione.png")));
            QVERIFY(m_measure->grab().save(QDir(folder).filePath("misura-calibrata.png")));
        }

        m_dialogs.answers << m_light << m_copies;
        ::control<QPushButton>(window, "cmdSalvaCalibrate")->click();
        QCOMPARE(::control<QLabel>(window, "lblStato")->text(),
                 CalibrationWindow::CopiesSaved.arg(1).arg(QDir::toNativeSeparators(m_copies)));
        openImage(at(m_copies, "luce.fits"));
        QVERIFY2(description().endsWith("; " + CalibrationText::AlreadyDone), qPrintable(description()));
        QCOMPARE(toSheet(), calibrated);

        // Another run: the masters are read from their files.
        m_measure->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!shown("Form8"));
        openMeasure();
        openImage(m_light);
        QVERIFY2(description().endsWith("; " + CalibrationText::Applied.arg("bias, dark ×0.50, flat V")),
                 qPrintable(description()));
        QCOMPARE(toSheet(), calibrated);
        window = openCalibration();
        QCOMPARE(::control<QLabel>(window, "lblMaster")->text(),
                 MasterText::Summary.arg("bias da file, dark 120 s da file, flat V da file"));
        ::control<QCheckBox>(window, "chkApplica")->setChecked(false);
        openImage(m_light);
        QVERIFY(!description().contains(CalibrationText::Applied.arg(QString())));
        QVERIFY(toSheet() != calibrated);
    }

    void replacingAMasterIsAsked()
    {
        for (const char *name : {"master-bias.fits", "master-dark-120s.fits"}) {
            QFile file(at(m_masters, name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("prima") == 5);
        }
        QWidget *window = openCalibration();
        m_dialogs.answers << m_frames;
        ::control<QPushButton>(window, "cmdCartella")->click();
        m_messages.shown.clear();
        m_messages.answers = {false, true};
        m_dialogs.answers << m_masters;
        ::control<QPushButton>(window, "cmdCreaMaster")->click();
        QTRY_VERIFY(::control<QLabel>(window, "lblMaster")->text() != MasterText::None);
        QCOMPARE(m_messages.texts(), QStringList({CalibrationWindow::Replace.arg("master-bias.fits"),
                                                  CalibrationWindow::Replace.arg("master-dark-120s.fits"),
                                                  CalibrationWindow::Replace.arg("master-flat-V.fits")}));
        QFile bias(at(m_masters, "master-bias.fits")), dark(at(m_masters, "master-dark-120s.fits"));
        QVERIFY(bias.open(QIODevice::ReadOnly) && dark.open(QIODevice::ReadOnly));
        QCOMPARE(bias.readAll(), QByteArray("prima"));
        QVERIFY(dark.size() > 2880);
        // Only the masters saved are remembered.
        QCOMPARE(m_settings.values.value(MastersKey), at(m_masters, "master-dark-120s.fits"));
    }

    void framesOfAnotherFormatAreRefused()
    {
        QWidget *window = openCalibration();
        RawNight wide = m_night;
        wide.width = 100;
        const QString odd = wide.write(m_dir.path(), "larga.fits", Kind::Bias, 0, 5);
        m_dialogs.answers << at(m_frames, "bias0.fits") + '\n' + at(m_frames, "dark0.fits") + '\n' + odd;
        ::control<QPushButton>(window, "cmdBias")->click();
        QCOMPARE(m_dialogs.asked.last().title, CalibrationWindow::ChooseTitles[0]);
        auto *table = ::control<QTableWidget>(window, "tblQuadri");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("bias"));
        QCOMPARE(table->item(1, 6)->text(), FrameText::HeaderSays.arg("dark"));
        QCOMPARE(m_messages.texts(),
                 QStringList{FrameText::OtherThanFrames.arg("larga.fits", "100 × 90 (binning 1)", "120 × 90 (binning 1)")});
        table->selectRow(0);
        ::control<QPushButton>(window, "cmdTogli")->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("dark0.fits"));
    }
};

QTEST_MAIN(TestCalibrationWindow)
#include "tst_calibrationwindow.moc"
