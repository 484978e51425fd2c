#include "NetFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <limits>
#include <sys/resource.h>

// The document file: exact bytes, round trips, damaged files and safe saving.
class TNetFileTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyNetBytes();
    void roundTrip();
    void randomRoundTrips();
    void countersContinueAfterLoad();
    void arcRefersToFirstPlace();
    void contentTagNotCompared();
    void trailingBytesIgnored();
    void damagedFiles_data();
    void damagedFiles();
    void everyTruncationRefused();
    void missingFileRefused();
    void failedSaveKeepsPreviousFile();
    void unencodableTextSavedAsQuestionMarks();
};

namespace {

// A document written field by field, so damaged variants can be built by hand.
struct TDocBuilder
{
    TNetMemoryStream S;

    TDocBuilder &Header(qint32 magic = 43215678, const QString &tag = QStringLiteral("<QV-Document-File-V1.0::QV-Document-Data::"))
    {
        S.WriteInteger(magic);
        S.WriteString(tag);
        S.WriteString(QStringLiteral("Сеть"));
        S.WriteString(QString());
        S.WriteString(QString());
        for (qint32 v : {710, 510, 24, 24, 10, 24})
            S.WriteInteger(v);
        S.WriteString(QStringLiteral("::QV-Content-Data::"));
        return *this;
    }
    TDocBuilder &Node(quint8 kind, const QString &name, QPoint centre, qint32 tokens = 0)
    {
        S.WriteString(name);
        S.WriteInteger(0);
        S.WriteString(QString());
        S.WriteByte(kind);
        S.WritePoint(centre);
        if (kind == 1)
            S.WriteInteger(tokens);
        return *this;
    }
    TDocBuilder &Arc(quint8 startKind, qint32 startIndex, quint8 endKind, qint32 endIndex,
                     bool toPlace = false, qint32 bends = 0)
    {
        S.WriteString(QStringLiteral("Дуга"));
        S.WriteInteger(0);
        S.WriteString(QString());
        S.WriteByte(3);
        S.WriteBoolean(toPlace);
        S.WriteInteger(1);
        S.WriteByte(startKind);
        S.WriteInteger(startIndex);
        S.WriteByte(endKind);
        S.WriteInteger(endIndex);
        S.WriteInteger(bends);
        for (qint32 i = 0; i < bends; ++i)
            S.WritePoint(QPoint(i, i));
        return *this;
    }
    TDocBuilder &Int(qint32 v)
    {
        S.WriteInteger(v);
        return *this;
    }
    // One place, one transition and an arc between them.
    static QByteArray Valid()
    {
        TDocBuilder b;
        b.Header().Int(1).Node(1, QStringLiteral("P"), {50, 50}, 3).Int(1).Node(2, QStringLiteral("T"), {150, 50});
        b.Int(1).Arc(1, 0, 2, 0, false, 2);
        return b.S.Data();
    }
};

QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void TNetFileTest::emptyNetBytes()
{
    auto net = MakeNet();
    const QByteArray bytes = net->SaveToBytes();
    QCOMPARE(bytes.size(), 121);
    QCOMPARE(bytes.left(6).toHex(' '), QByteArray("3e 6b 93 02 2a 00"));
    QCOMPARE(bytes.mid(6, 42), QByteArray("<QV-Document-File-V1.0::QV-Document-Data::"));
    QCOMPARE(bytes.mid(48, 12).toHex(' '), QByteArray("0a 00 d1 e5 f2 fc 20 cf e5 f2 f0 e8"));
    QCOMPARE(bytes.right(12), QByteArray(12, '\0'));
    QCOMPARE(bytes.mid(88, 21), QByteArray::fromHex("1300") + QByteArray("::QV-Content-Data::"));
}

void TNetFileTest::roundTrip()
{
    QTemporaryDir dir;
    auto net = MakeNet();
    net->FileName = dir.filePath(QStringLiteral("сеть.qvx"));
    net->NetName = QStringLiteral("Производитель и потребитель");
    net->Author = QStringLiteral("Студент");
    net->Description = QStringLiteral("Две\r\nстроки");
    net->PlaceWidth = 30;
    FillRandomNet(*net, 7, 5, 4, 10);
    QVERIFY(net->SaveToFile());
    QVERIFY(net->Saved);

    auto loaded = MakeNet();
    loaded->FileName = net->FileName;
    int changes = 0;
    loaded->OnChange = [&changes](TPetryNet *) { ++changes; };
    QVERIFY(loaded->LoadFromFile());
    QCOMPARE(changes, 1);
    QCOMPARE(loaded->NetName, net->NetName);
    QCOMPARE(loaded->Author, net->Author);
    QCOMPARE(loaded->Description, net->Description);
    QCOMPARE(loaded->PlaceWidth, 30);
    QCOMPARE(ElementBytes(*loaded), ElementBytes(*net));
    QCOMPARE(loaded->SaveToBytes(), FileBytes(net->FileName));
    QCOMPARE(loaded->SelectedCount(), 0);
}

void TNetFileTest::randomRoundTrips()
{
    for (quint32 seed = 1; seed <= 20; ++seed) {
        auto net = MakeNet();
        FillRandomNet(*net, seed, int(seed % 7), int(seed % 5), int(seed * 3));
        const QByteArray bytes = net->SaveToBytes();
        auto loaded = MakeNet();
        QVERIFY(loaded->LoadFromBytes(bytes));
        QCOMPARE(loaded->SaveToBytes(), bytes);
    }
}

void TNetFileTest::countersContinueAfterLoad()
{
    auto source = MakeNet();
    for (int i = 0; i < 3; ++i)
        source->AddPlace(50 + 40 * i, 50);
    source->AddTransition(50, 150);
    source->AddTransition(90, 150);
    auto net = MakeNet();
    QVERIFY(net->LoadFromBytes(source->SaveToBytes()));
    QCOMPARE(net->AddPlace(300, 300)->Name, QStringLiteral("Позиция4"));
    QCOMPARE(net->AddTransition(300, 400)->Name, QStringLiteral("Переход3"));
}

void TNetFileTest::arcRefersToFirstPlace()
{
    TDocBuilder b;
    b.Header().Int(2).Node(1, QStringLiteral("A"), {10, 10}).Node(1, QStringLiteral("B"), {60, 10});
    b.Int(1).Node(2, QStringLiteral("T"), {30, 60}).Int(1).Arc(2, 0, 1, 0, true);
    auto net = MakeNet();
    QVERIFY(net->LoadFromBytes(b.S.Data()));
    QCOMPARE(net->Arc(0)->EndNode, net->Place(0));
    QCOMPARE(net->Place(0)->ArcCount(), 1);
    QCOMPARE(net->Place(1)->ArcCount(), 0);
}

void TNetFileTest::contentTagNotCompared()
{
    QByteArray bytes = TDocBuilder::Valid();
    const qsizetype at = bytes.indexOf("::QV-Content-Data::");
    bytes[at + 4] = 'c';
    auto net = MakeNet();
    QVERIFY(net->LoadFromBytes(bytes));
    QCOMPARE(net->ElementCount(), 3);
}

void TNetFileTest::trailingBytesIgnored()
{
    auto net = MakeNet();
    QVERIFY(net->LoadFromBytes(TDocBuilder::Valid() + QByteArray("garbage")));
    QCOMPARE(net->ArcCount(), 1);
}

void TNetFileTest::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray valid = TDocBuilder::Valid();
    auto doc = [] { TDocBuilder b; b.Header(); return b; };

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("wrong magic") << TDocBuilder().Header(43215679).S.Data();
    QTest::newRow("lower-case tag letter") << TDocBuilder().Header(43215678, QStringLiteral("<qV-Document-File-V1.0::QV-Document-Data::")).S.Data();
    QTest::newRow("tag one byte short") << TDocBuilder().Header(43215678, QStringLiteral("<QV-Document-File-V1.0::QV-Document-Data:")).S.Data();
    QTest::newRow("header cut in the name") << valid.left(52);
    QTest::newRow("header cut in the sizes") << valid.left(70);
    QTest::newRow("no element sections") << doc().S.Data();
    QTest::newRow("negative place count") << doc().Int(-1).Int(0).Int(0).S.Data();
    QTest::newRow("absurd place count") << doc().Int(0x7fffffff).Int(0).Int(0).S.Data();
    QTest::newRow("absurd arc count") << doc().Int(0).Int(0).Int(100000000).S.Data();
    QTest::newRow("negative transition count") << doc().Int(0).Int(-5).Int(0).S.Data();
    QTest::newRow("place record cut") << valid.left(valid.indexOf("P") + 5);
    QTest::newRow("string running past the end") << doc().Int(1).Int(0x0000ffff).S.Data();
    QTest::newRow("transition record in the place section") << doc().Int(1).Node(2, QStringLiteral("T"), {1, 1}).Int(0).Int(0).S.Data();
    QTest::newRow("unknown kind byte") << doc().Int(1).Node(7, QStringLiteral("X"), {1, 1}).Int(0).Int(0).S.Data();
    QTest::newRow("arc endpoint kind 0") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(1).Node(2, QStringLiteral("T"), {9, 9}).Int(1).Arc(0, 0, 2, 0).S.Data();
    QTest::newRow("arc place index out of range") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(1).Node(2, QStringLiteral("T"), {9, 9}).Int(1).Arc(1, 1, 2, 0).S.Data();
    QTest::newRow("arc negative transition index") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(1).Node(2, QStringLiteral("T"), {9, 9}).Int(1).Arc(1, 0, 2, -1).S.Data();
    QTest::newRow("arc between two places") << doc().Int(2).Node(1, QStringLiteral("P"), {1, 1}).Node(1, QStringLiteral("Q"), {5, 5}).Int(0).Int(1).Arc(1, 0, 1, 1).S.Data();
    QTest::newRow("arc to itself") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(0).Int(1).Arc(1, 0, 1, 0).S.Data();
    QTest::newRow("duplicate arc") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(1).Node(2, QStringLiteral("T"), {9, 9}).Int(2).Arc(1, 0, 2, 0).Arc(2, 0, 1, 0).S.Data();
    QTest::newRow("negative bend count") << doc().Int(1).Node(1, QStringLiteral("P"), {1, 1}).Int(1).Node(2, QStringLiteral("T"), {9, 9}).Int(1).Arc(1, 0, 2, 0, false, -1).S.Data();
    QTest::newRow("bend points cut") << valid.left(valid.size() - 4);
    QTest::newRow("Boolean byte 7") << [&] { QByteArray b = valid; b[b.size() - 16 - 4 - 18] = 7; return b; }();
    QTest::newRow("node far off the sheet") << doc().Int(1).Node(1, QStringLiteral("P"), {0x7ffffff0, 1}).Int(0).Int(0).S.Data();
    // The smallest integer has no positive counterpart: a range check through
    // abs() let it pass.
    QTest::newRow("node at the smallest integer") << doc().Int(1).Node(1, QStringLiteral("P"), {1, std::numeric_limits<qint32>::min()}).Int(0).Int(0).S.Data();
    QTest::newRow("bend point at the smallest integer") << [&] { QByteArray b = valid; b.replace(b.size() - 8, 4, QByteArray::fromHex("00000080")); return b; }();
    QTest::newRow("negative sheet width") << [] {
        TDocBuilder b;
        b.S.WriteInteger(43215678);
        b.S.WriteString(QStringLiteral("<QV-Document-File-V1.0::QV-Document-Data::"));
        for (int i = 0; i < 3; ++i)
            b.S.WriteString(QString());
        for (qint32 v : {-710, 510, 24, 24, 10, 24})
            b.S.WriteInteger(v);
        b.S.WriteString(QString());
        b.Int(0).Int(0).Int(0);
        return b.S.Data();
    }();
}

void TNetFileTest::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    auto net = MakeNet();
    FillRandomNet(*net, 3, 3, 2, 4);
    net->NetName = QStringLiteral("Прежняя");
    net->Saved = true;
    const QByteArray before = net->SaveToBytes();
    int changes = 0;
    net->OnChange = [&changes](TPetryNet *) { ++changes; };
    QVERIFY(!net->LoadFromBytes(bytes));
    QCOMPARE(net->SaveToBytes(), before);
    QCOMPARE(changes, 0);
    QVERIFY(net->Saved);
    QCOMPARE(net->PlaceCounter, 3);
}

void TNetFileTest::everyTruncationRefused()
{
    const QByteArray valid = TDocBuilder::Valid();
    for (qsizetype n = 0; n < valid.size(); ++n) {
        auto net = MakeNet();
        QVERIFY2(!net->LoadFromBytes(valid.left(n)), qPrintable(QString::number(n)));
        QCOMPARE(net->ElementCount(), 0);
    }
    auto net = MakeNet();
    QVERIFY(net->LoadFromBytes(valid));
}

void TNetFileTest::missingFileRefused()
{
    QTemporaryDir dir;
    auto net = MakeNet();
    net->FileName = dir.filePath(QStringLiteral("нет такого.qvx"));
    QVERIFY(!net->LoadFromFile());
}

void TNetFileTest::failedSaveKeepsPreviousFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("net.qvx"));
    auto net = MakeNet();
    net->FileName = path;
    net->AddPlace(100, 100);
    QVERIFY(net->SaveToFile());
    const QByteArray before = FileBytes(path);

    // The write runs out of room half way (a file size limit stops even root).
    FillRandomNet(*net, 11, 40, 40, 80);
    QVERIFY(net->SaveToBytes().size() > 2000);
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = net->SaveToFile();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);
    QVERIFY(!saved);
    QVERIFY(!net->Saved);
    QCOMPARE(FileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("net.qvx")});

    // A file name that cannot be created at all.
    net->FileName = dir.filePath(QStringLiteral("net.qvx/папка/сеть.qvx"));
    QVERIFY(!net->SaveToFile());
    QVERIFY(!net->Saved);
}

void TNetFileTest::unencodableTextSavedAsQuestionMarks()
{
    auto net = MakeNet();
    net->AddPlace(100, 100)->Name = QString::fromUtf8("P\u4e00\u4e01");
    auto loaded = MakeNet();
    QVERIFY(loaded->LoadFromBytes(net->SaveToBytes()));
    QCOMPARE(loaded->Place(0)->Name, QStringLiteral("P??"));
}

QTEST_GUILESS_MAIN(TNetFileTest)
#include "tst_netfile.moc"
