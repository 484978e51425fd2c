#pragma once

#include "NetStream.h"
#include "UndoSnapshot.h"

#include <memory>
#include <vector>

using TSnapshotPtr = std::shared_ptr<const TNetSnapshot>;

// Whole-net snapshots, newest last; beyond UndoDepth the oldest is dropped.
// Undone states wait on a redo stack of the same depth until the next new
// snapshot clears it.
class TUndoStack
{
public:
    bool IsEmpty() const { return Snapshots.empty(); }
    int Count() const { return int(Snapshots.size()); }
    void Push(TSnapshotPtr snapshot);
    TSnapshotPtr Pop();

    bool CanRedo() const { return !RedoSnapshots.empty(); }
    int RedoCount() const { return int(RedoSnapshots.size()); }
    void PushRedo(TSnapshotPtr snapshot);
    TSnapshotPtr PopRedo();
    void ClearRedo() { RedoSnapshots.clear(); }

    std::vector<TSnapshotPtr> Snapshots;
    std::vector<TSnapshotPtr> RedoSnapshots;
    qint32 UndoDepth = 10;
};

// The copied group of elements, shared by every document of the process.
class TNetClipboad
{
public:
    bool IsEmpty() const { return !Data; }
    void SetData(std::unique_ptr<TNetMemoryStream> stream);
    // The data rewound to its start; the clipboard keeps ownership.
    TNetMemoryStream *GetData();
    void Clear() { Data.reset(); }

    std::unique_ptr<TNetMemoryStream> Data;
};

extern TNetClipboad NetClipboard;
