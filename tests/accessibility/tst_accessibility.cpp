// What a screen reader hears on the real sheet: every text box by its row and
// column or its label, every button by its caption.

#include "core/fields.h"
#include "support/sheetfixture.h"
#include "ui/appsetup.h"

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

    void everyTextBoxNamedOnce();
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

// Every box by its field's description, including those whose words are the
// sheet's own choice (the calibrated results, the typed temperature, the
// report file name), and no two boxes alike.
void TestAccessibility::everyTextBoxNamedOnce()
{
    const QList<QLineEdit *> boxes = m_form->findChildren<QLineEdit *>();
    QCOMPARE(boxes.size(), Fields::all().size());
    QSet<QString> names;
    for (QLineEdit *box : boxes) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
        const QString name = accessible->text(QAccessible::Name);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QCOMPARE(name, Fields::description(box->objectName()));
        QVERIFY2(!name.trimmed().isEmpty() && !names.contains(name),
                 qPrintable(box->objectName() + QStringLiteral(": ") + name));
        names.insert(name);
    }
}

// Every button by its caption, wrapped or not.
void TestAccessibility::everyButtonNamed()
{
    for (QPushButton *button : m_form->findChildren<QPushButton *>()) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QCOMPARE(accessible->role(), QAccessible::Button);
        QCOMPARE(accessible->text(QAccessible::Name), button->text());
        QVERIFY2(!button->text().trimmed().isEmpty(), qPrintable(button->objectName()));
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
