#pragma once

#include <QExplicitlySharedDataPointer>
#include <QList>
#include <QPoint>
#include <QSharedData>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class TNetMemoryStream;
class TPetryNet;

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
};

// The net as it is now; records equal to those of previous (the last
// snapshot taken or restored) are shared rather than made again.
std::shared_ptr<const TNetSnapshot> TakeNetSnapshot(const TPetryNet &net, const TNetSnapshot *previous);

// Whether the net holds the very elements the snapshot was taken from, in the
// same order and with the same arc ends, so that it can be restored in place.
bool HasSnapshotShape(const TPetryNet &net, const TNetSnapshot &snapshot);

// Whether the net's lists start with the snapshot's elements (those added
// since follow them), with the same arc ends.
bool HasSnapshotPrefix(const TPetryNet &net, const TNetSnapshot &snapshot);

// Destroys the elements that follow the snapshot's in each list; for a net
// that HasSnapshotPrefix, it then has the snapshot's shape.
void DropAppended(TPetryNet &net, const TNetSnapshot &snapshot);

// Writes back every field that differs from its record, telling the net of
// each element that changes; every element ends unselected and without
// highlight. Only for a net of the snapshot's shape.
void RestoreRecordsInPlace(TPetryNet &net, const TNetSnapshot &snapshot);

// The snapshot's elements in the element sections' stream form, as the net
// writes its own.
void WriteSnapshotElements(const TNetSnapshot &snapshot, TNetMemoryStream &stream);
