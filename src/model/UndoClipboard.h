#pragma once

#include "NetStream.h"

#include <memory>
#include <vector>

// Whole-net snapshots, newest last; beyond UndoDepth the oldest is dropped.
class TUndoStack
{
public:
    bool IsEmpty() const { return Snapshots.empty(); }
    int Count() const { return int(Snapshots.size()); }
    void Push(std::unique_ptr<TNetMemoryStream> stream);
    std::unique_ptr<TNetMemoryStream> Pop();

    std::vector<std::unique_ptr<TNetMemoryStream>> Snapshots;
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
