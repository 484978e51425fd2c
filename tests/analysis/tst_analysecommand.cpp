#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// petrinets-cli analyse as a grading script calls it: exit codes, the JSON
// shape and the keys it relies on.
class TAnalyseCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void analyse_data();
    void analyse();

private:
    QTemporaryDir Dir;
    QString Nets = QStringLiteral(PETRI_SOURCE_DIR "/../shared/data/nets/");
};

void TAnalyseCommandTest::initTestCase()
{
    QVERIFY(Dir.isValid());
    QFile bad(Dir.filePath(QStringLiteral("bad.pnml")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<pnml><net><place id=");
    bad.close();
    QCOMPARE(QProcess::execute(QStringLiteral(PETRI_CLI),
                               {QStringLiteral("sample"), Dir.filePath(QStringLiteral("sample.qvx"))}),
             0);
}

void TAnalyseCommandTest::analyse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    // "key=value" pairs checked in the (first) JSON object; value is JSON text.
    QTest::addColumn<QStringList>("expect");
    QTest::addColumn<int>("objects");   // -1: a single object, n: an array of n

    const QString era = Nets + QStringLiteral("Eratosthenes-PT-010.pnml");
    const QString kanban = Nets + QStringLiteral("Kanban-PT-00005.pnml");
    QTest::newRow("one net") << QStringList{QStringLiteral("--json"), era} << 0
                             << QStringList{QStringLiteral("complete=true"), QStringLiteral("states=32"),
                                            QStringLiteral("firings=120"), QStringLiteral("bounded=true"),
                                            QStringLiteral("safe=true"), QStringLiteral("max_tokens_marking=9"),
                                            QStringLiteral("deadlock=true"), QStringLiteral("live=false")}
                             << -1;
    QTest::newRow("state limit") << QStringList{kanban, QStringLiteral("--max-states"), QStringLiteral("1000"),
                                                QStringLiteral("--json")}
                                 << 0
                                 << QStringList{QStringLiteral("complete=false"), QStringLiteral("states=1000"),
                                                QStringLiteral("bounded=null"), QStringLiteral("live=null"),
                                                QStringLiteral("deadlocks=null")}
                                 << -1;
    QTest::newRow("refused file among good ones")
        << QStringList{QStringLiteral("--json"), Dir.filePath(QStringLiteral("bad.pnml")),
                       Dir.filePath(QStringLiteral("sample.qvx"))}
        << 1 << QStringList{} << 2;
    QTest::newRow("text") << QStringList{era} << 0 << QStringList{} << 0;
    QTest::newRow("no file") << QStringList{QStringLiteral("--json")} << 2 << QStringList{} << 0;
    QTest::newRow("bad limit") << QStringList{QStringLiteral("--max-states"), QStringLiteral("-5"), era} << 2
                               << QStringList{} << 0;
    QTest::newRow("two threads") << QStringList{kanban, QStringLiteral("--threads"), QStringLiteral("2"),
                                                QStringLiteral("--max-states"), QStringLiteral("100000"),
                                                QStringLiteral("--json")}
                                 << 0 << QStringList{QStringLiteral("complete=false"), QStringLiteral("states=100000")}
                                 << -1;
    QTest::newRow("bad threads") << QStringList{QStringLiteral("--threads"), QStringLiteral("0"), era} << 2
                                 << QStringList{} << 0;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--fast"), era} << 2 << QStringList{} << 0;
}

void TAnalyseCommandTest::analyse()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, expect);
    QFETCH(int, objects);
    if (!QFile::exists(Nets))
        QSKIP("the shared benchmark nets are not there");
    QProcess cli;
    cli.start(QStringLiteral(PETRI_CLI), QStringList{QStringLiteral("analyse")} + args);
    QVERIFY(cli.waitForFinished(120000));
    QTEST(cli.exitCode(), "exitCode");
    const QByteArray out = cli.readAllStandardOutput();
    if (!args.contains(QStringLiteral("--json")) || cli.exitCode() == 2) {
        // Text, or nothing at all after wrong usage; messages go to standard error.
        QCOMPARE(out.isEmpty(), cli.exitCode() == 2);
        QVERIFY(out.isEmpty() || QString::fromUtf8(out).contains(QStringLiteral("Живость: нет")));
        return;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(doc.isArray(), objects >= 0);
    if (objects >= 0) {
        QCOMPARE(doc.array().size(), objects);
        QVERIFY(doc.array()[0].toObject().contains(QStringLiteral("error")));
        QVERIFY(doc.array()[1].toObject().contains(QStringLiteral("states")));
        return;
    }
    const QJsonObject o = doc.object();
    for (const char *key : {"file", "complete", "states", "firings", "bounded", "safe", "unbounded_places",
                            "max_tokens_place", "max_tokens_marking", "deadlocks", "deadlock_path",
                            "dead_transitions", "live", "reversible", "p_invariants", "t_invariants", "seconds"})
        QVERIFY2(o.contains(QString::fromLatin1(key)), key);
    for (const QString &pair : expect) {
        const QString key = pair.section(u'=', 0, 0);
        const QJsonValue want = QJsonDocument::fromJson("[" + pair.section(u'=', 1).toUtf8() + "]").array()[0];
        QVERIFY2(o.value(key) == want, qPrintable(pair));
    }
}

QTEST_GUILESS_MAIN(TAnalyseCommandTest)
#include "tst_analysecommand.moc"
