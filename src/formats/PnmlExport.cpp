#include "Pnml.h"
#include "PnmlDocument.h"

#include "PetryNet.h"

#include <QHash>
#include <QXmlStreamWriter>

namespace {

const QString Namespace = QStringLiteral("http://www.pnml.org/version-2009/grammar/pnml");
const QString PtNetType = QStringLiteral("http://www.pnml.org/version-2009/grammar/ptnet");

// XML 1.0 has no way to hold most control characters; the document file's
// texts may contain them, so they become '?' rather than break the document.
QString XmlText(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = u'?';
    return out;
}

class TPnmlWriter
{
public:
    explicit TPnmlWriter(const TPetryNet &net)
        : Net(net), Xml(&Text)
    {
    }
    QByteArray Write();

private:
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
    // Written as UTF-16 and encoded once at the end: much faster than
    // letting the writer encode every small piece on its own.
    QString Text;
    QXmlStreamWriter Xml;
    QHash<const TStaticNetElement *, QString> Ids;
};

void TPnmlWriter::WriteName(const QString &name)
{
    Xml.writeStartElement(QStringLiteral("name"));
    Xml.writeTextElement(QStringLiteral("text"), XmlText(name));
    Xml.writeEndElement();
}

void TPnmlWriter::WritePosition(QPoint p)
{
    Xml.writeEmptyElement(QStringLiteral("position"));
    Xml.writeAttribute(QStringLiteral("x"), QString::number(p.x()));
    Xml.writeAttribute(QStringLiteral("y"), QString::number(p.y()));
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
        Xml.writeAttribute(QString::fromLatin1(name), QString::number(value));
    for (const TPosition *p : Net.Places)
        if (HasOwnElementFacts(*p))
            WriteOwnElement(*p, Ids.value(p), false);
    for (const TTransfer *t : Net.Transitions)
        if (HasOwnElementFacts(*t))
            WriteOwnElement(*t, Ids.value(t), false);
    for (int i = 0; i < Net.ArcCount(); ++i) {
        const TArc &a = *Net.Arcs[i];
        if (HasOwnElementFacts(a) || DrawnFromTarget(a))
            WriteOwnElement(a, u'a' + QString::number(i), DrawnFromTarget(a));
    }
    Xml.writeEndElement();
}

QByteArray TPnmlWriter::Write()
{
    Ids.reserve(Net.PlaceCount() + Net.TransitionCount());
    for (int i = 0; i < Net.PlaceCount(); ++i)
        Ids.insert(Net.Places[i], u'p' + QString::number(i));
    for (int i = 0; i < Net.TransitionCount(); ++i)
        Ids.insert(Net.Transitions[i], u't' + QString::number(i));

    // About 160 characters an element: one allocation instead of a growing buffer.
    Text.reserve(qsizetype(Net.ElementCount()) * 160 + 1024);
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
        Xml.writeAttribute(QStringLiteral("id"), Ids.value(p));
        WriteName(p->Name);
        Xml.writeStartElement(QStringLiteral("graphics"));
        WritePosition({p->X, p->Y});
        Xml.writeEndElement();
        if (p->Tokens > 0) {
            Xml.writeStartElement(QStringLiteral("initialMarking"));
            Xml.writeTextElement(QStringLiteral("text"), QString::number(p->Tokens));
            Xml.writeEndElement();
        }
        Xml.writeEndElement();
    }
    for (const TTransfer *t : Net.Transitions) {
        Xml.writeStartElement(QStringLiteral("transition"));
        Xml.writeAttribute(QStringLiteral("id"), Ids.value(t));
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
        Xml.writeAttribute(QStringLiteral("id"), u'a' + QString::number(i));
        Xml.writeAttribute(QStringLiteral("source"), Ids.value(source));
        Xml.writeAttribute(QStringLiteral("target"), Ids.value(target));
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
            Xml.writeTextElement(QStringLiteral("text"), QString::number(a.Multiplicity));
            Xml.writeEndElement();
        }
        Xml.writeEndElement();
    }
    Xml.writeEndDocument();
    return Text.toUtf8();
}

} // namespace

QByteArray ExportPnml(const TPetryNet &net)
{
    return TPnmlWriter(net).Write();
}
