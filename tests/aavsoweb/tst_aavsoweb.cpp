#include "aavsoweb/cache.h"
#include "aavsoweb/downloads.h"
#include "aavsoweb/fetch.h"
#include "aavsoweb/request.h"
#include "aavso/observations.h"
#include "core/juliandate.h"
#include "core/version.h"
#include "support/localserver.h"
#include "support/scripteddialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace AavsoWeb;

namespace {

QByteArray answerFile(const char *name)
{
    QFile file(QStringLiteral(ANSWERS "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray queryItem(const QByteArray &target, const char *key)
{
    return QUrlQuery(QUrl(QString::fromLatin1(target)).query()).queryItemValue(QLatin1String(key)).toLatin1();
}

// Points VEVURID_AAVSO_URL at `address` for one scope.
class AddressGuard
{
public:
    explicit AddressGuard(const QByteArray &address) { qputenv(AddressVariable, address); }
    ~AddressGuard() { qunsetenv(AddressVariable); }
    AddressGuard(const AddressGuard &) = delete;
    AddressGuard &operator=(const AddressGuard &) = delete;
};

const QDateTime Now(QDate(2023, 2, 25), QTime(12, 0), Qt::UTC); // JD 2460001.0

} // namespace

class TestAavsoWeb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void addresses_data();
    void addresses();
    void sequenceRequest_data();
    void sequenceRequest();
    void pieces_data();
    void pieces();
    void reachable_data();
    void reachable();
    void period_data();
    void period();
    void sequenceFetchedThenFromCopy();
    void sequenceRefused_data();
    void sequenceRefused();
    void redirectOnThisMachine();
    void observationsInPieces();
    void observationsHeaderOnly();
    void observationsRefused_data();
    void observationsRefused();
    void observationsCancelled();

private:
    QTemporaryDir m_cache;
    MapSettings m_settings;
};

void TestAavsoWeb::initTestCase()
{
    QVERIFY(m_cache.isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    setTimeLimitForTests(300);
}

void TestAavsoWeb::init()
{
    // Every test starts with an empty cache.
    QDir(Cache::folder()).removeRecursively();
    qunsetenv(AddressVariable);
    m_settings.values.clear();
}

void TestAavsoWeb::addresses_data()
{
    QTest::addColumn<QString>("vsp");
    QTest::addColumn<QString>("vsx");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("expectedVsp");
    QTest::addColumn<QString>("expectedVsx");

    QTest::newRow("the AAVSO's") << QString() << QString() << QByteArray() << DefaultVsp << DefaultVsx;
    QTest::newRow("settings") << "https://mirror.example.org/vsp/" << " https://mirror.example.org/vsx.php "
                              << QByteArray() << "https://mirror.example.org/vsp/"
                              << "https://mirror.example.org/vsx.php";
    QTest::newRow("variable over the AAVSO's") << QString() << QString() << QByteArray("http://127.0.0.1:8123")
                                               << "http://127.0.0.1:8123/apps/vsp/api/chart/"
                                               << "http://127.0.0.1:8123/vsx/index.php";
    QTest::newRow("variable over the settings, no port")
        << "https://mirror.example.org:444/vsp/" << QString() << QByteArray("https://copy.example.net")
        << "https://copy.example.net/vsp/" << "https://copy.example.net/vsx/index.php";
    QTest::newRow("variable without a host is left aside")
        << QString() << QString() << QByteArray("127.0.0.1") << DefaultVsp << DefaultVsx;
}

void TestAavsoWeb::addresses()
{
    QFETCH(QString, vsp);
    QFETCH(QString, vsx);
    QFETCH(QByteArray, variable);
    m_settings.setValue(VspKey, vsp);
    m_settings.setValue(VsxKey, vsx);
    const AddressGuard guard(variable);
    if (variable.isEmpty())
        qunsetenv(AddressVariable);
    const Addresses at = AavsoWeb::addresses(m_settings);
    QTEST(at.vsp.toString(), "expectedVsp");
    QTEST(at.vsx.toString(), "expectedVsx");
}

void TestAavsoWeb::sequenceRequest_data()
{
    QTest::addColumn<QString>("star");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name") << "V1117 Her"
                          << DefaultVsp + "?format=json&star=V1117 Her&fov=30.0&maglimit=16.5";
    QTest::newRow("name with blanks around and between") << "  SS   Cyg "
                                                         << DefaultVsp + "?format=json&star=SS Cyg&fov=30.0&maglimit=16.5";
    QTest::newRow("chart ID") << "X27876MZ" << DefaultVsp + "X27876MZ/?format=json";
    QTest::newRow("chart ID in small letters") << " x27876mz" << DefaultVsp + "X27876MZ/?format=json";
    QTest::newRow("four digits: a name") << "V1117HER"
                                         << DefaultVsp + "?format=json&star=V1117HER&fov=30.0&maglimit=16.5";
    QTest::newRow("four letters after: a name") << "X27876MZAB"
                                                << DefaultVsp + "?format=json&star=X27876MZAB&fov=30.0&maglimit=16.5";
    QTest::newRow("digits first: a name") << "27876MZ"
                                          << DefaultVsp + "?format=json&star=27876MZ&fov=30.0&maglimit=16.5";
}

void TestAavsoWeb::sequenceRequest()
{
    QFETCH(QString, star);
    QTEST(sequenceUrl(QUrl(DefaultVsp), star, 30, 16.5).toString(), "expected");
}

void TestAavsoWeb::pieces_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<QList<double>>("expected"); // start, end of each

    QTest::newRow("one day") << 2460000.0 << 2460000.0 << QList<double>{2460000.0, 2460000.0};
    QTest::newRow("exactly one piece") << 2459000.0 << 2460000.0 << QList<double>{2459000.0, 2460000.0};
    QTest::newRow("just over one piece") << 2459000.0 << 2460000.5
                                         << QList<double>{2459000.0, 2460000.0, 2460000.00001, 2460000.5};
    QTest::newRow("two and a half") << 2457500.0 << 2460000.0
                                    << QList<double>{2457500.0, 2458500.0, 2458500.00001, 2459500.00001,
                                                     2459500.00002, 2460000.0};
    QTest::newRow("backwards") << 2460000.0 << 2459999.0 << QList<double>{};
}

void TestAavsoWeb::pieces()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(QList<double>, expected);
    QList<double> got;
    for (const auto &[start, end] : AavsoWeb::pieces(from, to))
        got << start << end;
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        QVERIFY2(std::abs(got[i] - expected[i]) < 1e-7, qPrintable(QString::number(got[i], 'f', 6)));
}

void TestAavsoWeb::reachable_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("expected");
    QTest::newRow("HTTPS") << "https://www.aavso.org/vsx/index.php" << true;
    QTest::newRow("HTTP elsewhere") << "http://www.aavso.org/vsx/index.php" << false;
    QTest::newRow("HTTP to 127.0.0.1") << "http://127.0.0.1:8080/" << true;
    QTest::newRow("HTTP to 127.1.2.3") << "http://127.1.2.3/" << true;
    QTest::newRow("HTTP to ::1") << "http://[::1]:8080/" << true;
    QTest::newRow("HTTP to localhost") << "http://localhost/" << true;
    QTest::newRow("HTTP to a name holding localhost") << "http://localhost.example.org/" << false;
    QTest::newRow("FTP") << "ftp://www.aavso.org/" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
}

void TestAavsoWeb::reachable()
{
    QFETCH(QString, url);
    QTEST(AavsoWeb::reachable(QUrl(url)), "expected");
}

void TestAavsoWeb::period_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("fromJd");
    QTest::addColumn<double>("toJd");
    QTest::addColumn<QString>("problem");

    const double now = JulianDate::fromUtc(Now);
    QTest::newRow("both empty: ten years to now") << QString() << QString() << now - 3652.5 << now << QString();
    QTest::newRow("Julian dates") << "2459000.5" << " 2459100 " << 2459000.5 << 2459100.0 << QString();
    QTest::newRow("dates") << "1/1/2000" << "25/02/2023" << 2451544.5 << 2460000.5 << QString();
    QTest::newRow("only the end") << QString() << "2460000" << 2460000.0 - 3652.5 << 2460000.0 << QString();
    QTest::newRow("one day") << "2460000" << "2460000" << 2460000.0 << 2460000.0 << QString();
    QTest::newRow("backwards") << "2460000" << "2459999.99" << 2460000.0 << 2459999.99 << BackwardsPeriod;
    QTest::newRow("no such day") << "31/02/2020" << QString() << 0.0 << 0.0 << BadDate.arg("31/02/2020");
    QTest::newRow("reduced Julian date") << "60000" << QString() << 0.0 << 0.0 << BadDate.arg("60000");
    QTest::newRow("words") << QString() << "ieri" << 0.0 << 0.0 << BadDate.arg("ieri");
}

void TestAavsoWeb::period()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, fromJd);
    QFETCH(double, toJd);
    QFETCH(QString, problem);
    const Period got = typedPeriod(from, to, Now);
    QCOMPARE(got.problem, problem);
    if (problem.isEmpty() || problem == BackwardsPeriod) {
        QCOMPARE(got.fromJd, fromJd);
        QCOMPARE(got.toJd, toJd);
    }
}

// The answer is read, the request is the one asked for and names Vevurid;
// with the server stopped the copy serves, and a new answer replaces it.
void TestAavsoWeb::sequenceFetchedThenFromCopy()
{
    QByteArray served = answerFile("v1117her.json");
    LocalServer server([&served](const QByteArray &) { return LocalServer::ok(served, "application/json"); });
    const AddressGuard guard(server.address());
    const Addresses at = AavsoWeb::addresses(m_settings);

    SequenceDownload got = downloadSequence(at, "V1117 Her", 42.4, 16.5);
    QCOMPARE(got.problem, QString());
    QVERIFY(got.sequence);
    QCOMPARE(got.sequence->chartId, QStringLiteral("X27876MZ"));
    QCOMPARE(got.sequence->stars.size(), size_t(9));
    QCOMPARE(got.origin, FetchedNow);
    QCOMPARE(server.targets(),
             QList<QByteArray>{"/apps/vsp/api/chart/?format=json&star=V1117%20Her&fov=42.4&maglimit=16.5"});
    QVERIFY(server.requests().value(0).contains("\r\nUser-Agent: Vevurid/" + QByteArray(Version::FullText) + "\r\n"));

    served.replace("\"label\": \"107\"", "\"label\": \"108\"");
    got = downloadSequence(at, "V1117 Her", 42.4, 16.5);
    QCOMPARE(got.origin, FetchedNow);
    QCOMPARE(got.sequence->stars.front().label, QStringLiteral("108"));

    server.stop();
    got = downloadSequence(at, "V1117 Her", 42.4, 16.5);
    QCOMPARE(got.problem, QString());
    const QString copy = Cache::pathFor("/apps/vsp/api/chart/?format=json&star=V1117 Her&fov=42.4&maglimit=16.5", "json");
    QCOMPARE(got.origin, FromCopy.arg(Cache::savedOn(copy)));
    QCOMPARE(got.sequence->stars.front().label, QStringLiteral("108"));
    // Another request has no copy.
    got = downloadSequence(at, "V1117 Her", 30, 16.5);
    QVERIFY(!got.sequence);
    QVERIFY2(got.problem.startsWith(NoConnection.arg(QString()).chopped(1)), qPrintable(got.problem));
}

void TestAavsoWeb::sequenceRefused_data()
{
    QTest::addColumn<QByteArray>("answer"); // "silent" and "stopped" name a server that does not answer
    QTest::addColumn<QString>("problem");

    const QByteArray json = answerFile("v1117her.json");
    QTest::newRow("404") << LocalServer::status(404, "Not Found") << HttpError.arg(404).arg("Not Found");
    QTest::newRow("500") << LocalServer::status(500, "Internal Server Error", "<html>oops</html>")
                         << HttpError.arg(500).arg("Internal Server Error");
    QTest::newRow("unknown star") << LocalServer::status(400, "Bad Request", R"({"errors": ["Star not found"]})", "application/json")
                                  << UnknownStar.arg("V1117 Her");
    QTest::newRow("400 without errors") << LocalServer::status(400, "Bad Request", "{}", "application/json")
                                        << HttpError.arg(400).arg("Bad Request");
    QTest::newRow("HTML page") << LocalServer::ok("<!DOCTYPE html><html><body>Manutenzione</body></html>", "text/html")
                               << Unreadable.arg(NotSequenceJson);
    QTest::newRow("truncated JSON") << LocalServer::ok(json.left(json.size() / 2), "application/json")
                                    << Unreadable.arg(NotSequenceJson);
    QTest::newRow("JSON without stars") << LocalServer::ok(R"({"chartid": "X1", "photometry": []})")
                                        << Unreadable.arg(NotSequenceJson);
    QTest::newRow("cut short of its length")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n") + json.left(1000)
        << Unreadable.arg(Interrupted);
    QTest::newRow("200 MB: the length is allowed, the bytes missing")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 200000000\r\nConnection: close\r\n\r\n") + json.left(1000)
        << Unreadable.arg(Interrupted);
    QTest::newRow("a byte over 200 MB")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 200000001\r\nConnection: close\r\n\r\n") + json.left(1000)
        << TooLarge;
    QTest::newRow("redirect to HTTP elsewhere") << LocalServer::redirect("http://www.aavso.org/apps/vsp/api/chart/")
                                                << NoConnection.arg(NotHttps.arg("http://www.aavso.org/apps/vsp/api/chart/"));
    QTest::newRow("never answers") << QByteArray("silent") << TimedOut;
    QTest::newRow("connection refused") << QByteArray("stopped") << NoConnection.arg("Connection refused");
}

// Nothing comes back, and nothing is kept.
void TestAavsoWeb::sequenceRefused()
{
    QFETCH(QByteArray, answer);
    LocalServer server([&answer](const QByteArray &) { return answer; });
    if (answer == "silent")
        server.beSilent();
    else if (answer == "stopped")
        server.stop();
    const AddressGuard guard(server.address());
    const SequenceDownload got = downloadSequence(AavsoWeb::addresses(m_settings), "V1117 Her", 30, 16.5);
    QTEST(got.problem, "problem");
    QVERIFY(!got.sequence);
    QVERIFY(QDir(Cache::folder()).isEmpty());
}

void TestAavsoWeb::redirectOnThisMachine()
{
    const QByteArray json = answerFile("v1117her.json");
    LocalServer server([&](const QByteArray &target) {
        return target.startsWith("/moved/") ? LocalServer::ok(json)
                                            : LocalServer::redirect("http://127.0.0.1:" + QByteArray::number(server.port())
                                                                    + "/moved/");
    });
    const AddressGuard guard(server.address());
    const SequenceDownload got = downloadSequence(AavsoWeb::addresses(m_settings), "X27876MZ", 30, 16.5);
    QCOMPARE(got.problem, QString());
    QCOMPARE(server.targets(), (QList<QByteArray>{"/apps/vsp/api/chart/X27876MZ/?format=json", "/moved/"}));
}

// Two pieces, asked for by their dates, make one file with the columns' line once.
void TestAavsoWeb::observationsInPieces()
{
    const QByteArray first = answerFile("sscyg-1.txt");
    const QByteArray second = answerFile("sscyg-2.txt");
    LocalServer server([&](const QByteArray &target) {
        return LocalServer::ok(queryItem(target, "fromjd").startsWith("24585") ? first : second);
    });
    const AddressGuard guard(server.address());
    QList<int> told;
    const ObservationsDownload got = downloadObservations(
        AavsoWeb::addresses(m_settings), " SS  Cyg", "2458500", "1/8/2022", Now, [&told](int done, int pieces) {
            if (told.isEmpty() || told.back() != done)
                told << done << pieces;
            return true;
        });
    QCOMPARE(got.problem, QString());
    QCOMPARE(got.origin, FetchedNow);
    QCOMPARE(told, (QList<int>{0, 2, 1, 2}));
    QCOMPARE(server.targets(),
             (QList<QByteArray>{"/vsx/index.php?view=api.delim&ident=SS%20Cyg&fromjd=2458500.00000&tojd=2459500.00000&delimiter=@@@",
                                "/vsx/index.php?view=api.delim&ident=SS%20Cyg&fromjd=2459500.00001&tojd=2459792.50000&delimiter=@@@"}));
    QCOMPARE(fileBytes(got.path), first + second.mid(second.indexOf('\n') + 1));

    Aavso::LightCurve::Observations read;
    QCOMPARE(Aavso::LightCurve::addFile(read, got.path), QString());
    QCOMPARE(read.observations.size(), size_t(22));
    QCOMPARE(read.skipped.size(), size_t(0));
    const auto count = [&read](bool Aavso::LightCurve::Observation::*flag) {
        return std::count_if(read.observations.begin(), read.observations.end(),
                             [flag](const Aavso::LightCurve::Observation &o) { return o.*flag; });
    };
    QCOMPARE(count(&Aavso::LightCurve::Observation::fainter), 4);
    QCOMPARE(count(&Aavso::LightCurve::Observation::discrepant), 2);

    // The server stopped, the same request is served from the copy.
    server.stop();
    const ObservationsDownload copy =
        downloadObservations(AavsoWeb::addresses(m_settings), "ss cyg", "2458500", "1/8/2022", Now, {});
    QCOMPARE(copy.path, got.path);
    QCOMPARE(copy.origin, FromCopy.arg(Cache::savedOn(got.path)));
}

void TestAavsoWeb::observationsHeaderOnly()
{
    const QByteArray header = answerFile("sscyg-1.txt").split('\n').front();
    LocalServer server([&](const QByteArray &) { return LocalServer::ok(header); });
    const AddressGuard guard(server.address());
    const ObservationsDownload got =
        downloadObservations(AavsoWeb::addresses(m_settings), "SS Cyg", "2459000", "2459001", Now, {});
    QCOMPARE(got.problem, QString());
    QCOMPARE(fileBytes(got.path), header + '\n');
    Aavso::LightCurve::Observations read;
    QCOMPARE(Aavso::LightCurve::addFile(read, got.path), QString());
    QCOMPARE(read.observations.size(), size_t(0));
}

void TestAavsoWeb::observationsRefused_data()
{
    QTest::addColumn<QByteArray>("second"); // the second piece's answer
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("copy"); // an earlier download of the same request is there

    const QByteArray html = LocalServer::ok("<html><body>Errore</body></html>\n", "text/html");
    const QByteArray other = LocalServer::ok("JD@@@mag@@@band\n2459700.5@@@9.1@@@V\n");
    const QByteArray error = LocalServer::status(500, "Internal Server Error");
    QTest::newRow("HTML page") << html << Unreadable.arg(NotDelimited) << false;
    QTest::newRow("other columns") << other << Unreadable.arg(OtherColumns) << false;
    QTest::newRow("500") << error << HttpError.arg(500).arg("Internal Server Error") << false;
    QTest::newRow("empty answer") << LocalServer::ok(QByteArray()) << Unreadable.arg(NotDelimited) << false;
    QTest::newRow("500, with a copy") << error << QString() << true;
    QTest::newRow("HTML page, with a copy") << html << QString() << true;
}

// A piece refused drops the pieces before it; a copy there was stays as it was.
void TestAavsoWeb::observationsRefused()
{
    QFETCH(QByteArray, second);
    QFETCH(bool, copy);
    const QByteArray first = answerFile("sscyg-1.txt");
    bool failing = !copy;
    LocalServer server([&](const QByteArray &target) {
        return !failing || queryItem(target, "fromjd").startsWith("24585") ? LocalServer::ok(first) : second;
    });
    const AddressGuard guard(server.address());
    const Addresses at = AavsoWeb::addresses(m_settings);
    QByteArray before;
    if (copy) {
        const ObservationsDownload earlier = downloadObservations(at, "SS Cyg", "2458500", "2460000", Now, {});
        QCOMPARE(earlier.origin, FetchedNow);
        before = fileBytes(earlier.path);
        failing = true;
    }
    const ObservationsDownload got = downloadObservations(at, "SS Cyg", "2458500", "2460000", Now, {});
    QTEST(got.problem, "problem");
    QCOMPARE(server.targets().size(), copy ? 4 : 2);
    if (copy) {
        QCOMPARE(got.origin, FromCopy.arg(Cache::savedOn(got.path)));
        QCOMPARE(fileBytes(got.path), before);
    } else {
        QCOMPARE(got.path, QString());
        QVERIFY(QDir(Cache::folder()).isEmpty());
    }
}

// "Annulla" during the second piece keeps nothing of either.
void TestAavsoWeb::observationsCancelled()
{
    LocalServer server([](const QByteArray &) { return LocalServer::ok(answerFile("sscyg-1.txt")); });
    const AddressGuard guard(server.address());
    int asked = 0;
    const ObservationsDownload got = downloadObservations(
        AavsoWeb::addresses(m_settings), "SS Cyg", "2457000", "2460000", Now, [&asked](int done, int) {
            ++asked;
            return done < 1;
        });
    QVERIFY(got.cancelled);
    QCOMPARE(got.path, QString());
    QCOMPARE(got.problem, QString());
    QCOMPARE(server.targets().size(), 1);
    QVERIFY(QDir(Cache::folder()).isEmpty());
}

QTEST_GUILESS_MAIN(TestAavsoWeb)
#include "tst_aavsoweb.moc"
