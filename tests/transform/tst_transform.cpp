#include "transform/coefficients.h"
#include "transform/logfields.h"
#include "transform/twocolour.h"

#include "aavso/vocabulary.h"

#include "support/diskfiles.h"
#include "support/fifo.h"

#include <QTest>

#include <cmath>

using namespace Transform;

Q_DECLARE_METATYPE(Transform::Pair)
Q_DECLARE_METATYPE(Transform::Filter)

namespace {

// Every coefficient a different number, so that one taken for another shows;
// Ti_vi has no error.
Coefficients generatorCoefficients(bool zero = false)
{
    Coefficients c;
    const QList<std::pair<const char *, double>> values = {
        {"Tbv", 1.182}, {"Tb_bv", 0.039}, {"Tv_bv", -0.115}, {"Tvr", 0.953}, {"Tv_vr", 0.021},
        {"Tr_vr", -0.062}, {"Tvi", 1.041}, {"Tv_vi", -0.034}, {"Ti_vi", 0.057}};
    const QList<double> errors = {0.021, 0.012, 0.015, 0.018, 0.009, 0.011, 0.025, 0.008};
    for (qsizetype i = 0; i < values.size(); ++i) {
        c.values.append({values[i].first, zero ? 0 : values[i].second});
        if (i < errors.size())
            c.errors.append({values[i].first, zero ? 0 : errors[i]});
    }
    return c;
}

// Counts made from magnitudes with a colour term and a few millimagnitudes of noise.
BandInput firstImage()
{
    return {{45081.7, 0.03}, {62805.8, 0.004}, {89838.0, 43776.4, 152398.3}, {12.512, 13.301, 11.954}, 12.9};
}

BandInput secondImage()
{
    return {{152054.8, 0.001}, {136144.5, 0.002}, {189225.6, 92538.0, 289161.2}, {11.843, 12.615, 11.377}, 12.2};
}

QList<double> numbers(const BandResult &r)
{
    return {r.variable.magnitude, r.variable.error, r.check.magnitude, r.check.error,
            r.checkDifference, r.untransformed.magnitude, r.untransformed.error};
}

} // namespace

class TestTransform : public QObject
{
    Q_OBJECT
private slots:
    void readsGeneratorFiles_data();
    void readsGeneratorFiles();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void transformsAnEnsemble_data();
    void transformsAnEnsemble();
    void refusesIncompleteInput_data();
    void refusesIncompleteInput();
    void labelText();
    void freeGroup_data();
    void freeGroup();
    void notes_data();
    void notes();
};

void TestTransform::readsGeneratorFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("summaryText"); // empty when refused
    QTest::addColumn<QString>("errors");      // the [Error] section read, "name value" each
    QTest::addColumn<QString>("problem");     // %1: the file

    const QString noProblem;
    QTest::newRow("generator's file, CRLF")
        << QByteArray("[Setup]\r\ndescription=C11 ST-8\r\n[Coefficients]\r\nTbv=1.182\r\nTb_bv=0.039\r\n"
                      "Tv_bv=-0.115\r\n[Error]\r\nTbv=0.021\r\nTv_bv=0,015\r\n")
        << "Coefficienti: Tbv 1.182, Tb_bv 0.039, Tv_bv -0.115" << "Tbv 0.021 Tv_bv 0.015" << noProblem;
    QTest::newRow("comma, comments, blanks, LF")
        << QByteArray("; Transform Generator\n# saved\n [coefficients] \nTvr = 0,512\n;Tv_vr=9\nTv_vr=-0,0004\n")
        << "Coefficienti: Tvr 0.512, Tv_vr 0.000" << "" << noProblem;
    QTest::newRow("other section passed over, lone CR")
        << QByteArray("[Other]\rTbv=abc\r[Coefficients]\rTvi=1.5e-1\r") << "Coefficienti: Tvi 0.150" << ""
        << noProblem;
    QTest::newRow("nothing after =") << QByteArray("[Coefficients]\nTbv=\nTv_bv=1\n[Error]\nTv_bv=\n")
                                     << "Coefficienti: Tv_bv 1.000" << "" << noProblem;
    QTest::newRow("no section") << QByteArray("[Setup]\ndescription=x\nTbv=1\n") << "" << "" << NoCoefficients;
    QTest::newRow("empty section") << QByteArray("[Coefficients]\n[Error]\nTbv=1\n") << "" << "" << NoCoefficients;
    QTest::newRow("two points") << QByteArray("[Coefficients]\nTbv=1.2.3\n") << "" << ""
                                << NotANumber.arg("%1", "Tbv", "Coefficients", "1.2.3");
    QTest::newRow("group separator") << QByteArray("[Coefficients]\nTbv=1,182.5\n") << "" << ""
                                     << NotANumber.arg("%1", "Tbv", "Coefficients", "1,182.5");
    QTest::newRow("comment after the value") << QByteArray("[Coefficients]\nTbv=1.1 ; old\n") << "" << ""
                                             << NotANumber.arg("%1", "Tbv", "Coefficients", "1.1 ; old");
    QTest::newRow("beyond a double") << QByteArray("[Coefficients]\nTbv=1e999\n") << "" << ""
                                     << NotANumber.arg("%1", "Tbv", "Coefficients", "1e999");
    QTest::newRow("bad error") << QByteArray("[Coefficients]\nTbv=1\n[Error]\nTbv=n/a\n") << "" << ""
                               << NotANumber.arg("%1", "Tbv", "Error", "n/a");
    QTest::newRow("repeated in other case") << QByteArray("[Coefficients]\nTbv=1\nTBV=2\n") << "" << ""
                                            << Repeated.arg("%1", "TBV", "Coefficients");
    QTest::newRow("binary") << QByteArray("[Coefficients]\nTbv=1\n\x01\x02") << "" << "" << NotText;
}

void TestTransform::readsGeneratorFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, summaryText);
    QFETCH(QString, errors);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath("coefficienti.ini");
    putBytes(path, bytes);

    const CoefficientsRead read = readCoefficients(path);
    QCOMPARE(read.problem, problem.isEmpty() ? problem : problem.arg(path));
    QCOMPARE(read.problem.isEmpty() ? summary(read.coefficients) : QString(), summaryText);
    QStringList errorTexts;
    for (const Coefficient &e : read.coefficients.errors)
        errorTexts << e.name + ' ' + threeDecimals(e.value);
    QCOMPARE(errorTexts.join(' '), errors);
    QCOMPARE(read.coefficients.description, QString(bytes.startsWith("[Setup]\r\n") ? "C11 ST-8" : ""));
}

void TestTransform::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing") << "missing" << NoSuchFile;
    QTest::newRow("folder") << "folder" << IsFolder;
    QTest::newRow("pipe") << "pipe" << NotRegularFile;
    QTest::newRow("device") << "device" << NotRegularFile;
    QTest::newRow("too large") << "large" << TooLarge;
}

void TestTransform::refusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    QString path = dir.filePath("c.ini");
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("c.ini"));
    else if (kind == "pipe")
        makeFifo(path);
    else if (kind == "device")
        path = "/dev/zero";
    else if (kind == "large")
        putBytes(path, "[Coefficients]\nTbv=1\n" + QByteArray(64 * 1024, ';'));
    const FifoWatchdog watchdog(kind == "pipe" ? path : dir.filePath("none"));
    QCOMPARE(readCoefficients(path).problem, problem.arg(path));
}

void TestTransform::transformsAnEnsemble_data()
{
    QTest::addColumn<Pair>("pair");
    QTest::addColumn<bool>("zero");
    QTest::addColumn<QList<double>>("first");
    QTest::addColumn<QList<double>>("second");
    // Worked out once in python3 with −2.5·log10(star ÷ comparison), statistics.stdev
    // for the spread and the first-order coefficient errors added in quadrature.
    // Each: variable ± error, check ± error, check − catalogue, untransformed ± spread.
    const QList<double> first = {13.268732822986, 0.007906435456}, second = {12.077033012811, 0.002996575700};
    QTest::newRow("B, V") << Pair::BV << false
        << QList<double>{13.293980688836, 0.030992772629, 12.911855038289, 0.010636892829, 0.011855038289} + first
        << QList<double>{12.002584177614, 0.014833988789, 12.187830490358, 0.011201214731, -0.012169509642} + second;
    QTest::newRow("V, R") << Pair::VR << false
        << QList<double>{13.279693939287, 0.030366272528, 12.910089056152, 0.009061558404, 0.010089056152} + first
        << QList<double>{12.044671621827, 0.008494722465, 12.193032910573, 0.006271431467, -0.006967089427} + second;
    QTest::newRow("V, I; Ti_vi without error") << Pair::VI << false
        << QList<double>{13.249347535905, 0.030348338983, 12.906337943550, 0.006121425557, 0.006337943550} + first
        << QList<double>{12.109531876448, 0.003288196808, 12.201050273139, 0.003195685933, 0.001050273139} + second;
    QTest::newRow("no colour term: CCD error or spread")
        << Pair::BV << true
        << QList<double>{13.268732822986, 0.030000000000, 12.908734154849, 0.007906435456, 0.008734154849} + first
        << QList<double>{12.077033012811, 0.002996575700, 12.197033095373, 0.002996575700, -0.002966904627} + second;
}

void TestTransform::transformsAnEnsemble()
{
    QFETCH(Pair, pair);
    QFETCH(bool, zero);
    QFETCH(QList<double>, first);
    QFETCH(QList<double>, second);
    const Transformed t = transform(pair, firstImage(), secondImage(), generatorCoefficients(zero));
    QCOMPARE(t.problem, QString());
    const QList<double> got = numbers(t.first) + numbers(t.second), expected = first + second;
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(std::abs(got[i] - expected[i]) < 1e-9, qPrintable(QStringLiteral("value %1: %2 instead of %3")
                                                                  .arg(i).arg(got[i], 0, 'f', 12).arg(expected[i], 0, 'f', 12)));
}

void TestTransform::refusesIncompleteInput_data()
{
    QTest::addColumn<QString>("dropped");  // a coefficient the file lacks
    QTest::addColumn<int>("image");        // 0 or 1
    QTest::addColumn<int>("star");         // -1 none, 0 variable, 1 check, 2..4 C1..C3
    QTest::addColumn<double>("count");     // the star's count; NaN: its catalogue magnitude dropped
    QTest::addColumn<QString>("problem");  // empty: any message
    const double dropMagnitude = qQNaN();
    QTest::newRow("Tv_bv missing") << "Tv_bv" << 0 << -1 << 0.0 << MissingCoefficient.arg("Tv_bv");
    QTest::newRow("zero count") << "" << 1 << 3 << 0.0 << CountNotPositive.arg(ComparisonName.arg(2), "V");
    QTest::newRow("negative variable") << "" << 0 << 0 << -5.0 << CountNotPositive.arg(VariableName, "B");
    QTest::newRow("infinite check") << "" << 1 << 1 << qInf() << CountNotPositive.arg(CheckName, "V");
    QTest::newRow("C3 magnitude") << "" << 0 << 4 << dropMagnitude << MagnitudeMissing.arg(ComparisonName.arg(3), "B");
    QTest::newRow("check magnitude") << "" << 1 << 1 << dropMagnitude << MagnitudeMissing.arg(CheckName, "V");
    QTest::newRow("ratio beyond a double") << "" << 0 << 0 << 1e-310 << QString();
}

void TestTransform::refusesIncompleteInput()
{
    QFETCH(QString, dropped);
    QFETCH(int, image);
    QFETCH(int, star);
    QFETCH(double, count);
    QFETCH(QString, problem);
    Coefficients c = generatorCoefficients();
    c.values.removeIf([&dropped](const Coefficient &k) { return k.name == dropped; });
    BandInput images[2] = {firstImage(), secondImage()};
    BandInput &b = images[image];
    Measured *stars[2] = {&b.variable, &b.check};
    if (star >= 0 && std::isnan(count))
        (star == 1 ? b.checkMagnitude : b.comparisonMagnitudes[star - 2]).reset();
    else if (star >= 0)
        (star < 2 ? stars[star]->count : b.comparisonCounts[star - 2]) = count;

    const Transformed t = transform(Pair::BV, images[0], images[1], c);
    QVERIFY(!t.problem.isEmpty());
    if (!problem.isEmpty())
        QCOMPARE(t.problem, problem);
    QCOMPARE(t.first.variable.magnitude, 0.0);
}

void TestTransform::labelText()
{
    Transformed t;
    t.first = {{13.2939, 0.031}, {}, 0, {13.26849, 0.0079}};
    t.second = {{12.0026, -0.0004}, {}, 0, {12.0776, 0.003}};
    QCOMPARE(resultText(Pair::BV, t),
             "V 12.003 ± 0.000 · B 13.294 ± 0.031 (trasformate; non trasformate V 12.078 B 13.268)");
    QCOMPARE(resultText(Pair::VR, t),
             "V 13.294 ± 0.031 · R 12.003 ± 0.000 (trasformate; non trasformate V 13.268 R 12.078)");
}

void TestTransform::freeGroup_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("problem");
    const QByteArray head = Aavso::header("ABC");
    const auto record = [](const char *group) {
        return QByteArray("SS CYG,2460425.31250,12.001,0.010,V,NO,STD,ENSEMBLE,na,na,na,na,") + group
            + ",X1,ENSEMBLE C1=1 C2=2 C3=3\r\n";
    };
    QTest::newRow("empty log") << QByteArray() << 1 << QString();
    QTest::newRow("header only") << head << 1 << QString();
    QTest::newRow("no groups") << head + record("na") + record("NA") << 1 << QString();
    QTest::newRow("highest number wins")
        << head + record("3") + record("12") + record("007") + record("A5") + record("-4") + record("2.5")
        << 13 << QString();
    QTest::newRow("short line has no group") << head + "SS CYG,2460425.3,12.0,na,V,NO,STD,a,b,c,d,e\r\n"
                                             << 1 << QString();
    QTest::newRow("own delimiter") << QByteArray("#TYPE=EXTENDED\n#DELIM=;\nX;1;2;3;V;NO;STD;a;b;c;d;e;41;f;g\n")
                                   << 42 << QString();
    QTest::newRow("last number") << head + record("99998") << 99999 << QString();
    QTest::newRow("none left") << head + record("99999") << 0 << NoGroupLeft.arg(99999).arg(MostGroupCharacters);
    QTest::newRow("six digits") << head + record("000123456") << 0
                                << NoGroupLeft.arg("000123456").arg(MostGroupCharacters);
    QTest::newRow("record before the header") << record("3") + head << 0 << NotExtendedLog;
}

void TestTransform::freeGroup()
{
    QFETCH(QByteArray, log);
    QFETCH(int, group);
    QFETCH(QString, problem);
    const GroupNumber free = Transform::freeGroup(log);
    QCOMPARE(free.number, group);
    QCOMPARE(free.problem, problem);
}

void TestTransform::notes_data()
{
    QTest::addColumn<Pair>("pair");
    QTest::addColumn<Filter>("filter");
    QTest::addColumn<double>("tvbv"); // Tv_bv in the file; NaN: not in it
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("B record") << Pair::BV << Filter::First << -0.115 << "Tbv=1.182 Tb_bv=0.039" << "";
    QTest::newRow("V record") << Pair::BV << Filter::Second << -0.115 << "Tbv=1.182 Tv_bv=-0.115" << "";
    QTest::newRow("I record") << Pair::VI << Filter::Second << -0.115 << "Tvi=1.041 Ti_vi=0.057" << "";
    QTest::newRow("coefficient missing") << Pair::BV << Filter::Second << qQNaN() << ""
                                         << MissingCoefficient.arg("Tv_bv");
    QTest::newRow("too long") << Pair::BV << Filter::Second << 1e100 << "" << NotesTooLong.arg(MostNotesCharacters);
}

void TestTransform::notes()
{
    QFETCH(Pair, pair);
    QFETCH(Filter, filter);
    QFETCH(double, tvbv);
    QFETCH(QString, text);
    QFETCH(QString, problem);
    Coefficients c = generatorCoefficients();
    c.values.removeIf([](const Coefficient &k) { return k.name == "Tv_bv"; });
    if (!std::isnan(tvbv))
        c.values.append({"TV_BV", tvbv});
    const Notes notes = coefficientNotes(pair, filter, c);
    QCOMPARE(notes.text, text);
    QCOMPARE(notes.problem, problem);
}

QTEST_GUILESS_MAIN(TestTransform)
#include "tst_transform.moc"
