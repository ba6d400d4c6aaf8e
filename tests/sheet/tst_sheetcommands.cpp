#include "aavso/filterbuttons.h"
#include "support/fakesheet.h"
#include "support/recordingmessages.h"
#include "support/scripteddialogs.h"

#include <QTest>

namespace {
// Runs the command bound to `button`, as a click on it does.
bool click(const QString &button, Sheet &sheet, Messages &messages)
{
    const CommandTable table = Aavso::Filters::commands();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const Binding &b) { return b.control == button; });
    if (it == table.end())
        return false;
    ScriptedDialogs dialogs;
    MapSettings settings;
    it->run(Context{{messages, dialogs, settings, QString()}, sheet});
    return true;
}
} // namespace

class TestSheetCommands : public QObject
{
    Q_OBJECT
private slots:
    void filterReplacesText_data();
    void filterReplacesText();
};

void TestSheetCommands::filterReplacesText_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("I on empty") << "Command6" << "" << "I";
    QTest::newRow("R over typed Ha") << "Command7" << "Ha" << "R";
    QTest::newRow("V over a longer name") << "Command5" << "Johnson V " << "V";
    QTest::newRow("B over B") << "Command50" << "B" << "B";
    QTest::newRow("UV over I") << "Command51" << "I" << "UV";
    QTest::newRow("I over UV") << "Command6" << "UV" << "I";
}

void TestSheetCommands::filterReplacesText()
{
    QFETCH(QString, button);
    QFETCH(QString, before);
    QFETCH(QString, after);
    FakeSheet sheet;
    RecordingMessages messages;
    sheet.fields["Text22"] = before;
    sheet.fields["Text21"] = "nota";
    const auto expected = [&] {
        QHash<QString, QString> fields = sheet.fields;
        fields["Text22"] = after;
        return fields;
    }();

    QVERIFY(click(button, sheet, messages));

    QCOMPARE(sheet.fields, expected);
    QCOMPARE(sheet.writes, QStringList{"Text22"});
    QCOMPARE(messages.shown.size(), 0);
}

QTEST_GUILESS_MAIN(TestSheetCommands)
#include "tst_sheetcommands.moc"
