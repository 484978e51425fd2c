#include "NetStream.h"
#include "PetryNetPrivate.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;

class TNetStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void encodings_data();
    void encodings();
    void readsBackInOrder();
    void longStrings();
    void readPastEndFails_data();
    void readPastEndFails();
    void cp1251();
    void everyCharacterAsTheConverterHasIt();
    void everyByteAsTheConverterReadsIt();
    void arcEndsSeenOnce();
};

void TNetStreamTest::encodings_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty string") << 0 << QByteArray::fromHex("0000");
    QTest::newRow("abc") << 1 << QByteArray::fromHex("0300616263");
    QTest::newRow("Дуга") << 2 << QByteArray::fromHex("0400C4F3E3E0");
    QTest::newRow("integer -1") << 3 << QByteArray::fromHex("FFFFFFFF");
    QTest::newRow("integer 1") << 4 << QByteArray::fromHex("01000000");
    QTest::newRow("point 10,20") << 5 << QByteArray::fromHex("0A00000014000000");
    QTest::newRow("Boolean true") << 6 << QByteArray::fromHex("01");
    QTest::newRow("byte 3") << 7 << QByteArray::fromHex("03");
    QTest::newRow("unencodable characters") << 8 << QByteArray::fromHex("03003F613F");
}

void TNetStreamTest::encodings()
{
    QFETCH(int, op);
    QFETCH(QByteArray, expected);
    TNetMemoryStream s;
    switch (op) {
    case 0: s.WriteString(QString()); break;
    case 1: s.WriteString(QStringLiteral("abc")); break;
    case 2: s.WriteString(QStringLiteral("Дуга")); break;
    case 3: s.WriteInteger(-1); break;
    case 4: s.WriteInteger(1); break;
    case 5: s.WritePoint(QPoint(10, 20)); break;
    case 6: s.WriteBoolean(true); break;
    case 7: s.WriteByte(3); break;
    case 8: s.WriteString(QString::fromUtf8("\u4e00a\U0001F600")); break;
    }
    QCOMPARE(s.Data().toHex(' '), expected.toHex(' '));
    QCOMPARE(s.Position(), s.Size());
}

void TNetStreamTest::readsBackInOrder()
{
    TNetMemoryStream s;
    s.WriteString(QStringLiteral("Позиция1"));
    s.WriteInteger(std::numeric_limits<qint32>::min());
    s.WritePoint(QPoint(-5, 70000));
    s.WriteByte(255);
    s.WriteBoolean(false);
    s.WriteString(QString());
    s.SetPosition(0);
    QCOMPARE(s.ReadString(), QStringLiteral("Позиция1"));
    QCOMPARE(s.ReadInteger(), std::numeric_limits<qint32>::min());
    QCOMPARE(s.ReadPoint(), QPoint(-5, 70000));
    QCOMPARE(s.ReadByte(), quint8(255));
    QCOMPARE(s.ReadBoolean(), false);
    QCOMPARE(s.ReadString(), QString());
    QCOMPARE(s.Position(), s.Size());
}

void TNetStreamTest::longStrings()
{
    TNetMemoryStream s;
    const QString max(65535, QLatin1Char('x'));
    s.WriteString(max);
    s.WriteString(QString(65536, QLatin1Char('y'))); // count wraps to 0: stored empty
    s.WriteInteger(42);
    QCOMPARE(s.Size(), 2 + 65535 + 2 + 4);
    s.SetPosition(0);
    QCOMPARE(s.ReadString(), max);
    QCOMPARE(s.ReadString(), QString());
    QCOMPARE(s.ReadInteger(), 42);
    // What a text comes back as, without a stream: the same wrapped count.
    for (const QString &text : {max, QString(65536, QLatin1Char('y')), QString(70000, u'Б') + u"名"_s}) {
        TNetMemoryStream t;
        t.WriteString(text);
        t.SetPosition(0);
        QCOMPARE(StoredText(text), t.ReadString());
    }
    QCOMPARE(StoredText(QString(70000, u'Б') + u"名"_s).size(), 70001 - 65536);
}

void TNetStreamTest::readPastEndFails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("op");
    QTest::newRow("integer from 3 bytes") << QByteArray::fromHex("010203") << 0;
    QTest::newRow("string count alone") << QByteArray::fromHex("05") << 1;
    QTest::newRow("string body short") << QByteArray::fromHex("0500616263") << 1;
    QTest::newRow("byte from nothing") << QByteArray() << 2;
    QTest::newRow("point from 4 bytes") << QByteArray::fromHex("01000000") << 3;
    QTest::newRow("Boolean 2") << QByteArray::fromHex("02") << 4;
}

void TNetStreamTest::readPastEndFails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, op);
    TNetMemoryStream s(bytes);
    auto read = [&] {
        switch (op) {
        case 0: s.ReadInteger(); break;
        case 1: s.ReadString(); break;
        case 2: s.ReadByte(); break;
        case 3: s.ReadPoint(); break;
        case 4: s.ReadBoolean(); break;
        }
    };
    QVERIFY_THROWS_EXCEPTION(TNetStreamError, read());
}

void TNetStreamTest::cp1251()
{
    // Every byte decodes to a character that encodes back to the same byte.
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    QCOMPARE(EncodeCp1251(DecodeCp1251(all)), all);
    QCOMPARE(EncodeCp1251(QStringLiteral("Сеть Петри")).toHex(), QByteArray("d1e5f2fc20cfe5f2f0e8"));
}

void TNetStreamTest::everyCharacterAsTheConverterHasIt()
{
    // The fast path must give what one converter call per character gives:
    // its one byte, '?' for a character without a code, nothing for one the
    // converter drops; written inside a string, through the stream.
    QStringEncoder encoder("windows-1251");
    for (int c = 1; c < 65536; ++c) {
        if (QChar::isSurrogate(char32_t(c)))
            continue;
        const QString text = u"a"_s + QChar(char16_t(c)) + u"Б"_s;
        QByteArray one = encoder.encode(QStringView(text).mid(1, 1));
        if (one.size() == 1 && one.at(0) == 0x1A && c != 0x1A)
            one = "?";
        const QByteArray body = "a" + one + "\xC1";
        TNetMemoryStream s;
        s.WriteString(text);
        QCOMPARE(s.Data().mid(2).toHex(), body.toHex());
        QCOMPARE(quint8(s.Data().at(0)), quint8(body.size()));
        QCOMPARE(EncodeCp1251(text).toHex(), body.toHex());
        QCOMPARE(StoredText(text), DecodeCp1251(body));
    }
}

void TNetStreamTest::everyByteAsTheConverterReadsIt()
{
    // The decoding table must give what the converter gives, for every byte
    // alone and amid ASCII and Cyrillic text, and for texts of many bytes.
    QStringDecoder decoder("windows-1251");
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(char(b));
        for (const QByteArray &text : {QByteArray(1, char(b)), "ab" + QByteArray(1, char(b)) + "\xC1"}) {
            const QString expected = decoder.decode(text);
            QCOMPARE(DecodeCp1251(text), expected);
            QCOMPARE(DecodeCp1251(text).size(), expected.size());
        }
    }
    for (const QByteArray &text : {all, QByteArray("Place 12"), QByteArray(), QByteArray(300, 'x') + all})
        QCOMPARE(DecodeCp1251(text), decoder.decode(text));
}

void TNetStreamTest::arcEndsSeenOnce()
{
    // Far more pairs than the table starts with, so it grows while holding
    // them: each pair is new once, in either direction, and never again.
    TArcEndsSeen seen(3);
    for (qint32 i = 0; i < 200000; ++i) {
        QVERIFY(seen.Insert(i % 997, i / 997, false));
        QVERIFY(seen.Insert(i % 997, i / 997, true));
    }
    for (qint32 i = 0; i < 200000; i += 7) {
        QVERIFY(!seen.Insert(i % 997, i / 997, false));
        QVERIFY(!seen.Insert(i % 997, i / 997, true));
    }
    QVERIFY(seen.Insert(0, 0x7FFFFFFF, true));
    QVERIFY(seen.Insert(0x7FFFFFFF, 0, true));
    QVERIFY(!seen.Insert(0x7FFFFFFF, 0, true));
}

QTEST_GUILESS_MAIN(TNetStreamTest)
#include "tst_netstream.moc"
