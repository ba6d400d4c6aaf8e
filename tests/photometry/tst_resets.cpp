#include "core/fields.h"
#include "photometry/resets.h"
#include "support/fakesheet.h"
#include "support/recordingmessages.h"

#include <QTest>

using Command = void (*)(Sheet &, Messages &);
Q_DECLARE_METATYPE(Command)

class TestResets : public QObject
{
    Q_OBJECT
private slots:
    void clearsItsFieldsInOrder_data();
    void clearsItsFieldsInOrder();
};

void TestResets::clearsItsFieldsInOrder_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QStringList>("cleared"); // in the order the command clears them

    QTest::newRow("reset tot.") << Command(Photometry::resetAll)
        << QStringList{"Text1",  "Text2",  "Text3",  "Text4",  "Text5",  "Text6",
                       "Text7",  "Text8",  "Text9",  "Text10", "Text11", "Text12",
                       "Text13", "Text14", "Text15", "Text16", "Text23", "Text24",
                       "Text25", "Text26", "Text27", "Text28", "Text29", "Text30",
                       "Text31", "Text32", "Text17", "Text18", "Text19", "Text20",
                       "Text21", "Text22", "Text33", "Text34", "Text35", "Text36"};
    QTest::newRow("reset adu") << Command(Photometry::resetCounts)
        << QStringList{"Text1",  "Text2",  "Text3",  "Text4",  "Text8",  "Text9",
                       "Text10", "Text11", "Text12", "Text13", "Text14", "Text15",
                       "Text16", "Text28", "Text29", "Text30", "Text31", "Text32"};
    QTest::newRow("reset dati ") << Command(Photometry::resetParticulars)
        << QStringList{"Text17", "Text18", "Text19", "Text20", "Text21", "Text22"};
}

void TestResets::clearsItsFieldsInOrder()
{
    QFETCH(Command, command);
    QFETCH(QStringList, cleared);
    FakeSheet sheet;
    RecordingMessages messages;
    for (const QString &field : Fields::all())
        sheet.fields[field] = "filled " + field;

    command(sheet, messages);

    QCOMPARE(sheet.writes, cleared);
    for (const QString &field : Fields::all()) {
        const QString expected = cleared.contains(field) ? QString() : "filled " + field;
        QCOMPARE(sheet.text(field), expected);
    }
    // The typed temperature and the report file name survive every reset.
    QCOMPARE(sheet.text("Text37"), QStringLiteral("filled Text37"));
    QCOMPARE(sheet.text("NomeFile"), QStringLiteral("filled NomeFile"));
    QCOMPARE(messages.shown.size(), 0);
}

QTEST_GUILESS_MAIN(TestResets)
#include "tst_resets.moc"
