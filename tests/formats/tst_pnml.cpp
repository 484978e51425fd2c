#include "NetFormats.h"
#include "NetUnit.h"
#include "Pnml.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString PtType = QStringLiteral("http://www.pnml.org/version-2009/grammar/ptnet");

// A standard document with one page around body.
QByteArray OnePage(const QString &body)
{
    return (QStringLiteral("<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\"><net id=\"n\" type=\"")
            + PtType + QStringLiteral("\"><page id=\"pg\">") + body + QStringLiteral("</page></net></pnml>"))
        .toUtf8();
}

QString Node(const char *kind, const char *id, int x, int y, const QString &extra = {})
{
    return QStringLiteral("<%1 id=\"%2\"><graphics><position x=\"%3\" y=\"%4\"/></graphics>%5</%1>")
        .arg(QLatin1StringView(kind), QLatin1StringView(id)).arg(x).arg(y).arg(extra);
}

// A place p at (100, 60) and a transition t at (200, 60) for the arcs of a row.
QString Pair(const QString &placeExtra = {})
{
    return Node("place", "p", 100, 60, placeExtra) + Node("transition", "t", 200, 60);
}

// A random net with every feature the document stores: names outside ASCII,
// descriptions with line breaks, tokens, weights, bend points, arcs drawn
// against their flow, and a net name, author and description.
void BuildRandomNet(TPetryNet &net, quint32 seed, int nodes)
{
    QRandomGenerator rnd(seed);
    net.NetName = QStringLiteral("Сеть №%1 <&> \"кавычки\"").arg(seed);
    net.Author = QStringLiteral("Иванов И. И.");
    net.Description = QStringLiteral("Строка 1\r\nСтрока 2\tтаб");
    net.SheetWidth = 900 + int(seed);
    net.SheetHeight = 700;
    net.PlaceWidth = 20 + int(seed % 7);
    for (int i = 0; i < nodes; ++i) {
        TStaticNetElement *e;
        if (rnd.bounded(2)) {
            auto *p = new TPosition(&net);
            p->Tokens = rnd.bounded(3) ? 0 : rnd.bounded(1000);
            net.Places.append(p);
            e = p;
        } else {
            auto *t = new TTransfer(&net);
            net.Transitions.append(t);
            e = t;
        }
        e->Name = i % 5 == 0 ? QString() : QStringLiteral(" Узел %1 ёЁ ").arg(i);
        if (i % 3 == 0) {
            e->HasDescription = true;
            e->Description = QStringLiteral("Описание\r\n  <b>%1</b>").arg(i);
        }
        e->X = rnd.bounded(-50, 850);
        e->Y = rnd.bounded(-50, 650);
    }
    for (int i = 0; i < nodes * 2 && !net.Places.isEmpty() && !net.Transitions.isEmpty(); ++i) {
        TPosition *p = net.Places[rnd.bounded(int(net.Places.size()))];
        TTransfer *t = net.Transitions[rnd.bounded(int(net.Transitions.size()))];
        const bool toPlace = rnd.bounded(2);
        bool duplicate = false;
        for (const TArc *a : p->ArcList)
            duplicate = duplicate || (a->Joins(p, t) && a->TransitionToPlace == toPlace);
        if (duplicate)
            continue;
        const bool drawnFromPlace = rnd.bounded(2);
        TArc *arc = drawnFromPlace ? TArc::CreateBetween(&net, p, t) : TArc::CreateBetween(&net, t, p);
        arc->TransitionToPlace = toPlace; // possibly against the drawing
        arc->Multiplicity = rnd.bounded(4) ? 1 : rnd.bounded(2, 100000);
        for (int k = rnd.bounded(4); k > 0; --k)
            arc->BendPoints.append(QPoint(rnd.bounded(0, 800), rnd.bounded(0, 600)));
        if (i % 4 == 0) {
            arc->HasDescription = true;
            arc->Description = QStringLiteral("дуга\r\n");
        }
        net.Arcs.append(arc);
    }
}

} // namespace

class TestPnml : public QObject
{
    Q_OBJECT

private slots:
    void benchmarkNets_data();
    void benchmarkNets();
    void roundTrip_data();
    void roundTrip();
    void dialects_data();
    void dialects();
    void refusals_data();
    void refusals();
    void hugeFileRefusedBeforeReading();
};

void TestPnml::benchmarkNets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::addColumn<bool>("laidOut");
    QTest::newRow("Philosophers") << "Philosophers-PT-000005.pnml" << 25 << 25 << true;
    QTest::newRow("TokenRing") << "TokenRing-PT-005.pnml" << 36 << 156 << true;
    QTest::newRow("Eratosthenes") << "Eratosthenes-PT-010.pnml" << 9 << 8 << true;
    QTest::newRow("Kanban") << "Kanban-PT-00005.pnml" << 16 << 16 << false;
}

void TestPnml::benchmarkNets()
{
    QFETCH(QString, file);
    QFETCH(int, places);
    QFETCH(int, transitions);
    QFETCH(bool, laidOut);
    const QString path = QStringLiteral(PETRI_TEST_DATA "/../../../shared/data/nets/") + file;
    if (!QFile::exists(path))
        QSKIP("the public benchmark nets are not in ../shared/data/nets");
    TPetryNet net;
    QString error;
    TNetFormat format = TNetFormat::Qvx;
    QVERIFY2(LoadNetDocument(path, net, &error, &format), qPrintable(error));
    QCOMPARE(format, TNetFormat::Pnml);
    QCOMPARE(net.PlaceCount(), places);
    QCOMPARE(net.TransitionCount(), transitions);
    QVERIFY(net.ArcCount() > 0);
    // A net that needed a layout opens unsaved; every node is on the sheet, none on another.
    QCOMPARE(!net.Saved, laidOut);
    QSet<QPair<int, int>> centres;
    for (int i = 0; i < net.PlaceCount() + net.TransitionCount(); ++i) {
        const TStaticNetElement *n = i < net.PlaceCount() ? static_cast<TStaticNetElement *>(net.Place(i))
                                                          : net.Transition(i - net.PlaceCount());
        QVERIFY(n->X - n->NodeWidth() / 2 >= 0 && n->X + n->NodeWidth() / 2 < net.SheetWidth);
        QVERIFY(n->Y - n->NodeHeight() / 2 >= 0 && n->Y + n->NodeHeight() / 2 < net.SheetHeight);
        centres.insert({n->X, n->Y});
    }
    QCOMPARE(centres.size(), places + transitions);
}

void TestPnml::roundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("nodes");
    QTest::newRow("empty") << 1u << 0;
    QTest::newRow("one node") << 2u << 1;
    for (quint32 seed = 3; seed < 15; ++seed)
        QTest::addRow("random %u", seed) << seed << int(5 + seed * 7);
}

void TestPnml::roundTrip()
{
    QFETCH(quint32, seed);
    QFETCH(int, nodes);
    TPetryNet net;
    BuildRandomNet(net, seed, nodes);
    const QByteArray pnml = ExportPnml(net);
    TPetryNet back;
    QString error;
    bool laidOut = true;
    QVERIFY2(ImportPnml(pnml, back, &error, &laidOut), qPrintable(error));
    QVERIFY(!laidOut);
    QCOMPARE(back.SaveToBytes(), net.SaveToBytes());
    QCOMPARE(ExportPnml(back), pnml);
}

void TestPnml::dialects_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("arcs");
    QTest::addColumn<QString>("placeName");
    QTest::addColumn<int>("tokens");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QPoint>("placeCentre"); // (-1, -1): laid out automatically
    QTest::addColumn<int>("bends");

    const QString arc = QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"/>");
    QTest::newRow("standard, absent marking and inscription")
        << OnePage(Pair() + arc) << 1 << "p" << 0 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("no namespace, no page, no net id")
        << QStringLiteral("<pnml><net type=\"%1\">%2<arc id=\"a\" source=\"p\" target=\"t\">"
                          "<inscription><text>3</text></inscription></arc></net></pnml>")
               .arg(PtType, Pair(QStringLiteral("<initialMarking><text>2</text></initialMarking>")))
               .toUtf8()
        << 1 << "p" << 2 << 3 << QPoint(100, 60) << 0;
    QTest::newRow("nested pages and references")
        << OnePage(QStringLiteral("<page id=\"in\"><page id=\"in2\">") + Node("place", "p", 100, 60)
                   + QStringLiteral("</page></page>") + Node("transition", "t", 200, 60)
                   + QStringLiteral("<referencePlace id=\"rp\" ref=\"p\"/><referencePlace id=\"rr\" ref=\"rp\"/>"
                                    "<arc id=\"a\" source=\"rr\" target=\"t\"/><arc id=\"b\" source=\"t\" target=\"rp\"/>"))
        << 2 << "p" << 0 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("value labels, Default marking, empty inscription")
        << OnePage(Pair(QStringLiteral("<name><value>P0</value></name><initialMarking><value>Default,4</value></initialMarking>"))
                   + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"><inscription><text></text></inscription></arc>"))
        << 1 << "P0" << 4 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("label graphics before and after the text")
        << OnePage(Pair(QStringLiteral("<name><graphics><offset x=\"5\" y=\"5\"/></graphics><text>Альфа</text></name>"
                                       "<initialMarking><text>1</text><graphics><offset x=\"0\" y=\"0\"/></graphics></initialMarking>"))
                   + arc)
        << 1 << "Альфа" << 1 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("corner positions, arc points on the node borders, ids with spaces")
        << OnePage(Pair() + QStringLiteral("<arc id=\"p to t\" source=\"p\" target=\"t\"><graphics>"
                                           "<position x=\"130\" y=\"75\"/><position x=\"160\" y=\"20\"/>"
                                           "<position x=\"200\" y=\"75\"/></graphics></arc>"))
        << 1 << "p" << 0 << 1 << QPoint(115, 75) << 1;
    QTest::newRow("40 x 40 dimensions and absolute label offsets")
        << OnePage(Node("place", "p", 100, 60,
                        QStringLiteral("<name><text>x</text><graphics><offset x=\"300\" y=\"300\"/></graphics></name>"))
                       .replace(QStringLiteral("</graphics>"), QStringLiteral("<dimension x=\"40\" y=\"40\"/></graphics>"))
                   + Node("transition", "t", 200, 60) + arc)
        << 1 << "x" << 0 << 1 << QPoint(120, 80) << 0;
    QTest::newRow("arc before its nodes; of two own entries the later names the place")
        << QStringLiteral("<pnml><net id=\"n\" type=\"%1\"><toolspecific tool=\"petrinets-editor\" version=\"1.0\">"
                          "<element ref=\"p\" name=\"A\"/><element ref=\"p\" name=\"B\"/><element ref=\"pg\" name=\"C\"/>"
                          "</toolspecific><page id=\"pg\">%2%3</page></net></pnml>")
               .arg(PtType, arc, Pair())
               .toUtf8()
        << 1 << "B" << 0 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("unknown toolspecific ignored")
        << OnePage(Pair(QStringLiteral("<toolspecific tool=\"other\" version=\"9\"><place id=\"z\"/><arc/></toolspecific>"))
                   + arc)
        << 1 << "p" << 0 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("name outside Windows-1251")
        << OnePage(Pair(QStringLiteral("<name><text>名</text></name>")) + arc) << 1 << "?" << 0 << 1 << QPoint(100, 60) << 0;
    // How the document starts: the declaration, its encoding, a byte order mark.
    const QString named = QString::fromUtf8(OnePage(Pair(QStringLiteral("<name><text>Альфа</text></name>")) + arc));
    QTest::newRow("declaration over two lines, Windows-1251")
        << QByteArray("<?xml version=\"1.0\"\n encoding=\"windows-1251\"?>\n") + EncodeCp1251(named) << 1 << "Альфа" << 0 << 1
        << QPoint(100, 60) << 0;
    QTest::newRow("byte order mark, no declaration")
        << QByteArray("\xEF\xBB\xBF") + named.toUtf8() << 1 << "Альфа" << 0 << 1 << QPoint(100, 60) << 0;
    const QString utf16 = QStringLiteral("\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + named;
    QTest::newRow("UTF-16") << QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2) << 1
                            << "Альфа" << 0 << 1 << QPoint(100, 60) << 0;
    QTest::newRow("no graphics: laid out")
        << OnePage(QStringLiteral("<place id=\"p\"/><transition id=\"t\"/><place id=\"q\"/>"
                                  "<arc id=\"a\" source=\"p\" target=\"t\"/><arc id=\"b\" source=\"t\" target=\"q\"/>"))
        << 2 << "p" << 0 << 1 << QPoint(-1, -1) << 0;
    QString many;
    for (int i = 0; i < 1500; ++i)
        many += QStringLiteral("<place id=\"p%1\"/><transition id=\"t%1\"/><arc id=\"a%1\" source=\"p%1\" target=\"t%1\"/>").arg(i);
    QTest::newRow("too large for the layered layout: a grid")
        << OnePage(many.replace(QStringLiteral("\"p0\""), QStringLiteral("\"p\""))) << 1500 << "p" << 0 << 1 << QPoint(-1, -1) << 0;
    QTest::newRow("every node at one point: laid out")
        << OnePage(Node("place", "p", 0, 0) + Node("transition", "t", 0, 0) + Node("place", "q", 0, 0)
                   + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"/><arc id=\"b\" source=\"t\" target=\"q\"/>"))
        << 2 << "p" << 0 << 1 << QPoint(-1, -1) << 0;
}

void TestPnml::dialects()
{
    QFETCH(QByteArray, xml);
    QFETCH(int, arcs);
    QFETCH(QString, placeName);
    QFETCH(int, tokens);
    QFETCH(int, weight);
    QFETCH(QPoint, placeCentre);
    QFETCH(int, bends);
    TPetryNet net;
    QString error;
    bool laidOut = false;
    QVERIFY2(ImportPnml(xml, net, &error, &laidOut), qPrintable(error));
    QCOMPARE(net.ArcCount(), arcs);
    const TPosition *p = net.Place(0);
    QVERIFY(p);
    QCOMPARE(p->Name, placeName);
    QCOMPARE(p->Tokens, tokens);
    QCOMPARE(net.Arc(0)->Multiplicity, weight);
    QCOMPARE(net.Arc(0)->PointCount(), bends);
    QCOMPARE(net.Arc(0)->StartNode, static_cast<TStaticNetElement *>(net.Place(0)));
    QCOMPARE(laidOut, placeCentre == QPoint(-1, -1));
    if (!laidOut)
        QCOMPARE(QPoint(p->X, p->Y), placeCentre);
    else
        QVERIFY(QPoint(p->X, p->Y) != QPoint(net.Transition(0)->X, net.Transition(0)->Y));
}

void TestPnml::refusals_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("message");
    const QString arc = QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"/>");
    auto weighted = [](const char *w) {
        return OnePage(Pair() + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"><inscription><text>%1</text></inscription></arc>")
                                    .arg(QLatin1StringView(w)));
    };
    auto marked = [&](const char *m) {
        return OnePage(Pair(QStringLiteral("<initialMarking><text>%1</text></initialMarking>").arg(QString::fromUtf8(m))) + arc);
    };
    QTest::newRow("coloured net type")
        << QByteArray("<pnml><net id=\"n\" type=\"http://www.pnml.org/version-2009/grammar/symmetricnet\"/></pnml>") << "symmetricnet";
    QTest::newRow("coloured marking")
        << OnePage(Pair(QStringLiteral("<hlinitialMarking><structure/></hlinitialMarking>")) + arc) << "Позиция «p»: разметка с цветами";
    QTest::newRow("inhibitor arc")
        << OnePage(Pair() + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\"><type value=\"inhibitor\"/></arc>")) << "Дуга «a» имеет вид «inhibitor»";
    QTest::newRow("reset arc attribute")
        << OnePage(Pair() + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"t\" type=\"reset\"/>")) << "«reset»";
    QTest::newRow("place capacity")
        << OnePage(Pair(QStringLiteral("<capacity><value>3</value></capacity>")) + arc) << "Позиция «p»: ограничена ёмкость";
    QTest::newRow("weight 0") << weighted("0") << "Дуга «a»: кратность «0»";
    QTest::newRow("weight beyond 32 bits") << weighted("4294967297") << "кратность «4294967297»";
    QTest::newRow("negative marking") << marked("-1") << "Позиция «p»: разметка «-1»";
    QTest::newRow("non-numeric marking") << marked("много") << "разметка «много»";
    QTest::newRow("malformed XML") << QByteArray("<pnml><net id=\"n\"><place id=\"p\"></net></pnml>") << "Ошибка XML";
    QTest::newRow("empty document") << QByteArray("") << "Документ пуст";
    QTest::newRow("wrong root") << QByteArray("<html><body/></html>") << "корневой элемент «html»";
    QTest::newRow("no net") << QByteArray("<pnml/>") << "не содержит сети";
    QTest::newRow("two nets") << QByteArray("<pnml><net id=\"a\"/><net id=\"b\"/></pnml>") << "больше одной сети";
    QTest::newRow("missing id") << OnePage(QStringLiteral("<place/>")) << "Позиция в строке 1 не имеет идентификатора";
    QTest::newRow("missing id, lines counted after the declaration")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + OnePage(QStringLiteral("\n\n<place/>"))
        << "Позиция в строке 4 не имеет идентификатора";
    QTest::newRow("malformed XML after the declaration")
        << QByteArray("<?xml version=\"1.0\"?>\n<pnml>\n<net id=\"n\"><place id=\"p\"></net></pnml>") << "Ошибка XML в строке 3";
    QTest::newRow("duplicate id") << OnePage(Pair() + Node("place", "t", 1, 1)) << "Идентификатор «t» встречается в документе дважды";
    QTest::newRow("duplicate id before a fault inside its element")
        << OnePage(Pair() + Node("place", "t", 1, 1, QStringLiteral("<initialMarking><text>-1</text></initialMarking>")))
        << "Идентификатор «t» встречается в документе дважды";
    QTest::newRow("arc with a node's id before a fault inside it")
        << OnePage(Pair() + QStringLiteral("<arc id=\"p\" source=\"p\" target=\"t\"><inscription><text>0</text></inscription></arc>"))
        << "Идентификатор «p» встречается в документе дважды";
    QTest::newRow("missing arc end")
        << OnePage(Pair() + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"x\"/>")) << "Дуга «a»: узел «x» не найден";
    QTest::newRow("arc end naming an arc")
        << OnePage(Pair() + arc + QStringLiteral("<arc id=\"b\" source=\"t\" target=\"a\"/>")) << "Дуга «b»: узел «a» не найден";
    QTest::newRow("arc without ends") << OnePage(Pair() + QStringLiteral("<arc id=\"a\"/>")) << "Дуга «a» не называет свои концы";
    QTest::newRow("reference cycle: the first reference is named")
        << OnePage(Pair() + QStringLiteral("<referencePlace id=\"r1\" ref=\"r2\"/><referencePlace id=\"r2\" ref=\"r1\"/>"))
        << "Ссылка «r1»: узел «r1» не найден";
    QTest::newRow("ends of one kind")
        << OnePage(Pair() + Node("place", "q", 300, 60) + QStringLiteral("<arc id=\"a\" source=\"p\" target=\"q\"/>"))
        << "Дуга «a» соединяет два узла одного вида";
    QTest::newRow("second arc with the same ends and direction")
        << OnePage(Pair() + arc + QStringLiteral("<arc id=\"b\" source=\"p\" target=\"t\"/>")) << "Дуга «b» повторяет другую дугу";
    QTest::newRow("coordinate not a number")
        << OnePage(Node("place", "p", 0, 0).replace(QStringLiteral("x=\"0\""), QStringLiteral("x=\"1e400\""))) << "Позиция «p»: недопустимые координаты";
    QTest::newRow("coordinate beyond the sheet range")
        << OnePage(Node("place", "p", 100, 60) + Node("transition", "t", 200000000, 60)) << "Переход «t»: координаты";
    QTest::newRow("entity expansion")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE pnml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">"
                      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><pnml><net id=\"n\"><name><text>&c;&c;&c;</text></name></net></pnml>")
        << "DTD";
    QString deep;
    for (int i = 0; i < 10000; ++i)
        deep += QStringLiteral("<page id=\"g%1\">").arg(i);
    QTest::newRow("10,000 nested pages")
        << QStringLiteral("<pnml><net id=\"n\">%1</net></pnml>").arg(deep).toUtf8() << "Страницы сети вложены глубже";
    QTest::newRow("10,000 nested unknown elements")
        << QStringLiteral("<pnml><net id=\"n\"><place id=\"p\">%1</place></net></pnml>")
               .arg(QStringLiteral("<x>").repeated(10000)).toUtf8()
        << "Элементы документа вложены глубже";
}

void TestPnml::refusals()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, message);
    TPetryNet net;
    net.AddPlace(50, 50);
    const QByteArray before = net.SaveToBytes();
    QString error;
    QVERIFY(!ImportPnml(xml, net, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(net.SaveToBytes(), before);
}

void TestPnml::hugeFileRefusedBeforeReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.pnml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(qint64(200) << 20)); // sparse: costs no disk
    file.close();
    TPetryNet net;
    QString error;
    QVERIFY(!LoadNetDocument(path, net, &error));
    QVERIFY2(error.contains(QStringLiteral("слишком велик")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestPnml)
#include "tst_pnml.moc"
