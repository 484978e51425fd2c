#include "PnmlReader.h"
#include "PnmlValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace PnmlValues;

namespace {

// Deeper nesting of pages than any editor makes; deeper documents are refused
// rather than walked.
constexpr int MaxPageDepth = 64;
// Any element: the reader keeps state per open element, so depth is bounded
// to keep memory bounded (and the recursive skipping shallow).
constexpr int MaxElementDepth = 256;

QString Quoted(QStringView s)
{
    return QStringLiteral("«") + s.toString() + QStringLiteral("»");
}

QString NodeWord(bool place)
{
    return place ? QStringLiteral("Позиция") : QStringLiteral("Переход");
}

TPnmlKind NodeKind(bool place)
{
    return place ? TPnmlKind::Place : TPnmlKind::Transition;
}

} // namespace

// Advances to the next start element (true) or to the end of the current one
// (false), adding character data to *text when given. Refuses what PNML never
// holds (a DTD with its entities, absurd nesting) and malformed XML.
bool TPnmlReader::Next(QString *text)
{
    while (!Xml.atEnd()) {
        switch (Xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++Depth > MaxElementDepth)
                Refuse(QStringLiteral("Элементы документа вложены глубже %1 уровней.").arg(MaxElementDepth));
            return true;
        case QXmlStreamReader::EndElement:
            --Depth;
            return false;
        case QXmlStreamReader::Characters:
            if (text)
                text->append(Xml.text());
            break;
        case QXmlStreamReader::DTD:
            Refuse(QStringLiteral("Документ содержит объявление типа документа (DTD); такие документы не открываются."));
        case QXmlStreamReader::EntityReference:
            Refuse(QStringLiteral("Документ ссылается на неизвестную сущность XML %1.").arg(Quoted(Xml.name())));
        default:
            break;
        }
    }
    if (Xml.hasError())
        Refuse(XmlError());
    return false;
}

// id views the document's texts.
void TPnmlReader::AddId(QStringView id, qint32 ref)
{
    if (!Doc.Ids.Insert(id, ref))
        Refuse(QStringLiteral("Идентификатор %1 встречается в документе дважды.").arg(Quoted(id)));
}

void TPnmlReader::OptionalId()
{
    const QStringView id = AttrView(u"id");
    if (id.isEmpty())
        return;
    AddId(Doc.Texts.Add(id), PnmlOtherRef);
}

// The character data of the current element into LabelText; child elements are skipped.
void TPnmlReader::ReadText()
{
    LabelText.resize(0);
    while (Next(&LabelText))
        SkipElement();
}

QStringView TPnmlReader::RequireId(const QXmlStreamAttributes &attributes, const QString &what, qint32 ref)
{
    const QStringView view = AttrView(attributes, u"id");
    if (view.isEmpty())
        Refuse(QStringLiteral("%1 в строке %2 не имеет идентификатора.").arg(what).arg(Xml.lineNumber()));
    const QStringView id = Doc.Texts.Add(view);
    Pending = {id, TPnmlIds::Hash(id), ref, true};
    Doc.Ids.Prefetch(Pending.Hash);
    return id;
}

void TPnmlReader::CommitId()
{
    if (!Pending.Active)
        return;
    Pending.Active = false;
    if (!Doc.Ids.Insert(Pending.Text, Pending.Hash, Pending.Ref))
        Refuse(QStringLiteral("Идентификатор %1 встречается в документе дважды.").arg(Quoted(Pending.Text)));
}

QString TPnmlReader::Read()
{
    try {
        // The root: <pnml>, with or without the PNML namespace.
        if (!Next())
            Refuse(QStringLiteral("Документ PNML не содержит элементов."));
        if (Xml.name() != u"pnml")
            Refuse(QStringLiteral("Это не документ PNML: корневой элемент %1.").arg(Quoted(Xml.name())));
        bool haveNet = false;
        while (Next()) {
            if (Is(Xml.name(), u"net")) {
                if (haveNet)
                    Refuse(QStringLiteral("Документ содержит больше одной сети; открывается только документ с одной сетью."));
                haveNet = true;
                ReadNet();
            } else {
                SkipElement();
            }
        }
        // Anything after the root is still checked for well-formedness.
        while (!Xml.atEnd())
            Xml.readNext();
        if (Xml.hasError())
            Refuse(XmlError());
        if (!haveNet)
            Refuse(QStringLiteral("Документ PNML не содержит сети."));
        AttachOwnElements();
    } catch (const TPnmlRefusal &r) {
        return r.Reason;
    }
    return {};
}

void TPnmlReader::ReadNet()
{
    const QString type = Attr("type");
    // P/T nets in the 2009 grammar and in older drafts all name "ptnet".
    if (!type.isEmpty() && !type.contains(u"ptnet", Qt::CaseInsensitive))
        Refuse(QStringLiteral("Сеть имеет тип %1; открываются только сети «позиция — переход» (P/T).").arg(Quoted(type)));
    Doc.NetId = AttrView(u"id").toString();
    OptionalId();
    ReadContainer(0);
}

// A net or a page: nodes and arcs, possibly in nested pages, which are flattened.
void TPnmlReader::ReadContainer(int depth)
{
    if (depth > MaxPageDepth)
        Refuse(QStringLiteral("Страницы сети вложены глубже %1 уровней.").arg(MaxPageDepth));
    while (Next()) {
        const QStringView n = Xml.name();
        if (Is(n, u"place"))
            ReadNode(true);
        else if (Is(n, u"transition"))
            ReadNode(false);
        else if (Is(n, u"arc"))
            ReadArc();
        else if (Is(n, u"page")) {
            OptionalId();
            ReadContainer(depth + 1);
        } else if (Is(n, u"referencePlace"))
            ReadReference(true);
        else if (Is(n, u"referenceTransition"))
            ReadReference(false);
        else if (Is(n, u"name") && depth == 0) {
            const QString name = ReadLabel().Text.toString();
            if (!Doc.OwnNetName) { // the own block's copy keeps line breaks
                Doc.NetName = name;
                Doc.HasNetName = true;
            }
        } else if (Is(n, u"toolspecific") && depth == 0 && Attr("tool") == QStringView(PnmlToolName))
            ReadOwnBlock();
        else if (Is(n, u"declaration") || Is(n, u"declarations"))
            Refuse(QStringLiteral("Сеть содержит объявления типов (цветную разметку); открываются только сети P/T."));
        else
            SkipElement();
    }
}

TPnmlLabel TPnmlReader::ReadLabel()
{
    TPnmlLabel label;
    LabelText.resize(0);
    while (Next()) {
        const QStringView n = Xml.name();
        if (Is(n, u"text") || Is(n, u"value"))
            ReadText(); // of two, the later counts
        else {
            if (Is(n, u"structure"))
                label.Structured = true;
            SkipElement();
        }
    }
    label.Text = LabelText;
    return label;
}

QPointF TPnmlReader::ReadXY(TPnmlKind kind, QStringView id)
{
    // Parsed from views into the attributes: positions are the most
    // numerous elements of a document.
    // The list is shared with the reader only while it is looked at: held
    // across the next token, the reader would copy it. The views stay valid
    // until that token.
    QStringView xs, ys;
    {
        const QXmlStreamAttributes attributes = Xml.attributes();
        for (const QXmlStreamAttribute &a : attributes) {
            const QStringView n = a.qualifiedName();
            if (Is(n, u"x"))
                xs = a.value();
            else if (Is(n, u"y"))
                ys = a.value();
        }
    }
    bool okX = false, okY = false;
    const double x = Coordinate(xs, &okX);
    const double y = Coordinate(ys, &okY);
    // Beyond this no drawing makes sense; the builder checks the final range.
    constexpr double Limit = 1e9;
    if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > Limit || std::fabs(y) > Limit)
        Refuse(QStringLiteral("%1: недопустимые координаты (x=%2, y=%3).")
                   .arg(PnmlOwner(kind, id), xs.toString(), ys.toString()));
    SkipElement();
    return {x, y};
}

void TPnmlReader::ReadNodeGraphics(TPnmlNode &node)
{
    while (Next()) {
        if (Is(Xml.name(), u"position")) {
            node.Position = ReadXY(NodeKind(node.IsPlace), node.Id);
            node.HasPosition = true;
        } else if (Is(Xml.name(), u"dimension")) {
            const QPointF d = ReadXY(NodeKind(node.IsPlace), node.Id);
            if (d.x() > 0 && d.y() > 0) {
                node.Dimension = QSizeF(d.x(), d.y());
                node.HasDimension = true;
            }
        } else {
            SkipElement();
        }
    }
}

void TPnmlReader::ReadNode(bool place)
{
    TPnmlNode node;
    node.IsPlace = place;
    node.Id = RequireId(Xml.attributes(), NodeWord(place), qint32(Doc.Nodes.size()));
    auto owner = [&] { return PnmlOwner(NodeKind(place), node.Id); };
    while (Next()) {
        const QStringView n = Xml.name();
        if (Is(n, u"name")) {
            node.Name = Doc.Texts.Add(ReadLabel().Text);
            node.HasName = true;
        } else if (Is(n, u"graphics")) {
            ReadNodeGraphics(node);
        } else if (place && Is(n, u"initialMarking")) {
            const TPnmlLabel label = ReadLabel();
            if (label.Structured)
                Refuse(QStringLiteral("%1: разметка с цветами; открываются только сети P/T.").arg(owner()));
            bool ok = false, present = false;
            const qint64 v = ParseCount(label.Text, &ok, &present);
            if (!ok || v < 0 || v > std::numeric_limits<qint32>::max())
                Refuse(QStringLiteral("%1: разметка %2 не является неотрицательным 32-битным числом.").arg(owner(), Quoted(label.Text.trimmed())));
            node.Tokens = qint32(v);
        } else if (place && Is(n, u"hlinitialMarking")) {
            Refuse(QStringLiteral("%1: разметка с цветами; открываются только сети P/T.").arg(owner()));
        } else if (place && Is(n, u"capacity")) {
            bool ok = false, present = false;
            const qint64 v = ParseCount(ReadLabel().Text, &ok, &present);
            if (!ok || v != 0)
                Refuse(QStringLiteral("%1: ограничена ёмкость; ёмкость позиций не поддерживается.").arg(owner()));
        } else {
            SkipElement();
        }
    }
    CommitId();
    Doc.Nodes.append(std::move(node));
}

void TPnmlReader::ReadReference(bool place)
{
    const QStringView id = RequireId(Xml.attributes(),
                                     place ? QStringLiteral("Ссылка на позицию") : QStringLiteral("Ссылка на переход"),
                                     PnmlOtherRef);
    CommitId();
    const QString ref = Attr("ref");
    if (ref.isEmpty())
        Refuse(QStringLiteral("Ссылка %1 не называет узел.").arg(Quoted(id)));
    Doc.References.insert(id.toString(), ref);
    Doc.ReferenceOrder.append(id.toString());
    SkipElement();
}

void TPnmlReader::ReadArcGraphics(TPnmlArc &arc)
{
    while (Next())
        if (Is(Xml.name(), u"position"))
            arc.Points.append(ReadXY(TPnmlKind::Arc, arc.Id));
        else
            SkipElement();
}

void TPnmlReader::ReadArc()
{
    TPnmlArc arc;
    auto owner = [&] { return PnmlOwner(TPnmlKind::Arc, arc.Id); };
    QStringView source, target, attrType;
    {
        const QXmlStreamAttributes attributes = Xml.attributes(); // shared until the block ends
        for (const QXmlStreamAttribute &a : attributes) {
            const QStringView n = a.qualifiedName();
            if (Is(n, u"source"))
                source = a.value();
            else if (Is(n, u"target"))
                target = a.value();
            else if (Is(n, u"type"))
                attrType = a.value();
        }
        arc.Id = RequireId(attributes, QStringLiteral("Дуга"), PnmlArcRef(Doc.Arcs.size()));
    }
    if (!attrType.isEmpty() && attrType != u"normal")
        Refuse(QStringLiteral("%1 имеет вид %2; открываются только обычные дуги.").arg(owner(), Quoted(attrType)));
    if (source.isEmpty() || target.isEmpty())
        Refuse(QStringLiteral("%1 не называет свои концы.").arg(owner()));
    SourceText.resize(0);
    SourceText.append(source);
    TargetText.resize(0);
    TargetText.append(target);
    SourceHash = TPnmlIds::Hash(source);
    TargetHash = TPnmlIds::Hash(target);
    Doc.Ids.Prefetch(SourceHash);
    Doc.Ids.Prefetch(TargetHash);
    while (Next()) {
        const QStringView n = Xml.name();
        if (Is(n, u"inscription")) {
            const TPnmlLabel label = ReadLabel();
            bool ok = false, present = false;
            const qint64 v = ParseCount(label.Text, &ok, &present);
            if (label.Structured || !ok || (present && (v <= 0 || v > std::numeric_limits<qint32>::max())))
                Refuse(QStringLiteral("%1: кратность %2 не является положительным 32-битным числом.").arg(owner(), Quoted(label.Text.trimmed())));
            arc.Weight = present ? qint32(v) : 1;
        } else if (Is(n, u"hlinscription")) {
            Refuse(QStringLiteral("%1: надпись с цветами; открываются только сети P/T.").arg(owner()));
        } else if (Is(n, u"graphics")) {
            ReadArcGraphics(arc);
        } else if (Is(n, u"name")) {
            arc.Name = Doc.Texts.Add(ReadLabel().Text);
            arc.HasName = true;
        } else if (Is(n, u"type")) {
            // <type value="inhibitor"/> and friends from editors with more arc kinds.
            const QString v = Attr("value");
            if (!v.isEmpty() && v != u"normal")
                Refuse(QStringLiteral("%1 имеет вид %2; открываются только обычные дуги.").arg(owner(), Quoted(v)));
            SkipElement();
        } else {
            SkipElement();
        }
    }
    // Usually both ends are nodes already read; the builder resolves the rest.
    arc.SourceNode = NodeRef(SourceText, SourceHash);
    if (arc.SourceNode < 0)
        arc.Source = Doc.Texts.Add(SourceText);
    arc.TargetNode = NodeRef(TargetText, TargetHash);
    if (arc.TargetNode < 0)
        arc.Target = Doc.Texts.Add(TargetText);
    CommitId();
    Doc.Arcs.append(std::move(arc));
}

// This program's own block: what PNML has no place for.
void TPnmlReader::ReadOwnBlock()
{
    TPnmlOwnBlock &own = Doc.Own;
    own.Present = true;
    while (Next()) {
        const QStringView n = Xml.name();
        if (Is(n, u"document")) {
            own.Author = Attr("author");
            own.Description = Attr("description");
            if (HasAttr("name")) {
                Doc.NetName = Attr("name");
                Doc.HasNetName = true;
                Doc.OwnNetName = true;
            }
            own.SheetWidth = IntAttr(Attr("sheetWidth"), -1);
            own.SheetHeight = IntAttr(Attr("sheetHeight"), -1);
            own.PlaceWidth = IntAttr(Attr("placeWidth"), -1);
            own.PlaceHeight = IntAttr(Attr("placeHeight"), -1);
            own.TransitionWidth = IntAttr(Attr("transitionWidth"), -1);
            own.TransitionHeight = IntAttr(Attr("transitionHeight"), -1);
        } else if (Is(n, u"element")) {
            TPnmlOwnElement e;
            e.Ref = Attr("ref");
            e.HasDescription = Attr("hasDescription") == u"true";
            e.Description = Attr("description");
            e.HasName = HasAttr("name");
            e.Name = Attr("name");
            e.DrawnFromTarget = Attr("drawnFromTarget") == u"true";
            Doc.OwnElements.append(e);
        }
        SkipElement();
    }
}

// Gives each node and arc the last own element that names it; elements that
// name nothing of the kind are ignored.
void TPnmlReader::AttachOwnElements()
{
    for (qsizetype i = 0; i < Doc.OwnElements.size(); ++i) {
        const qint32 ref = Doc.Ids.Value(Doc.OwnElements[i].Ref, PnmlOtherRef);
        if (ref >= 0)
            Doc.Nodes[ref].Own = qint32(i);
        else if (ref != PnmlOtherRef)
            Doc.Arcs[-2 - ref].Own = qint32(i);
    }
}

QString PnmlOwner(TPnmlKind kind, QStringView id)
{
    static const QString words[] = {QStringLiteral("Позиция"), QStringLiteral("Переход"), QStringLiteral("Дуга"),
                                    QStringLiteral("Ссылка")};
    return words[int(kind)] + u' ' + Quoted(id);
}

QString ReadPnmlDocument(const QByteArray &bytes, TPnmlDocument &doc)
{
    if (QByteArrayView(bytes).trimmed().isEmpty()) // a view: no copy of the document
        return QStringLiteral("Документ пуст.");
    return TPnmlReader(bytes, doc).Read();
}
