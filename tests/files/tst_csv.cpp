#include "files/csv.h"

#include <QTest>

class TestCsv : public QObject
{
    Q_OBJECT
private slots:
    void field_data();
    void field();
};

void TestCsv::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written"); // between two plain fields
    QTest::newRow("plain") << "JD medio" << QByteArray("JD medio");
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("comma") << "Cielo velato, 20 %" << QByteArray("\"Cielo velato, 20 %\"");
    QTest::newRow("quote doubled") << "il \"bordo\"" << QByteArray("\"il \"\"bordo\"\"\"");
    QTest::newRow("line end") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("carriage return") << "a\rb" << QByteArray("\"a\rb\"");
    QTest::newRow("accents in UTF-8") << "Perché" << QByteArray("Perch\xc3\xa9");
}

void TestCsv::field()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    Files::CsvWriter table;
    table.addRow(QStringList{"x", text, "y"});
    table.addRow({"1", "2"});
    QCOMPARE(table.bytes(), "x," + written + ",y\r\n1,2\r\n");
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
