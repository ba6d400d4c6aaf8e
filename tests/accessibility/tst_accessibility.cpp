// What a screen reader hears on the real sheet: every text box by its row and
// column or its label, every button by its caption.

#include "ui/appsetup.h"
#include "support/sheetfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

class TestAccessibility : public QObject, SheetFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { closeSheet(); }

    void textBoxNames_data();
    void textBoxNames();
    void everyTextBoxNamedOnce();
    void buttonNames_data();
    void buttonNames();
    void everyButtonNamed();
    void textBoxValueIsItsText();
    void saveAndLoadButtonsToldApart();

private:
    QAccessibleInterface *accessible(const char *name);
};

void TestAccessibility::initTestCase()
{
    setupApplication(*qApp);
    openSheet();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

QAccessibleInterface *TestAccessibility::accessible(const char *name)
{
    QAccessibleInterface *interface =
        QAccessible::queryAccessibleInterface(control<QWidget>(QString::fromLatin1(name)));
    if (!interface)
        qFatal("no accessible interface for %s", name);
    return interface;
}

void TestAccessibility::textBoxNames_data()
{
    QTest::addColumn<QString>("expected");
    // Grid boxes: row label, then column heading.
    QTest::newRow("Text1") << "ADU Stella C1";
    QTest::newRow("Text2") << "ADU Stella C2";
    QTest::newRow("Text3") << "ADU Stella C3";
    QTest::newRow("Text4") << "ADU Stella Variabile";
    QTest::newRow("Text9") << "Rap. Mag. Stella C1";
    QTest::newRow("Text8") << "Rap. Mag. Stella C2";
    QTest::newRow("Text10") << "Rap. Mag. Stella C3";
    QTest::newRow("Text16") << "Rap. Mag. Stella Variabile";
    QTest::newRow("Text5") << "Magnitudine Stella C1";
    QTest::newRow("Text6") << "Magnitudine Stella C2";
    QTest::newRow("Text7") << "Magnitudine Stella C3";
    QTest::newRow("Text11") << "Magnitudine Stella Variabile";
    // Boxes with a label of their own.
    QTest::newRow("Text12") << "Mag. con C1";
    QTest::newRow("Text13") << "Mag. con C2";
    QTest::newRow("Text14") << "Mag. con C3";
    QTest::newRow("Text15") << "Errore Mag.";
    QTest::newRow("Text17") << "Data:";
    QTest::newRow("Text18") << "JD:";
    QTest::newRow("Text19") << "Autore:";
    QTest::newRow("Text21") << "note:";
    QTest::newRow("Text20") << "Oggetto:";
    QTest::newRow("Text22") << "Filtro:";
    QTest::newRow("Text26") << "(B-V) Var.";
    QTest::newRow("Text23") << "(B-V) C1";
    QTest::newRow("Text24") << "(B-V) C2";
    QTest::newRow("Text25") << "(B-V) C3";
    QTest::newRow("Text27") << "Pendenza eq. m";
    QTest::newRow("Text33") << "temp.C1";
    QTest::newRow("Text34") << "temp.C2";
    QTest::newRow("Text35") << "temp.C3";
    QTest::newRow("Text36") << "temp.Var.";
}

void TestAccessibility::textBoxNames()
{
    QFETCH(QString, expected);
    QAccessibleInterface *box = accessible(QTest::currentDataTag());
    QCOMPARE(box->role(), QAccessible::EditableText);
    QCOMPARE(box->text(QAccessible::Name), expected);
}

// Including the boxes whose words are the sheet's own choice (the calibrated
// results, the temperature of the variable, the report file name).
void TestAccessibility::everyTextBoxNamedOnce()
{
    const QList<QLineEdit *> boxes = m_form->findChildren<QLineEdit *>();
    QCOMPARE(boxes.size(), 38);
    QSet<QString> names;
    for (QLineEdit *box : boxes) {
        const QString name = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(box->objectName()));
        QVERIFY2(!names.contains(name), qPrintable(box->objectName() + QStringLiteral(": ") + name));
        names.insert(name);
    }
}

void TestAccessibility::buttonNames_data()
{
    QTest::addColumn<QString>("expected");
    QTest::newRow("Command3") << "RAPPORTO MAGNITUDINE";
    QTest::newRow("Command1") << "MAGNITUDINE";
    QTest::newRow("Command8") << "ESCI";
    QTest::newRow("Command57") << "Carica C1";
    QTest::newRow("Command58") << "Carica C2";
    QTest::newRow("Command59") << "Carica C3";
    QTest::newRow("btnSalva") << "Salva C1";
    QTest::newRow("btnSalva2") << "Salva C2";
    QTest::newRow("btnSalva3") << "Salva C3";
    QTest::newRow("Command4") << "reset adu";
    QTest::newRow("Command52") << "reset dati ";
    QTest::newRow("Command2") << "reset tot.";
    QTest::newRow("Command60") << "Salva Misura in C:\\..... .txt";
    QTest::newRow("Command10") << "Ricavare in magnitudine B le magnitudini V delle tre stelle di "
                                  "confronto,compilando i loro rispettivi (B-V).";
    QTest::newRow("Command9") << "Estrapolare in magnitudine R le magnitudini V delle tre stelle di "
                                 "confronto,compilando i loro rispettivi (B-V) con valori compresi "
                                 "tra 0.3 e 0.9.";
    QTest::newRow("Command6") << "I";
    QTest::newRow("Command7") << "R";
    QTest::newRow("Command5") << "V";
    QTest::newRow("Command50") << "B";
    QTest::newRow("Command51") << "UV";
    QTest::newRow("Command70") << "B-V Variabile";
    QTest::newRow("Command69") << "MAGNITUDINE CALIBRATA";
    for (const char *save : {"Command64", "Command65", "Command66", "Command67", "Command68"})
        QTest::newRow(save) << "Salva";
    for (const char *load : {"Command53", "Command54", "Command61", "Command62", "Command63"})
        QTest::newRow(load) << "Carica";
}

void TestAccessibility::buttonNames()
{
    QFETCH(QString, expected);
    QAccessibleInterface *button = accessible(QTest::currentDataTag());
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->text(QAccessible::Name), expected);
}

// No button is left out of the table above, and none is silent.
void TestAccessibility::everyButtonNamed()
{
    const QList<QPushButton *> buttons = m_form->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 32);
    for (QPushButton *button : buttons) {
        const QString name = QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(button->objectName()));
    }
}

void TestAccessibility::textBoxValueIsItsText()
{
    QCOMPARE(accessible("NomeFile")->text(QAccessible::Value), QStringLiteral("C:\\fotometria.txt"));
    m_form->setText(QStringLiteral("Text1"), QStringLiteral("15230"));
    QCOMPARE(accessible("Text1")->text(QAccessible::Value), QStringLiteral("15230"));
}

// Buttons that share a caption each say which field they keep.
void TestAccessibility::saveAndLoadButtonsToldApart()
{
    const QList<QPair<const char *, QString>> rows = {
        {"btnSalva", "Salva Magnitudine Stella C1"}, {"Command57", "Carica Magnitudine Stella C1"},
        {"Command64", "Salva (B-V) Var."},   {"Command53", "Carica (B-V) Var."},
        {"Command65", "Salva (B-V) C1"},     {"Command54", "Carica (B-V) C1"},
        {"Command66", "Salva (B-V) C2"},     {"Command61", "Carica (B-V) C2"},
        {"Command67", "Salva (B-V) C3"},     {"Command62", "Carica (B-V) C3"},
        {"Command68", "Salva Pendenza eq. m"}, {"Command63", "Carica Pendenza eq. m"},
    };
    for (const auto &[name, description] : rows)
        QCOMPARE(accessible(name)->text(QAccessible::Description), description);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
