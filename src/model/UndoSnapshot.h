#pragma once

#include <QExplicitlySharedDataPointer>
#include <QList>
#include <QPoint>
#include <QSharedData>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class TArc;
class TNetMemoryStream;
class TParkedElements;
struct TParkingLot;
class TPetryNet;
class TStaticNetElement;

// The state of one element as an undo snapshot keeps it. Records never change
// once made, so consecutive snapshots share the records of every element that
// did not change between them; a snapshot of a large net after a small edit
// costs a pointer per element and a new record per changed one.
struct TElementRecord : QSharedData
{
    const void *Id = nullptr; // the element it was taken from: compared, never followed
    QString Name;
    QString Description;
    bool HasDescription = false;
};

struct TNodeRecord : TElementRecord
{
    qint32 X = 0;
    qint32 Y = 0;
    qint32 Tokens = 0; // places only
};

struct TArcRecord : TElementRecord
{
    const void *Start = nullptr; // the Id of the end node's record
    const void *End = nullptr;
    QList<QPoint> BendPoints;
    qint32 Multiplicity = 1;
    bool TransitionToPlace = false;
};

using TNodeRecordPtr = QExplicitlySharedDataPointer<const TNodeRecord>;
using TArcRecordPtr = QExplicitlySharedDataPointer<const TArcRecord>;
// A list's records; a list that did not change is shared whole.
using TNodeRecords = std::shared_ptr<const std::vector<TNodeRecordPtr>>;
using TArcRecords = std::shared_ptr<const std::vector<TArcRecordPtr>>;

// What Undo and Redo bring back: the net's name, description and sizes and
// every element's record, in list order.
struct TNetSnapshot
{
    QString NetName;
    QString Description;
    std::array<qint32, 6> Sizes{};
    TNodeRecords Places;
    TNodeRecords Transitions;
    TArcRecords Arcs;
    // The element lists' storage when taken, so that a snapshot while
    // modelling sees whether only token counts can have changed since.
    std::array<const void *, 3> Lists{};
    // Elements that left the net when it left this state, kept alive for as
    // long as this snapshot may bring them back; not part of what it records.
    mutable std::vector<std::shared_ptr<const TParkedElements>> Parked;
};

// The net as it is now; records equal to those of previous (the last
// snapshot taken or restored) are shared rather than made again. Elements in
// parked were taken out since.
std::shared_ptr<const TNetSnapshot> TakeNetSnapshot(const TPetryNet &net, const TNetSnapshot *previous,
                                                    const TParkingLot *parked = nullptr);

// Writes back every field of an element of the net that differs from its
// record, telling the net first; the element ends unselected and without
// highlight.
void RestoreRecord(TPetryNet &net, TStaticNetElement &node, const TNodeRecord &r);
void RestoreRecord(TPetryNet &net, TArc &arc, const TArcRecord &r);

// Writes every field of an element out of the net (the arc's ends are not
// among them) and clears its highlight.
void SetRecord(TStaticNetElement &node, const TNodeRecord &r);
void SetRecord(TArc &arc, const TArcRecord &r);

// The snapshot's elements in the element sections' stream form, as the net
// writes its own.
void WriteSnapshotElements(const TNetSnapshot &snapshot, TNetMemoryStream &stream);
