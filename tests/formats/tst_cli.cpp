#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// petrinets-cli as a user runs it: exit codes, standard output and error.
class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void infoJsonSkipsBadFiles();
    void convertRoundTrip();

private:
    struct TRun
    {
        int Code = -1;
        QString Out, Err;
    };
    TRun Run(const QStringList &args);
    QString Path(const char *name) const { return Dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir Dir;
    QString Sample;
};


TestCli::TRun TestCli::Run(const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(Dir.path());
    p.start(QStringLiteral(PETRI_CLI), args);
    TRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCli::initTestCase()
{
    QVERIFY(Dir.isValid());
    Sample = QStringLiteral(PETRI_TEST_DATA "/sample.qvx");
    QVERIFY(QFile::copy(Sample, Path("sample.qvx")));
    QFile bad(Path("bad.qvx"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a net");
}

void TestCli::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    auto l = [](std::initializer_list<const char *> a) {
        QStringList s;
        for (const char *x : a)
            s << QString::fromUtf8(x);
        return s;
    };
    QTest::newRow("no arguments") << QStringList() << 2 << "" << "использование";
    QTest::newRow("help") << l({"--help"}) << 0 << "convert" << "";
    QTest::newRow("unknown command") << l({"paint"}) << 2 << "" << "неизвестная команда paint";
    for (const char *c : {"convert", "render", "info", "sample"})
        QTest::addRow("%s --help", c) << l({c, "--help"}) << 0 << QStringLiteral("petrinets-cli ") + QLatin1StringView(c) << "";
    QTest::newRow("convert: one file") << l({"convert", "sample.qvx"}) << 2 << "" << "два файла";
    QTest::newRow("convert: unknown target type") << l({"convert", "sample.qvx", "x.txt"}) << 2 << "" << ".qvx или .pnml";
    QTest::newRow("convert: unknown option") << l({"convert", "--fast", "a", "b"}) << 2 << "" << "--fast";
    QTest::newRow("convert: damaged input") << l({"convert", "bad.qvx", "x.pnml"}) << 1 << "" << "bad.qvx";
    QTest::newRow("render png with states") << l({"render", "sample.qvx", "s.png", "--states"}) << 0 << "" << "";
    QTest::newRow("render pdf") << l({"render", "sample.qvx", "s.pdf"}) << 0 << "" << "";
    QTest::newRow("render: unknown picture type") << l({"render", "sample.qvx", "s.gif"}) << 2 << "" << ".png, .svg или .pdf";
    QTest::newRow("render: missing input") << l({"render", "none.qvx", "s.png"}) << 1 << "" << "none.qvx";
    QTest::newRow("info text") << l({"info", "sample.qvx"}) << 0 << "Позиций: 5, переходов: 4, дуг: 10" << "";
    QTest::newRow("info: no files") << l({"info", "--json"}) << 2 << "" << "ни один файл";
    QTest::newRow("sample") << l({"sample", "new.qvx"}) << 0 << "" << "";
}

void TestCli::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const TRun r = Run(args);
    QCOMPARE(r.Code, code);
    QVERIFY2(r.Out.contains(out), qPrintable(r.Out));
    QVERIFY2(r.Err.contains(err), qPrintable(r.Err));
    if (err.isEmpty())
        QVERIFY2(r.Err.isEmpty(), qPrintable(r.Err));
}

void TestCli::infoJsonSkipsBadFiles()
{
    const TRun r = Run({QStringLiteral("info"), QStringLiteral("--json"), QStringLiteral("sample.qvx"),
                        QStringLiteral("bad.qvx"), QStringLiteral("sample.qvx")});
    QCOMPARE(r.Code, 1);
    QVERIFY(r.Err.contains(u"bad.qvx"));
    const QJsonArray all = QJsonDocument::fromJson(r.Out.toUtf8()).array();
    QCOMPARE(all.size(), 2);
    const QJsonObject o = all.first().toObject();
    QCOMPARE(o[u"file"].toString(), QStringLiteral("sample.qvx"));
    QCOMPARE(o[u"name"].toString(), QStringLiteral("Пример"));
    QCOMPARE(o[u"author"].toString(), QString());
    QCOMPARE(o[u"places"].toInt(), 5);
    QCOMPARE(o[u"transitions"].toInt(), 4);
    QCOMPARE(o[u"arcs"].toInt(), 10);
    QCOMPARE(o[u"place_names"].toArray().first().toString(), QStringLiteral("Позиция1"));
    QCOMPARE(o[u"transition_names"].toArray().size(), 4);
    QCOMPARE(o[u"marking"].toArray(), QJsonArray({3, 0, 12, 1, 2}));
}

// The sample net through PNML and back is the same document, byte for byte,
// and the sample command still writes it.
void TestCli::convertRoundTrip()
{
    QCOMPARE(Run({QStringLiteral("convert"), QStringLiteral("sample.qvx"), QStringLiteral("s.pnml")}).Code, 0);
    QCOMPARE(Run({QStringLiteral("convert"), QStringLiteral("s.pnml"), QStringLiteral("back.qvx")}).Code, 0);
    QCOMPARE(Run({QStringLiteral("sample"), QStringLiteral("again.qvx")}).Code, 0);
    QFile a(Sample), b(Path("back.qvx")), c(Path("again.qvx"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
    const QByteArray original = a.readAll();
    QCOMPARE(b.readAll(), original);
    QCOMPARE(c.readAll(), original);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
