#include "transform/coefficients.h"
#include "transform/logfields.h"
#include "transform/twocolour.h"

#include "aavso/vocabulary.h"

#include "support/diskfiles.h"
#include "support/fifo.h"

#include <QStringEncoder>
#include <QTest>

#include <cmath>
#include <functional>

using namespace Transform;
using Doubles = QList<double>;

Q_DECLARE_METATYPE(Transform::Pair)
Q_DECLARE_METATYPE(Transform::Filter)

namespace {

// A generator's file: every coefficient a different number, so that one taken
// for another shows; Tr_vr has no error, Tr_vi is for no pair here.
const QByteArray GeneratorFile = "[Setup]\r\ndescription=C11 ST-8\r\n[Coefficients]\r\nTbv=1.182\r\nTb_bv=0.039\r\n"
    "Tv_bv=-0.115\r\nTvr=0.953\r\nTv_vr=0.021\r\nTr_vr=-0.062\r\nTr_vi=0.5\r\n[Error]\r\nTbv=0.021\r\n"
    "Tb_bv=0.012\r\nTv_bv=0,015\r\nTvr=0.018\r\nTv_vr=0.009\r\n";
const QByteArray NoColourTerm = "[Coefficients]\nTbv=0\nTb_bv=0\nTv_bv=0\n[Error]\nTbv=0.1\n";

// The file at `path` holds `bytes`, or is what a marker names.
QString prepared(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath("c.ini");
    if (bytes == "<folder>")
        QDir(dir.path()).mkdir("c.ini");
    else if (bytes == "<pipe>")
        makeFifo(path);
    else
        putBytes(path, bytes);
    return path;
}

Coefficients coefficientsOf(const QByteArray &bytes)
{
    QTemporaryDir dir;
    return readCoefficients(prepared(dir, bytes)).coefficients;
}

// Counts made from magnitudes with a colour term and a few millimagnitudes of noise.
const BandInput FirstImage{{45081.7, 0.03}, {62805.8, 0.004}, {89838.0, 43776.4, 152398.3}, {12.512, 13.301, 11.954}, 12.9};
const BandInput SecondImage{{152054.8, 0.001}, {136144.5, 0.002}, {189225.6, 92538.0, 289161.2}, {11.843, 12.615, 11.377}, 12.2};

using Change = std::function<void(BandInput &first, BandInput &second)>;

Doubles numbers(const BandResult &r)
{
    return {r.variable.magnitude, r.variable.error, r.check.magnitude, r.check.error,
            r.checkDifference, r.untransformed.magnitude, r.untransformed.error};
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestTransform : public QObject
{
    Q_OBJECT
private slots:
    void readsGeneratorFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("summaryText"); // empty when refused
        QTest::addColumn<QString>("problem");     // %1: the file
        const QString none, f = QStringLiteral("%1"), tbv = QStringLiteral("Tbv");
        const QString section = QStringLiteral("Coefficients");
        QTest::newRow("generator's file, CRLF") << GeneratorFile
            << "Coefficienti: Tbv 1.182, Tb_bv 0.039, Tv_bv -0.115, Tvr 0.953, Tv_vr 0.021, Tr_vr -0.062, Tr_vi 0.500"
            << none;
        QTest::newRow("comma, comments, blanks, LF")
            << QByteArray("; Transform Generator\n# saved\n [coefficients] \nTvr = 0,512\n;Tv_vr=9\nTv_vr=-0,0004\n")
            << "Coefficienti: Tvr 0.512, Tv_vr 0.000" << none;
        QTest::newRow("other section passed over, lone CR")
            << QByteArray("[Other]\rTbv=abc\r[Coefficients]\rTvi=1.5e-1\r") << "Coefficienti: Tvi 0.150" << none;
        QTest::newRow("nothing after =") << QByteArray("[Coefficients]\nTbv=\nTv_bv=1\n[Error]\nTv_bv=\n")
                                         << "Coefficienti: Tv_bv 1.000" << none;
        QTest::newRow("no section") << QByteArray("[Setup]\ndescription=x\nTbv=1\n") << "" << NoCoefficients;
        QTest::newRow("two points") << QByteArray("[Coefficients]\nTbv=1.2.3\n") << ""
                                    << NotANumber.arg(f, tbv, section, "1.2.3");
        QTest::newRow("bad error") << QByteArray("[Coefficients]\nTbv=1\n[Error]\nTbv=n/a\n") << ""
                                   << NotANumber.arg(f, tbv, "Error", "n/a");
        const QString most = QString::number(MostCoefficient);
        QTest::newRow("coefficients of 2 and -2, error 0")
            << QByteArray("[Coefficients]\nTbv=2\nTv_bv=-2,000\n[Error]\nTbv=0\nTv_bv=-0\n")
            << "Coefficienti: Tbv 2.000, Tv_bv -2.000" << none;
        QTest::newRow("just over 2") << QByteArray("[Coefficients]\nTbv=1\nTv_bv=-2.001\n") << ""
                                     << OutOfRange.arg(f, "Tv_bv", "-2.001", most);
        QTest::newRow("1e50") << QByteArray("[Coefficients]\nTbv=1e50\n") << ""
                              << OutOfRange.arg(f, tbv, "1e50", most);
        QTest::newRow("beyond a double") << QByteArray("[Coefficients]\nTbv=-1e400\n") << ""
                                         << OutOfRange.arg(f, tbv, "-1e400", most);
        QTest::newRow("negative error") << QByteArray("[Coefficients]\nTbv=1\n[Error]\nTbv=-0.001\n") << ""
                                        << BadError.arg(f, tbv, "-0.001");
        QTest::newRow("infinite error") << QByteArray("[Coefficients]\nTbv=1\n[Error]\nTbv=1e400\n") << ""
                                        << BadError.arg(f, tbv, "1e400");
        QTest::newRow("repeated in other case") << QByteArray("[Coefficients]\nTbv=1\nTBV=2\n") << ""
                                                << Repeated.arg(f, "TBV", section);
        QTest::newRow("binary") << QByteArray("[Coefficients]\nTbv=1\n\x01\x02") << "" << NotText;
        QTest::newRow("UTF-16 with a mark")
            << QByteArray(QStringEncoder(QStringConverter::Utf16BE, QStringEncoder::Flag::WriteBom)(
                   u"[Coefficients]\r\nTbv=0,5\r\n"))
                                            << "Coefficienti: Tbv 0.500" << none;
        QTest::newRow("UTF-16 cut off") << QByteArray("\xFF\xFE[\0C\0o", 7) << "" << NotText;
        QTest::newRow("too large") << "[Coefficients]\nTbv=1\n" + QByteArray(64 * 1024, ';') << "" << TooLarge;
        QTest::newRow("folder") << QByteArray("<folder>") << "" << IsFolder;
        QTest::newRow("pipe") << QByteArray("<pipe>") << "" << NotRegularFile;
    }

    void readsGeneratorFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, summaryText);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = prepared(dir, bytes);
        const FifoWatchdog watchdog(bytes == "<pipe>" ? path : dir.filePath("none"));

        const CoefficientsRead read = readCoefficients(path);
        QCOMPARE(read.problem, problem.isEmpty() ? problem : problem.arg(path));
        QCOMPARE(read.problem.isEmpty() ? summary(read.coefficients) : QString(), summaryText);
        QCOMPARE(read.coefficients.description, QString(bytes == GeneratorFile ? "C11 ST-8" : ""));
    }

    void transformsAnEnsemble_data()
    {
        QTest::addColumn<Pair>("pair");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Change>("change"); // to the two images
        QTest::addColumn<Doubles>("expected");
        QTest::addColumn<QString>("text"); // the label, or the refusal; empty: any refusal
        // Worked out once in python3 with −2.5·log10(star ÷ comparison), statistics.stdev
        // for the spread and the first-order coefficient errors added in quadrature.
        // Per filter: variable ± error, check ± error, check − catalogue, untransformed ± spread.
        const Doubles first = {13.268732822986, 0.007906435456}, second = {12.077033012811, 0.002996575700};
        const Doubles refused(14, 0.0);
        const QString b = QStringLiteral("B"), v = QStringLiteral("V");
        const Change none = [](BandInput &, BandInput &) {};
        QTest::newRow("B, V") << Pair::BV << GeneratorFile << none
            << Doubles{13.293980688836, 0.030992772629, 12.911855038289, 0.010636892829, 0.011855038289} + first
                   + Doubles{12.002584177614, 0.014833988789, 12.187830490358, 0.011201214731, -0.012169509642} + second
            << "V 12.003 ± 0.015 · B 13.294 ± 0.031 (trasformate; non trasformate V 12.077 B 13.269)";
        QTest::newRow("V, R; Tr_vr without error") << Pair::VR << GeneratorFile << none
            << Doubles{13.279693939287, 0.030366272528, 12.910089056152, 0.009061558404, 0.010089056152} + first
                   + Doubles{12.044671621827, 0.006260595927, 12.193032910573, 0.006231144683, -0.006967089427} + second
            << "V 13.280 ± 0.030 · R 12.045 ± 0.006 (trasformate; non trasformate V 13.269 R 12.077)";
        QTest::newRow("no colour term: CCD error or spread") << Pair::BV << NoColourTerm << none
            << Doubles{13.268732822986, 0.030000000000, 12.908734154849, 0.007906435456, 0.008734154849} + first
                   + Doubles{12.077033012811, 0.002996575700, 12.197033095373, 0.002996575700, -0.002966904627} + second
            << "V 12.077 ± 0.003 · B 13.269 ± 0.030 (trasformate; non trasformate V 12.077 B 13.269)";
        QTest::newRow("Tv_bv missing") << Pair::BV << QByteArray("[Coefficients]\nTbv=1\nTb_bv=0\n") << none
                                       << refused << MissingCoefficient.arg("Tv_bv");
        QTest::newRow("zero count") << Pair::BV << GeneratorFile << Change([](BandInput &, BandInput &y) {
            y.comparisonCounts[1] = 0; }) << refused << CountNotPositive.arg(ComparisonName.arg(2), v);
        QTest::newRow("check not a number") << Pair::BV << GeneratorFile << Change([](BandInput &, BandInput &y) {
            y.check.count = qQNaN(); }) << refused << CountNotPositive.arg(CheckName, v);
        QTest::newRow("C3 magnitude") << Pair::BV << GeneratorFile << Change([](BandInput &x, BandInput &) {
            x.comparisonMagnitudes[2].reset(); }) << refused << MagnitudeMissing.arg(ComparisonName.arg(3), b);
        QTest::newRow("check magnitude") << Pair::BV << GeneratorFile << Change([](BandInput &, BandInput &y) {
            y.checkMagnitude.reset(); }) << refused << MagnitudeMissing.arg(CheckName, v);
        QTest::newRow("ratio beyond a double") << Pair::BV << GeneratorFile << Change([](BandInput &x, BandInput &) {
            x.variable.count = 1e-310; }) << refused << QString();
    }

    void transformsAnEnsemble()
    {
        QFETCH(Pair, pair);
        QFETCH(QByteArray, file);
        QFETCH(Change, change);
        QFETCH(Doubles, expected);
        QFETCH(QString, text);
        BandInput first = FirstImage, second = SecondImage;
        change(first, second);
        const Transformed t = transform(pair, first, second, coefficientsOf(file));
        if (text.isEmpty())
            QVERIFY(!t.problem.isEmpty());
        else
            QCOMPARE(t.problem.isEmpty() ? resultText(pair, t) : t.problem, text);
        const Doubles got = numbers(t.first) + numbers(t.second);
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) < 1e-9,
                     qPrintable(QStringLiteral("value %1: %2 instead of %3").arg(i).arg(got[i], 0, 'f', 12).arg(expected[i], 0, 'f', 12)));
    }

    void freeGroup_data()
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
        QTest::newRow("no groups; short line") << head + record("na") + "X,2460425.3,12.0,na,V,NO,STD,a,b,c,d,e\r\n"
                                               << 1 << QString();
        QTest::newRow("highest number wins") << head + record("3") + record("12") + record("007") + record("A5")
                + record("-4") + record("2.5") << 13 << QString();
        QTest::newRow("last number") << head + record("99998") << 99999 << QString();
        QTest::newRow("none left") << head + record("99999") << 0 << NoGroupLeft.arg(99999).arg(Aavso::MostGroupDigits);
        QTest::newRow("six digits") << head + record("000123456") << 0
                                    << NoGroupLeft.arg("000123456").arg(Aavso::MostGroupDigits);
        QTest::newRow("record before the header") << record("3") + head << 0 << NotExtendedLog;
    }

    void freeGroup()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, group);
        QFETCH(QString, problem);
        const GroupNumber free = Transform::freeGroup(log);
        QCOMPARE(free.number, group);
        QCOMPARE(free.problem, problem);
    }

    void notes_data()
    {
        QTest::addColumn<Pair>("pair");
        QTest::addColumn<Filter>("filter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("B record") << Pair::BV << Filter::First << "Tbv=1.182 Tb_bv=0.039" << "";
        QTest::newRow("V record, name in capitals") << Pair::BV << Filter::Second << "Tbv=1.182 Tv_bv=-0.115" << "";
        QTest::newRow("I record, too long") << Pair::VI << Filter::Second << "" << NotesTooLong.arg(MostNotesCharacters);
        QTest::newRow("missing") << Pair::VR << Filter::First << "" << MissingCoefficient.arg("Tvr");
    }

    void notes()
    {
        QFETCH(Pair, pair);
        QFETCH(Filter, filter);
        QFETCH(QString, text);
        QFETCH(QString, problem);
        // Made here: no file holds a coefficient long enough to overrun the notes.
        const Coefficients coefficients{
            QString(), {{"Tbv", 1.182}, {"Tb_bv", 0.039}, {"TV_BV", -0.115}, {"Tvi", 1}, {"Ti_vi", 1e100}}, {}};
        const Notes notes = coefficientNotes(pair, filter, coefficients);
        QCOMPARE(notes.text, text);
        QCOMPARE(notes.problem, problem);
    }
};

QTEST_GUILESS_MAIN(TestTransform)
#include "tst_transform.moc"
