#include "FileRead.h"
#include "NetFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The guarded reader behind every file open, and saving into the file-size limit.
class TFileReadTest : public QObject
{
    Q_OBJECT

private slots:
    void refusals_data();
    void refusals();
    void saveIntoFileSizeLimit_data();
    void saveIntoFileSizeLimit();
};

namespace {

const QByteArray DocMagic("\x3E\x6B\x93\x02", 4);

qint64 PeakMemoryKiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

void TFileReadTest::refusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("maxSize");
    QTest::addColumn<bool>("magic");
    QTest::addColumn<TFileReadResult>("expected");

    const qint64 doc = MaxDocumentSize;
    QTest::newRow("document") << QStringLiteral("document") << doc << true << TFileReadResult::Ok;
    QTest::newRow("fifo") << QStringLiteral("fifo") << doc << true << TFileReadResult::NotRegularFile;
    QTest::newRow("fifo, no magic") << QStringLiteral("fifo") << doc << false << TFileReadResult::NotRegularFile;
    QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << doc << true << TFileReadResult::NotRegularFile;
    QTest::newRow("/dev/zero, no magic") << QStringLiteral("/dev/zero") << doc << false << TFileReadResult::NotRegularFile;
    QTest::newRow("directory") << QStringLiteral("directory") << doc << true << TFileReadResult::NotRegularFile;
    // A 4 GiB hole with the right magic: refused on its size alone.
    QTest::newRow("sparse 4 GiB") << QStringLiteral("sparse") << doc << true << TFileReadResult::TooLarge;
    QTest::newRow("sparse 4 GiB, no magic") << QStringLiteral("sparse") << doc << false << TFileReadResult::TooLarge;
    QTest::newRow("wrong magic") << QStringLiteral("wrong magic") << doc << true << TFileReadResult::WrongMagic;
    QTest::newRow("shorter than magic") << QStringLiteral("short") << doc << true << TFileReadResult::WrongMagic;
    QTest::newRow("short, no magic") << QStringLiteral("short") << doc << false << TFileReadResult::Ok;
    QTest::newRow("empty, no magic") << QStringLiteral("empty") << doc << false << TFileReadResult::Ok;
    QTest::newRow("size = limit") << QStringLiteral("document") << -1LL << true << TFileReadResult::Ok;
    QTest::newRow("size = limit + 1") << QStringLiteral("document") << -2LL << true << TFileReadResult::TooLarge;
}

void TFileReadTest::refusals()
{
    QFETCH(QString, kind);
    QFETCH(qint64, maxSize);
    QFETCH(bool, magic);
    QFETCH(TFileReadResult, expected);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("net.qvx"));
    auto source = MakeNet();
    FillRandomNet(*source, 3, 5, 5, 8);
    const QByteArray document = source->SaveToBytes();
    QByteArray content = document;
    if (kind == u"fifo") {
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == u"/dev/zero") {
        path = kind;
    } else if (kind == u"directory") {
        path = dir.path();
    } else if (kind == u"sparse") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(DocMagic) == 4);
        QVERIFY(file.resize(qint64(4) << 30));
    } else {
        if (kind == u"wrong magic")
            content[3] = 0x03;
        else if (kind == u"short")
            content = DocMagic.left(2);
        else if (kind == u"empty")
            content.clear();
        QVERIFY(WriteFile(path, content));
    }
    if (maxSize < 0) // limits relative to the document's own size
        maxSize = document.size() + maxSize + 1;

    const qint64 memoryBefore = PeakMemoryKiB();
    QElapsedTimer timer;
    timer.start();
    QByteArray bytes("left over");
    const TFileReadResult result = ReadFileBytes(path, maxSize, bytes, magic ? DocMagic : QByteArray());
    QCOMPARE(result, expected);
    QCOMPARE(bytes, expected == TFileReadResult::Ok ? content : QByteArray());

    // Loading a document goes through the same reader and leaves the net as it was.
    if (magic && maxSize == MaxDocumentSize) {
        auto net = MakeNet();
        net->AddPlace(100, 100);
        net->FileName = path;
        const QByteArray kept = ElementBytes(*net);
        QCOMPARE(net->LoadFromFile(), expected == TFileReadResult::Ok);
        QCOMPARE(ElementBytes(*net), expected == TFileReadResult::Ok ? ElementBytes(*source) : kept);
    }
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(PeakMemoryKiB() - memoryBefore < 32 * 1024);
}

void TFileReadTest::saveIntoFileSizeLimit_data()
{
    QTest::addColumn<bool>("guarded");
    QTest::newRow("guarded") << true;
    // Shows the fault the guard exists for: without it the limit kills the process.
    QTest::newRow("unguarded") << false;
}

void TFileReadTest::saveIntoFileSizeLimit()
{
    QFETCH(bool, guarded);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("net.qvx"));
    auto net = MakeNet();
    net->FileName = path;
    net->AddPlace(100, 100);
    QVERIFY(net->SaveToFile());
    const QByteArray before = net->SaveToBytes();
    FillRandomNet(*net, 7, 60, 60, 120);
    QVERIFY(net->SaveToBytes().size() > 8192);

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_DFL);
        const struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        if (guarded)
            IgnoreFileSizeSignal();
        const bool saved = net->SaveToFile();
        _exit(saved ? 1 : net->Saved ? 2 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    if (guarded) {
        QVERIFY2(WIFEXITED(status), "the child was killed instead of reporting a failed save");
        QCOMPARE(WEXITSTATUS(status), 0);
    } else {
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    if (guarded) // a killed save leaves its temporary file behind
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("net.qvx")});
}

QTEST_GUILESS_MAIN(TFileReadTest)
#include "tst_fileread.moc"
