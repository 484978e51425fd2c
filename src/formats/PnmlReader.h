#pragma once

// The reader that parses a PNML document into a TPnmlDocument; internal to
// the formats library (PnmlRead.cpp implements it).

#include "PnmlDocument.h"
#include "PnmlSource.h"
#include "PnmlValues.h"

#include <QXmlStreamReader>

// Thrown by the reader to stop at the first fault, with its Russian reason.
struct TPnmlRefusal
{
    QString Reason;
};

// Text of a label (name, initialMarking, inscription, capacity): its <text> or
// <value>, wherever its <graphics> stands; a <structure> marks a coloured term.
// The text views the reader's buffer, valid until the next label is read.
struct TPnmlLabel
{
    QStringView Text;
    bool Structured = false;
};

class TPnmlReader
{
public:
    TPnmlReader(const QByteArray &bytes, TPnmlDocument &doc)
        : Source(bytes)
        , Doc(doc)
    {
        // Through a device the reader decodes the document a few kilobytes at
        // a time instead of into one string twice its size: fewer fresh pages,
        // and the text it parses stays in the cache.
        Xml.setDevice(&Source);
        // Editors write some 150 bytes or more an element with an id (name,
        // graphics, indentation; this program's own documents about 160): the
        // table starts at twice the slots of one id per 200 bytes, which holds
        // this program's documents without growing and stays no larger than
        // they need. The lists' capacity that is never used costs address
        // space, not memory.
        Doc.Ids = TPnmlIds(bytes.size() / 200);
        Doc.Nodes.reserve(bytes.size() / 320);
        Doc.Arcs.reserve(bytes.size() / 320);
    }

    QString Read();

private:
    [[noreturn]] void Refuse(const QString &reason)
    {
        // A repeated id of the element being read comes before anything in it.
        CommitId();
        throw TPnmlRefusal{reason};
    }
    QString XmlError() const
    {
        return QStringLiteral("Ошибка XML в строке %1: %2").arg(Xml.lineNumber()).arg(Xml.errorString());
    }
    bool Next(QString *text = nullptr);
    void ReadText();
    // The attribute's value, a view valid until the next token. The reader's
    // list is shared, never iterated through a non-const copy: that would
    // copy every attribute of the element.
    static QStringView AttrView(const QXmlStreamAttributes &attributes, QStringView name)
    {
        for (const QXmlStreamAttribute &a : attributes)
            if (PnmlValues::Is(a.qualifiedName(), name))
                return a.value();
        return {};
    }
    QStringView AttrView(QStringView name) const { return AttrView(Xml.attributes(), name); }
    QString Attr(const char *name) const { return Xml.attributes().value(QLatin1StringView(name)).toString(); }
    bool HasAttr(const char *name) const { return Xml.attributes().hasAttribute(QString::fromLatin1(name)); }
    void AddId(QStringView id, qint32 ref);
    QStringView RequireId(const QXmlStreamAttributes &attributes, const QString &what, qint32 ref);
    void CommitId();
    void OptionalId(); // nets and pages: some editors leave their ids out
    qint32 NodeRef(QStringView id, quint32 hash) const
    {
        const qint32 ref = Doc.Ids.Value(id, hash, PnmlOtherRef);
        return ref >= 0 ? ref : -1;
    }
    void AttachOwnElements();
    void ReadNet();
    void ReadContainer(int depth);
    void ReadNode(bool place);
    void ReadReference(bool place);
    void ReadArc();
    TPnmlLabel ReadLabel();
    void ReadNodeGraphics(TPnmlNode &node);
    void ReadArcGraphics(TPnmlArc &arc);
    QPointF ReadXY(TPnmlKind kind, QStringView id);
    void ReadOwnBlock();
    // Skips the current element through Next(), so its depth is checked too.
    void SkipElement()
    {
        while (Next())
            SkipElement();
    }

    TPnmlSource Source;
    QXmlStreamReader Xml;
    TPnmlDocument &Doc;
    int Depth = 0;
    // The id of the node or arc being read: entered into the table when the
    // element ends (or is refused), by which time its slot is in the cache.
    struct TPendingId
    {
        QStringView Text;
        quint32 Hash = 0;
        qint32 Ref = 0;
        bool Active = false;
    } Pending;
    // Ends of the arc being read, resolved when it ends, for the same reason.
    QString SourceText, TargetText;
    quint32 SourceHash = 0, TargetHash = 0;
    // The text of the label being read; keeps its capacity from label to label.
    QString LabelText;
};

