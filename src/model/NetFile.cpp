#include "PetryNet.h"

#include "AddressIndex.h"
#include "FileRead.h"
#include "PetryNetPrivate.h"

#include <QHash>
#include <QSaveFile>
#include <QtEndian>

namespace {

// Smallest record of each kind (empty name and description, no bend points);
// a count that could not fit in the bytes left is refused before anything is built.
constexpr qint64 MinPlaceRecord = 2 + 4 + 2 + 1 + 8 + 4;
constexpr qint64 MinTransitionRecord = 2 + 4 + 2 + 1 + 8;
constexpr qint64 MinArcRecord = 2 + 4 + 2 + 1 + 1 + 4 + 1 + 4 + 1 + 4 + 4;
constexpr qint32 MaxNodeSize = 10000;

qint32 ReadCount(TNetMemoryStream &stream, qint64 minRecord)
{
    const qint32 n = stream.ReadInteger();
    if (n < 0 || qint64(n) > stream.Remaining() / minRecord)
        throw TNetStreamError("bad element count");
    return n;
}

} // namespace

TNetSizes TNetSizes::Read(TNetMemoryStream &stream)
{
    TNetSizes s;
    s.SheetWidth = stream.ReadInteger();
    s.SheetHeight = stream.ReadInteger();
    s.PlaceWidth = stream.ReadInteger();
    s.PlaceHeight = stream.ReadInteger();
    s.TransitionWidth = stream.ReadInteger();
    s.TransitionHeight = stream.ReadInteger();
    if (!s.InRange())
        throw TNetStreamError("size out of range");
    return s;
}

bool TNetSizes::InRange() const
{
    auto within = [](qint32 v, qint32 low, qint32 high) { return v >= low && v <= high; };
    return within(SheetWidth, 0, MaxCoordinate) && within(SheetHeight, 0, MaxCoordinate)
           && within(PlaceWidth, 1, MaxNodeSize) && within(PlaceHeight, 1, MaxNodeSize)
           && within(TransitionWidth, 1, MaxNodeSize) && within(TransitionHeight, 1, MaxNodeSize);
}

void WriteNetSizes(const TPetryNet &net, TNetMemoryStream &stream)
{
    stream.WriteInteger(net.SheetWidth);
    stream.WriteInteger(net.SheetHeight);
    stream.WriteInteger(net.PlaceWidth);
    stream.WriteInteger(net.PlaceHeight);
    stream.WriteInteger(net.TransitionWidth);
    stream.WriteInteger(net.TransitionHeight);
}

void ApplyNetSizes(TPetryNet &net, const TNetSizes &s)
{
    net.SheetWidth = s.SheetWidth;
    net.SheetHeight = s.SheetHeight;
    net.PlaceWidth = s.PlaceWidth;
    net.PlaceHeight = s.PlaceHeight;
    net.TransitionWidth = s.TransitionWidth;
    net.TransitionHeight = s.TransitionHeight;
}

void TPetryNet::WriteElements(TNetMemoryStream &stream) const
{
    // Arcs name their ends by position; one index table keeps this linear.
    TAddressIndex index(PlaceCount() + TransitionCount());
    stream.WriteInteger(PlaceCount());
    for (int i = 0; i < PlaceCount(); ++i) {
        Places[i]->SaveToStream(stream);
        index.Insert(Places[i], i);
    }
    stream.WriteInteger(TransitionCount());
    for (int i = 0; i < TransitionCount(); ++i) {
        Transitions[i]->SaveToStream(stream);
        index.Insert(Transitions[i], i);
    }
    stream.WriteInteger(ArcCount());
    for (const TArc *arc : Arcs)
        arc->WriteRecord(stream, index.Value(arc->StartNode), index.Value(arc->EndNode));
}

bool TPetryNet::ParseElements(TNetMemoryStream &stream, TElementLists &lists)
{
    try {
        const qint32 p = ReadCount(stream, MinPlaceRecord);
        lists.Places.reserve(p);
        for (qint32 i = 0; i < p; ++i) {
            lists.Places.append(new TPosition(this));
            lists.Places.last()->LoadFromStream(stream);
        }
        const qint32 t = ReadCount(stream, MinTransitionRecord);
        lists.Transitions.reserve(t);
        for (qint32 i = 0; i < t; ++i) {
            lists.Transitions.append(new TTransfer(this));
            lists.Transitions.last()->LoadFromStream(stream);
        }
        const qint32 a = ReadCount(stream, MinArcRecord);
        // Duplicates are found in one table of ends, not by walking each
        // start's arcs (quadratic for a node with many arcs).
        TArcEndsSeen seen(a);
        lists.Arcs.reserve(a);
        for (qint32 i = 0; i < a; ++i)
            lists.Arcs.append(TArc::CreatePasted(this, stream, lists.Places, lists.Transitions, &seen));
        return true;
    } catch (const TNetStreamError &) {
        return false;
    }
}

bool TPetryNet::ReadElements(TNetMemoryStream &stream)
{
    TElementLists lists;
    if (!ParseElements(stream, lists))
        return false;
    InstallElements(lists);
    return true;
}

QByteArray TPetryNet::SaveToBytes() const
{
    TNetMemoryStream stream;
    stream.WriteInteger(FileMagic);
    stream.WriteString(QString::fromLatin1(FileTag));
    stream.WriteString(NetName);
    stream.WriteString(Author);
    stream.WriteString(Description);
    WriteNetSizes(*this, stream);
    stream.WriteString(QString::fromLatin1(ContentTag));
    WriteElements(stream);
    return stream.Data();
}

bool TPetryNet::SaveToFile()
{
    // The whole document is composed first and replaces the previous file only
    // once it has been written completely.
    const QByteArray bytes = SaveToBytes();
    // Unbuffered, so a short write (disk full, size limit) shows in write()'s
    // result instead of being lost in a flush that commit() does not check.
    QSaveFile file(FileName);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                    && file.write(bytes) == bytes.size() && file.commit();
    Saved = ok;
    return ok;
}

bool TPetryNet::LoadFromBytes(const QByteArray &bytes)
{
    TNetMemoryStream stream(bytes);
    TElementLists lists;
    QString netName, author, description;
    TNetSizes sizes;
    try {
        if (stream.ReadInteger() != FileMagic)
            return false;
        if (stream.ReadString() != QLatin1StringView(FileTag))
            return false;
        netName = stream.ReadString();
        author = stream.ReadString();
        description = stream.ReadString();
        sizes = TNetSizes::Read(stream);
        stream.ReadString(); // the content tag is not compared
    } catch (const TNetStreamError &) {
        return false;
    }
    if (!ParseElements(stream, lists))
        return false;
    NetName = netName;
    Author = author;
    Description = description;
    ApplyNetSizes(*this, sizes);
    InstallElements(lists);
    NotifyChange();
    return true;
}

bool TPetryNet::LoadFromFile()
{
    // Special, oversized and foreign files are refused before their contents are read.
    const qint32 magic = qToLittleEndian(FileMagic);
    QByteArray bytes;
    if (ReadFileBytes(FileName, MaxDocumentSize, bytes,
                      QByteArray(reinterpret_cast<const char *>(&magic), sizeof magic))
        != TFileReadResult::Ok)
        return false;
    return LoadFromBytes(bytes);
}
