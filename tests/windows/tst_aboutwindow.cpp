#include "core/version.h"
#include "support/controls.h"
#include "support/recordingmessages.h"
#include "ui/appsetup.h"
#include "windows/aboutwindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

static const QString NoSysInfo =
    QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.");

class TestAboutWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setupApplication(*qApp); }
    void init() { m_messages.shown.clear(); }

    void window();
    void texts_data();
    void texts();
    void nameVersionAndTitleReadable();
    void enterAndEscapeClose_data();
    void enterAndEscapeClose();
    void sysInfo_data();
    void sysInfo();
    void toolLookup_data();
    void toolLookup();

private:
    std::unique_ptr<AboutWindow> about(const QString &tool = QString())
    {
        return std::make_unique<AboutWindow>(m_messages, [tool] { return tool; });
    }
    RecordingMessages m_messages;
};

void TestAboutWindow::window()
{
    const auto w = about();
    QCOMPARE(w->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Informazioni su VEVURID"));
    QCOMPARE(w->size(), QSize(382, 237)); // 5730 x 3555 twips
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(w->isWindow());
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    const QImage icon = appIcon().pixmap(32, 32).toImage();
    QCOMPARE(w->windowIcon().pixmap(32, 32).toImage(), icon);
    auto *picIcon = control<QLabel>(w.get(), "picIcon");
    QCOMPARE(picIcon->geometry(), QRect(16, 16, 36, 36));
    QCOMPARE(picIcon->pixmap().toImage(), icon);
}

void TestAboutWindow::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("lblVersion") << "lblVersion" << "Versione " + Version::Full;
    QTest::newRow("lblTitle") << "lblTitle" << "VEVURID";
    QTest::newRow("lblDisclaimer") << "lblDisclaimer" << "";
    QTest::newRow("lblDescription")
        << "lblDescription"
        << "Vevurid 1.4                                                      Software  per il "
           "calcolo fotometrico delle stelle variabili con tre stelle di confronto.";
    QTest::newRow("cmdOK") << "cmdOK" << "OK";
    QTest::newRow("cmdSysInfo") << "cmdSysInfo" << "&System Info...";
}

void TestAboutWindow::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const auto w = about();
    if (name.startsWith(QLatin1String("cmd")))
        QCOMPARE(control<QPushButton>(w.get(), qPrintable(name))->text(), text);
    else
        QCOMPARE(control<QLabel>(w.get(), qPrintable(name))->text(), text);
}

void TestAboutWindow::nameVersionAndTitleReadable()
{
    const auto w = about();
    w->show();
    auto *description = control<QLabel>(w.get(), "lblDescription");
    auto *version = control<QLabel>(w.get(), "lblVersion");
    auto *title = control<QLabel>(w.get(), "lblTitle");
    QCOMPARE(description->pos(), QPoint(64, 16));
    QCOMPARE(description->width(), 259);
    QCOMPARE(version->pos(), QPoint(144, 16));
    QCOMPARE(title->pos(), QPoint(256, 16));

    // The description's first line holds only the name and blanks.
    QTextLayout layout(description->text(), description->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    first.setLineWidth(description->width());
    int lines = 1;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(description->width());
        ++lines;
    }
    layout.endLayout();
    QCOMPARE(description->text().mid(first.textStart(), first.textLength()).trimmed(),
             QStringLiteral("Vevurid 1.4"));
    const QFontMetrics metrics(description->font());
    QVERIFY(description->height() >= lines * metrics.height());

    // Name, version and title side by side, each whole.
    QVERIFY(description->x() + metrics.horizontalAdvance("Vevurid 1.4") < version->x());
    QVERIFY(version->x() + metrics.horizontalAdvance(version->text()) < title->x());
    QVERIFY(metrics.horizontalAdvance(version->text()) <= version->width());
    QVERIFY(metrics.horizontalAdvance(title->text()) <= title->width());
    QVERIFY(title->geometry().right() < w->width());
}

void TestAboutWindow::enterAndEscapeClose_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestAboutWindow::enterAndEscapeClose()
{
    QFETCH(int, key);
    QPointer<AboutWindow> w = about().release();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *ok = control<QPushButton>(w, "cmdOK");
    QVERIFY(ok->isDefault());
    QCOMPARE(w->focusWidget(), ok); // first in the tab order
    QTest::keyClick(ok, Qt::Key(key));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.isNull()); // closed and deleted
    QCOMPARE(m_messages.shown.size(), 0);
}

void TestAboutWindow::sysInfo_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no tool") << QString() << QStringList(NoSysInfo);
    QTest::newRow("tool fails to start") << "/nonexistent/hardinfo" << QStringList(NoSysInfo);
    QTest::newRow("tool starts") << QStandardPaths::findExecutable("true") << QStringList();
}

void TestAboutWindow::sysInfo()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, messages);
    const auto w = about(tool);
    w->show();
    QTest::mouseClick(control<QPushButton>(w.get(), "cmdSysInfo"), Qt::LeftButton);
    QCOMPARE(m_messages.texts(), messages);
    for (const Message &m : m_messages.shown) {
        QCOMPARE(m.title, QStringLiteral("VEVURID"));
        QCOMPARE(m.icon, MessageIcon::None);
    }
    QVERIFY(w->isVisible());
}

void TestAboutWindow::toolLookup_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("found");
    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("one") << QStringList({"kinfocenter"}) << "kinfocenter";
    QTest::newRow("first of the list wins")
        << QStringList({"kinfocenter", "gnome-system-monitor", "hardinfo"}) << "hardinfo";
    QTest::newRow("second before third")
        << QStringList({"kinfocenter", "gnome-system-monitor"}) << "gnome-system-monitor";
    QTest::newRow("plain file is no tool") << QStringList({"!hardinfo"}) << QString();
}

void TestAboutWindow::toolLookup()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, found);
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    // A leading "!" makes a file that is not executable.
    for (const QString &entry : installed) {
        const bool plain = entry.startsWith(QLatin1Char('!'));
        QFile file(bin.filePath(plain ? entry.mid(1) : entry));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.setPermissions(plain ? QFile::ReadOwner | QFile::WriteOwner
                                  : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const auto restorePath = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
    qputenv("PATH", bin.path().toLocal8Bit());
    QCOMPARE(AboutWindow::findSysInfoTool(), found.isEmpty() ? QString() : bin.filePath(found));
}

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
