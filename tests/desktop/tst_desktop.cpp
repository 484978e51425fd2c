#include "InstanceMessage.h"
#include "RecentFiles.h"
#include "RecoveryStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using InstanceMessage::TState;

class TDesktopTest : public QObject
{
    Q_OBJECT
private slots:
    void RecentFilesKeepEightNewestOnce();
    void RecoveryCopiesCountOnlyWhenComplete();
    void InstanceMessages_data();
    void InstanceMessages();
};

void TDesktopTest::RecentFilesKeepEightNewestOnce()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    TRecentFiles recent(settings);
    for (int i = 0; i < 10; ++i)
        recent.Add(dir.filePath(QStringLiteral("n%1.qvx").arg(i)));
    // Re-adding an entry, also through another spelling of its path, moves it first.
    recent.Add(dir.path() + QStringLiteral("/./n5.qvx"));
    QStringList files = recent.Files();
    QCOMPARE(files.size(), TRecentFiles::MaxCount);
    QCOMPARE(files.first(), dir.filePath(QStringLiteral("n5.qvx")));
    QCOMPARE(files.at(1), dir.filePath(QStringLiteral("n9.qvx")));
    QVERIFY(!files.contains(dir.filePath(QStringLiteral("n1.qvx"))));
    QCOMPARE(files.count(dir.filePath(QStringLiteral("n5.qvx"))), 1);
    recent.Remove(dir.filePath(QStringLiteral("n9.qvx")));
    QCOMPARE(TRecentFiles(settings).Files().size(), TRecentFiles::MaxCount - 1);
}

void TDesktopTest::RecoveryCopiesCountOnlyWhenComplete()
{
    QTemporaryDir dir;
    TRecoveryStore store(dir.filePath(QStringLiteral("recovery")));
    QVERIFY(store.Entries().isEmpty());
    const QDateTime t0 = QDateTime::currentDateTime();
    TRecoveryEntry a{TRecoveryStore::NewId(), QStringLiteral("/home/u/сеть.qvx"), QStringLiteral("сеть.qvx"),
                     QStringLiteral("qvx"), t0.addSecs(5)};
    TRecoveryEntry b{TRecoveryStore::NewId(), QString(), QStringLiteral("СетьПетри2"), QStringLiteral("qvx"), t0};
    QVERIFY(store.Write(a, "first"));
    QVERIFY(store.Write(b, "second"));
    QVERIFY(store.Write(a, "first, again"));
    // A copy whose description is damaged or missing does not count.
    QFile damaged(store.Folder() + QStringLiteral("/x.json"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("{not json");
    damaged.close();
    QFile lone(store.Folder() + QStringLiteral("/y.net"));
    QVERIFY(lone.open(QIODevice::WriteOnly));
    lone.close();
    TRecoveryEntry bad = a;
    bad.Id = QStringLiteral("../escape");
    QVERIFY(!store.Write(bad, "x"));

    const QList<TRecoveryEntry> entries = store.Entries();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).Title, QStringLiteral("СетьПетри2"));
    QCOMPARE(entries.at(1).FileName, a.FileName);
    QCOMPARE(store.Document(a.Id), QByteArray("first, again"));
    store.Remove(a.Id);
    QCOMPARE(store.Entries().size(), 1);
    QVERIFY(store.Document(a.Id).isEmpty());
}

void TDesktopTest::InstanceMessages_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("files");
    const QByteArray full = InstanceMessage::Encode(QStringLiteral("/home/u"),
                                                    {QStringLiteral("a.qvx"), QStringLiteral("/tmp/б.pnml"),
                                                     QStringLiteral("../c d.qvx")});
    const QStringList resolved{QStringLiteral("/home/u/a.qvx"), QStringLiteral("/tmp/б.pnml"),
                               QStringLiteral("/home/c d.qvx")};
    QTest::newRow("old wake-up") << QByteArray("?Qvantrix?") << true << int(TState::WakeUp) << QStringList();
    QTest::newRow("marker, sender still there") << QByteArray("?Qvantrix?") << false << int(TState::Incomplete)
                                                << QStringList();
    QTest::newRow("no files is a wake-up") << InstanceMessage::Encode(QStringLiteral("/"), {}) << true
                                           << int(TState::WakeUp) << QStringList();
    QTest::newRow("files") << full << false << int(TState::Files) << resolved;
    QTest::newRow("half of it") << full.left(full.size() / 2) << false << int(TState::Incomplete) << QStringList();
    QTest::newRow("cut short") << full.left(full.size() / 2) << true << int(TState::Invalid) << QStringList();
    QTest::newRow("garbage") << QByteArray("GET / HTTP/1.0") << true << int(TState::Invalid) << QStringList();
}

void TDesktopTest::InstanceMessages()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, finished);
    QFETCH(int, state);
    QFETCH(QStringList, files);
    const InstanceMessage::TRequest request = InstanceMessage::Decode(received, finished);
    QCOMPARE(int(request.State), state);
    QCOMPARE(request.Files, files);
}

QTEST_GUILESS_MAIN(TDesktopTest)
#include "tst_desktop.moc"
