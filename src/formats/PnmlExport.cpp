#include "Pnml.h"
#include "PnmlDocument.h"

#include "AddressIndex.h"
#include "PetryNet.h"

#include <QIODevice>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>

namespace {

const QString Namespace = QStringLiteral("http://www.pnml.org/version-2009/grammar/pnml");
const QString PtNetType = QStringLiteral("http://www.pnml.org/version-2009/grammar/ptnet");

// XML 1.0 has no way to hold most control characters; the document file's
// texts may contain them, so they become '?' rather than break the document.
bool XmlChar(QChar c)
{
    return c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r';
}

QString XmlText(const QString &text)
{
    // Nearly every text is clean and is passed on without a copy.
    if (std::all_of(text.cbegin(), text.cend(), XmlChar))
        return text;
    QString out = text;
    for (QChar &c : out)
        if (!XmlChar(c))
            c = u'?';
    return out;
}

// Appends what the writer gives it to a byte array. The writer hands over
// its markup as ASCII bytes and encodes texts itself, so writing through a
// device skips the conversion of every small piece that writing into a
// QString costs; this one is lighter than a QBuffer.
class TAppendDevice : public QIODevice
{
public:
    explicit TAppendDevice(QByteArray &bytes)
        : Bytes(bytes)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        Bytes.append(data, size);
        return size;
    }

private:
    QByteArray &Bytes;
};

class TPnmlWriter
{
public:
    explicit TPnmlWriter(const TPetryNet &net)
        : Net(net), Device(Bytes), Xml(&Device), Positions(net.PlaceCount() + net.TransitionCount())
    {
    }
    QByteArray Write();

private:
    // The number's decimal text after prefix (when not 0), in one buffer
    // reused for every number: valid until the next call.
    const QString &Decimal(qint64 value, char prefix = 0);
    void WriteName(const QString &name);
    void WritePosition(QPoint p);
    void WriteOwnBlock();
    bool HasOwnElementFacts(const TNetElement &e) const
    {
        return e.HasDescription || !e.Description.isEmpty() || e.Name.contains(u'\r');
    }
    void WriteOwnElement(const TNetElement &e, const QString &id, bool drawnFromTarget);
    static bool DrawnFromTarget(const TArc &arc)
    {
        return arc.StartNode != (arc.TransitionToPlace ? arc.TransitionEnd() : arc.PlaceEnd());
    }

    const TPetryNet &Net;
    QString Number;
    QByteArray Bytes;
    TAppendDevice Device;
    QXmlStreamWriter Xml;
    // Places are "p" and transitions "t" with their position in their list.
    TAddressIndex Positions;
    const QString &NodeId(const TStaticNetElement *node, bool place)
    {
        return Decimal(Positions.Value(node), place ? 'p' : 't');
    }
};

const QString &TPnmlWriter::Decimal(qint64 value, char prefix)
{
    char digits[24];
    char *begin = digits + 1, *end = std::to_chars(begin, digits + sizeof digits, value).ptr;
    if (prefix)
        *--begin = prefix;
    // Keeps its capacity: the writer never holds on to the string.
    Number.resize(0);
    Number.append(QLatin1StringView(begin, end));
    return Number;
}

void TPnmlWriter::WriteName(const QString &name)
{
    Xml.writeStartElement(QStringLiteral("name"));
    Xml.writeTextElement(QStringLiteral("text"), XmlText(name));
    Xml.writeEndElement();
}

void TPnmlWriter::WritePosition(QPoint p)
{
    Xml.writeEmptyElement(QStringLiteral("position"));
    Xml.writeAttribute(QStringLiteral("x"), Decimal(p.x()));
    Xml.writeAttribute(QStringLiteral("y"), Decimal(p.y()));
}

// Attributes keep line breaks exactly (they are written as character
// references), so texts that may hold "\r" live in attributes here.
void TPnmlWriter::WriteOwnElement(const TNetElement &e, const QString &id, bool drawnFromTarget)
{
    Xml.writeEmptyElement(QStringLiteral("element"));
    Xml.writeAttribute(QStringLiteral("ref"), id);
    if (e.HasDescription)
        Xml.writeAttribute(QStringLiteral("hasDescription"), QStringLiteral("true"));
    if (!e.Description.isEmpty())
        Xml.writeAttribute(QStringLiteral("description"), XmlText(e.Description));
    if (e.Name.contains(u'\r'))
        Xml.writeAttribute(QStringLiteral("name"), XmlText(e.Name));
    if (drawnFromTarget)
        Xml.writeAttribute(QStringLiteral("drawnFromTarget"), QStringLiteral("true"));
}

void TPnmlWriter::WriteOwnBlock()
{
    Xml.writeStartElement(QStringLiteral("toolspecific"));
    Xml.writeAttribute(QStringLiteral("tool"), QString::fromUtf16(PnmlToolName));
    Xml.writeAttribute(QStringLiteral("version"), QString::fromUtf16(PnmlToolVersion));
    Xml.writeEmptyElement(QStringLiteral("document"));
    Xml.writeAttribute(QStringLiteral("author"), XmlText(Net.Author));
    Xml.writeAttribute(QStringLiteral("description"), XmlText(Net.Description));
    if (Net.NetName.contains(u'\r'))
        Xml.writeAttribute(QStringLiteral("name"), XmlText(Net.NetName));
    const std::pair<const char *, qint32> sizes[] = {
        {"sheetWidth", Net.SheetWidth},         {"sheetHeight", Net.SheetHeight},
        {"placeWidth", Net.PlaceWidth},         {"placeHeight", Net.PlaceHeight},
        {"transitionWidth", Net.TransitionWidth}, {"transitionHeight", Net.TransitionHeight}};
    for (const auto &[name, value] : sizes)
        Xml.writeAttribute(QString::fromLatin1(name), Decimal(value));
    for (const TPosition *p : Net.Places)
        if (HasOwnElementFacts(*p))
            WriteOwnElement(*p, NodeId(p, true), false);
    for (const TTransfer *t : Net.Transitions)
        if (HasOwnElementFacts(*t))
            WriteOwnElement(*t, NodeId(t, false), false);
    for (int i = 0; i < Net.ArcCount(); ++i) {
        const TArc &a = *Net.Arcs[i];
        if (HasOwnElementFacts(a) || DrawnFromTarget(a))
            WriteOwnElement(a, Decimal(i, 'a'), DrawnFromTarget(a));
    }
    Xml.writeEndElement();
}

QByteArray TPnmlWriter::Write()
{
    for (int i = 0; i < Net.PlaceCount(); ++i)
        Positions.Insert(Net.Places[i], i);
    for (int i = 0; i < Net.TransitionCount(); ++i)
        Positions.Insert(Net.Transitions[i], i);

    // About 160 characters an element: one allocation instead of a growing buffer.
    Bytes.reserve(qsizetype(Net.ElementCount()) * 170 + 1024);
    Xml.setAutoFormatting(true);
    Xml.setAutoFormattingIndent(1);
    Xml.writeStartDocument();
    Xml.writeDefaultNamespace(Namespace);
    Xml.writeStartElement(Namespace, QStringLiteral("pnml"));
    Xml.writeStartElement(QStringLiteral("net"));
    Xml.writeAttribute(QStringLiteral("id"), QStringLiteral("net"));
    Xml.writeAttribute(QStringLiteral("type"), PtNetType);
    WriteName(Net.NetName);
    WriteOwnBlock();
    Xml.writeStartElement(QStringLiteral("page"));
    Xml.writeAttribute(QStringLiteral("id"), QStringLiteral("page"));
    for (const TPosition *p : Net.Places) {
        Xml.writeStartElement(QStringLiteral("place"));
        Xml.writeAttribute(QStringLiteral("id"), NodeId(p, true));
        WriteName(p->Name);
        Xml.writeStartElement(QStringLiteral("graphics"));
        WritePosition({p->X, p->Y});
        Xml.writeEndElement();
        if (p->Tokens > 0) {
            Xml.writeStartElement(QStringLiteral("initialMarking"));
            Xml.writeTextElement(QStringLiteral("text"), Decimal(p->Tokens));
            Xml.writeEndElement();
        }
        Xml.writeEndElement();
    }
    for (const TTransfer *t : Net.Transitions) {
        Xml.writeStartElement(QStringLiteral("transition"));
        Xml.writeAttribute(QStringLiteral("id"), NodeId(t, false));
        WriteName(t->Name);
        Xml.writeStartElement(QStringLiteral("graphics"));
        WritePosition({t->X, t->Y});
        Xml.writeEndElement();
        Xml.writeEndElement();
    }
    for (int i = 0; i < Net.ArcCount(); ++i) {
        const TArc &a = *Net.Arcs[i];
        const TStaticNetElement *source = a.TransitionToPlace ? a.TransitionEnd() : a.PlaceEnd();
        const TStaticNetElement *target = a.TransitionToPlace ? a.PlaceEnd() : a.TransitionEnd();
        Xml.writeStartElement(QStringLiteral("arc"));
        Xml.writeAttribute(QStringLiteral("id"), Decimal(i, 'a'));
        Xml.writeAttribute(QStringLiteral("source"), NodeId(source, !a.TransitionToPlace));
        Xml.writeAttribute(QStringLiteral("target"), NodeId(target, a.TransitionToPlace));
        WriteName(a.Name);
        if (a.PointCount() > 0) {
            // Bend points run from the flow's source to its target.
            Xml.writeStartElement(QStringLiteral("graphics"));
            const bool reversed = DrawnFromTarget(a);
            for (int k = 0; k < a.PointCount(); ++k)
                WritePosition(a.BendPoints[reversed ? a.PointCount() - 1 - k : k]);
            Xml.writeEndElement();
        }
        if (a.Multiplicity != 1) {
            Xml.writeStartElement(QStringLiteral("inscription"));
            Xml.writeTextElement(QStringLiteral("text"), Decimal(a.Multiplicity));
            Xml.writeEndElement();
        }
        Xml.writeEndElement();
    }
    Xml.writeEndDocument();
    return Bytes;
}

} // namespace

QByteArray ExportPnml(const TPetryNet &net)
{
    return TPnmlWriter(net).Write();
}
