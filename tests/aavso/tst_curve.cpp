#include "aavso/bands.h"
#include "aavso/curve.h"

#include <QTest>

using namespace Aavso::LightCurve;

namespace {

// Observations from rows "star|band|jd|flags", flags a string of o (own
// file), < (fainter-than) and ! (discrepant); own rows come from a second file.
Observations observations(const QStringList &rows)
{
    Observations data;
    data.files = {{QStringLiteral("altri.txt"), false}, {QStringLiteral("miei.txt"), true}};
    const auto text = [&data](const QString &value) {
        qsizetype at = data.texts.indexOf(value);
        if (at < 0) {
            at = data.texts.size();
            data.texts << value;
        }
        return quint32(at);
    };
    for (const QString &row : rows) {
        const QStringList f = row.split(QLatin1Char('|'));
        Observation o;
        o.star = text(f[0]);
        o.band = text(f[1]);
        o.jd = f[2].toDouble();
        o.magnitude = 10;
        o.file = f[3].contains(QLatin1Char('o'));
        o.fainter = f[3].contains(QLatin1Char('<'));
        o.discrepant = f[3].contains(QLatin1Char('!'));
        data.observations.push_back(o);
    }
    return data;
}

// Each series as "band flags: jd jd ...".
QStringList describe(const Observations &data, const Curve &curve)
{
    QStringList lines;
    for (const Series &series : curve.series) {
        QString line = data.texts[series.band] + QLatin1Char(' ') + (series.own ? "o" : "")
                     + (series.fainter ? "<" : "") + (series.discrepant ? "!" : "") + QLatin1Char(':');
        for (quint32 row : series.rows)
            line += QLatin1Char(' ') + QString::number(data.observations[row].jd);
        lines << line;
    }
    return lines;
}

} // namespace

class TestCurve : public QObject
{
    Q_OBJECT
private slots:
    void series_data();
    void series();
    void keys_data();
    void keys();
    void summary_data();
    void summary();
    void summaryNamesDateForms();
    void colourDistance_data();
    void colourDistance();
    void automaticColoursKeepClear();
};

void TestCurve::series_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("series");
    QTest::addColumn<QStringList>("bands");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("discrepant");
    QTest::newRow("by date, equal dates in file order")
        << QStringList{"S|V|3|", "S|V|1|", "S|V|2|", "S|V|1|o", "S|V|0.5|o"}
        << QStringList{"V : 1 2 3", "V o: 0.5 1"} << QStringList{"V"} << 2 << 0;
    QTest::newRow("discrepant apart, above their kind, own on top")
        << QStringList{"S|V|1|o!", "S|V|2|!", "S|V|3|", "S|V|4|<!", "S|V|5|o"}
        << QStringList{"V : 3", "V !: 2", "V <!: 4", "V o: 5", "V o!: 1"} << QStringList{"V"} << 2 << 3;
    QTest::newRow("table's bands first, then the others by code")
        << QStringList{"S|ZZ|1|", "S|Vis.|1|", "S|AA|1|", "S|V|1|", "S|B|1|"}
        << QStringList{"B : 1", "V : 1", "Vis. : 1", "AA : 1", "ZZ : 1"}
        << QStringList{"B", "V", "Vis.", "AA", "ZZ"} << 1 << 0;
    QTest::newRow("one star however written, no other")
        << QStringList{"  s |V|2|", "RR Lyr|V|1|", "S|V|1|!"}
        << QStringList{"V : 2", "V !: 1"} << QStringList{"V"} << 1 << 1;
    QTest::newRow("none of the star") << QStringList{"RR Lyr|V|1|"} << QStringList() << QStringList() << 0 << 0;
}

void TestCurve::series()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, series);
    QFETCH(QStringList, bands);
    QFETCH(int, files);
    QFETCH(int, discrepant);
    const Observations data = observations(rows);
    const Curve curve = curveOf(data, starKey(QStringLiteral("S")));
    QCOMPARE(describe(data, curve), series);
    QStringList codes;
    for (quint32 band : curve.bands)
        codes << data.texts[band];
    QCOMPARE(codes, bands);
    QCOMPARE(curve.files, files);
    QCOMPARE(curve.discrepant, discrepant);
}

// Names written differently that name one star have one key.
void TestCurve::keys_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::newRow("blanks around, between, tabs and line ends") << " \tV612 \r\n  Sct\v " << "v612 sct";
    QTest::newRow("only blanks") << " \t " << "";
    QTest::newRow("beyond ASCII") << QStringLiteral("  ÅLAND\u00A0Ö ") << QStringLiteral("åland ö");
}

void TestCurve::keys()
{
    QFETCH(QString, name);
    QFETCH(QString, key);
    QCOMPARE(Aavso::LightCurve::starKey(name), key);
}

void TestCurve::summary_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("none discrepant") << QStringList{"S|V|1|", "S|V|2|o"} << true
                                    << Observed.arg("S", "2", "2", "");
    QTest::newRow("discrepant hidden") << QStringList{"S|V|1|!", "S|B|2|!", "S|V|3|"} << false
                                       << Observed.arg("S", "3", "1", DiscrepantHidden.arg(2));
    QTest::newRow("discrepant shown") << QStringList{"S|V|1|!", "S|V|3|"} << true
                                      << Observed.arg("S", "2", "1", DiscrepantShown.arg(1));
}

void TestCurve::summary()
{
    QFETCH(QStringList, rows);
    QFETCH(bool, shown);
    QFETCH(QString, text);
    const Observations data = observations(rows);
    const Curve curve = curveOf(data, starKey(QStringLiteral("S")));
    QCOMPARE(Aavso::LightCurve::summary(data, QStringLiteral("S"), rows.size(), curve, shown), text);
}

void TestCurve::summaryNamesDateForms()
{
    Observations data;
    data.files = {{"/a/a.txt", false, DateForm::Reduced}, {"b.txt", false, DateForm::Julian},
                  {"c.txt", true, DateForm::Modified}, {"d.txt", false, DateForm::Reduced}};
    QCOMPARE(Aavso::LightCurve::summary(data, QString(), 0, Curve(), false),
             NothingShown.arg(4) + ReducedDatesRead.arg("a.txt, d.txt") + ModifiedDatesRead.arg("c.txt"));
}

void TestCurve::colourDistance_data()
{
    QTest::addColumn<quint32>("a");
    QTest::addColumn<quint32>("b");
    QTest::addColumn<double>("distance");
    QTest::newRow("black and white") << 0xFF000000u << 0xFFFFFFFFu << 100.0;
    QTest::newRow("red and black") << 0xFFFF0000u << 0xFF000000u << 117.33;
    QTest::newRow("white and mid-grey") << 0xFFFFFFFFu << 0xFF808080u << 46.41;
}

void TestCurve::colourDistance()
{
    QFETCH(quint32, a);
    QFETCH(quint32, b);
    QFETCH(double, distance);
    QVERIFY2(std::abs(Aavso::LightCurve::colourDistance(a, b) - distance) < 0.05,
             qPrintable(QString::number(Aavso::LightCurve::colourDistance(a, b))));
}

// SZ used to pass for U, TR for R.
void TestCurve::automaticColoursKeepClear()
{
    const std::vector<quint32> colours = automaticColours(1000);
    QCOMPARE(colours.size(), size_t(1000));
    for (const Aavso::Bands::Band &band : Aavso::Bands::all()) {
        if (band.colour == Aavso::Bands::Automatic)
            continue;
        for (quint32 colour : colours)
            QVERIFY2(Aavso::LightCurve::colourDistance(colour, band.colour) >= MinimumColourDistance,
                     qPrintable(QStringLiteral("%1 near %2").arg(colour, 0, 16).arg(band.code)));
    }
    QCOMPARE(QSet<quint32>(colours.begin(), colours.begin() + 20).size(), 20); // neighbours differ
}

QTEST_GUILESS_MAIN(TestCurve)
#include "tst_curve.moc"
