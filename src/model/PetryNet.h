#pragma once

#include "Arc.h"
#include "NetElements.h"
#include "ParkedElements.h"
#include "SpatialGrid.h"
#include "StateTree.h"
#include "UndoClipboard.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

// The rubber band of the arc gesture; X1, Y1 also hold the last point of a drag.
struct TRubberLine
{
    qint32 X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// Sides of a rectangle as the net takes and reports them: left and top inside,
// right and bottom given as coordinates (not as width and height). Selection
// rectangles may hold two opposite corners in any order.
struct TSides
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TSides &) const = default;
};

// The whole Petri net of one document: its elements, sheet, undo stack,
// selection, gestures, modelling state and notifications.
class TPetryNet
{
public:
    using TNotify = std::function<void(TPetryNet *)>;

    TPetryNet();
    ~TPetryNet();
    TPetryNet(const TPetryNet &) = delete;
    TPetryNet &operator=(const TPetryNet &) = delete;

    // Properties
    QString GetTitle() const;
    QPoint GetPlaceSize() const { return {PlaceWidth, PlaceHeight}; }
    QPoint GetTransitionSize() const { return {TransitionWidth, TransitionHeight}; }
    int OriginX() const { return SheetLeft + 5; }
    int OriginY() const { return SheetTop + 5; }
    int MaxX() const { return SheetLeft + SheetWidth - 6; }
    int MaxY() const { return SheetTop + SheetHeight - 6; }
    TSides GetSheetRect() const;
    void NotifyChange();
    void NotifySelectionChange();
    void NotifyStateChange();
    QString NextNumber(quint8 kind);
    void DetachElement(TNetElement *element);
    // Elements call these before their outline changes (a node moves, an
    // arc's bend points change) and when they are destroyed, so the spatial
    // index stays in step.
    void ElementMoving(TNetElement *element);
    void ElementDestroyed(TNetElement *element);
    // Elements call these when their selection flag changes and when they are
    // destroyed, so the net's account of its selection stays in step.
    void ElementSelecting(TNetElement *element, bool value);
    void ElementLeavingSelection(TNetElement *element);
    // Elements call this before their look changes in place (selection,
    // highlight, tokens, multiplicity, direction), so the canvas repaints it.
    void ElementChanging(TNetElement *element);
    // Before count elements change their look at once: past what is worth
    // following one by one, the whole picture counts as changed up front.
    void ElementsChanging(qsizetype count);
    // Marks the document as having unsaved changes.
    void MarkChanged() { Saved = false; }
    void SetNetName(const QString &value);
    void SetAuthor(const QString &value);
    void SetDescription(const QString &value);

    // Element access (none or -1 for an index or element not found)
    int PlaceCount() const { return int(Places.size()); }
    TPosition *Place(int i) const;
    int TransitionCount() const { return int(Transitions.size()); }
    TTransfer *Transition(int i) const;
    int ArcCount() const { return int(Arcs.size()); }
    TArc *Arc(int i) const;
    int ElementCount() const { return PlaceCount() + TransitionCount() + ArcCount(); }
    TNetElement *Element(int i) const;
    int IndexOfElement(const TNetElement *element) const;
    int SelectedCount() const;
    TNetElement *SelectedElement(int i) const;
    int SelectedIndexOf(const TNetElement *element) const;
    bool HasSelectedNodes() const;
    // Selected elements of one kind.
    int SelectedCountOf(quint8 kind) const;
    // The first selected element in list order (places, transitions, arcs)
    // and the last one (arcs, transitions, places, each from its end); none
    // when nothing is selected.
    TNetElement *FirstSelected() const;
    TNetElement *LastSelected() const;

    // Hit testing, canvas coordinates
    TNetElement *ElementAt(int x, int y) const;
    TStaticNetElement *NodeAt(int x, int y) const;
    bool IsNodeAt(int x, int y) const { return NodeAt(x, y) != nullptr; }
    bool CanPlace(int x, int y, quint8 kind) const;

    // Editing
    TPosition *AddPlace(int x, int y);
    TTransfer *AddTransition(int x, int y);
    void DeleteSelection();

    // Selection; rectangles are two opposite corners in canvas coordinates
    bool SelectAt(int x, int y);
    bool AddSelectAt(int x, int y);
    bool UnselectAt(int x, int y);
    bool SelectInRect(const TSides &r);
    bool AddSelectInRect(const TSides &r);
    bool UnselectInRect(const TSides &r);
    void SelectAll();
    void ClearSelection();
    void CancelSelection();
    TSides GetSelectionRect() const;

    // What part of the canvas picture may look different since the last call
    // (canvas coordinates): elements changed, moved, selected, highlighted,
    // marked, added or removed. Whole when the change is not confined to
    // known rectangles (load, undo, sheet or node sizes) or not tracked.
    struct TDirtyArea
    {
        bool Whole = true;
        QRect Rect;
    };
    TDirtyArea TakeDirtyArea();
    // Everything counts as changed until the next TakeDirtyArea.
    void MarkAllDirty() { DirtyWhole = true; }

    // Drawing and gestures
    void Draw(QPainter &canvas, bool elementsOnly) const;
    // The same picture inside visible (canvas coordinates), drawing only the
    // elements found there; outside it the canvas may differ.
    void Draw(QPainter &canvas, bool elementsOnly, const QRect &visible) const;
    void BeginArc(int x, int y, QPainter &canvas);
    void TrackArc(int x, int y, QPainter &canvas);
    void EndArc(QPainter &canvas);
    // Drops an unfinished arc gesture: source and target lose their highlight
    // and are forgotten; the caller erases the band first.
    void CancelArc();
    void DrawRubberArc(QPainter &canvas) const;
    // The band of the arc gesture as it would look from band's first point to
    // its second, with target (or none) at its end.
    void DrawRubberArc(QPainter &canvas, const TRubberLine &band, const TStaticNetElement *target) const;
    bool BeginDrag(int x, int y, QPainter &canvas);
    void DragTo(int x, int y, QPainter &canvas);
    void EndDrag(QPainter &canvas);
    // Inverts the feedback of the gesture under way (arc band or drag
    // outlines) once more, onto a canvas composed afresh.
    void DrawGestureFeedback(QPainter &canvas) const;
    // Where that feedback lies (canvas coordinates, perhaps more): what a
    // gesture step repaints on the screen. Very large for a drag of many.
    QRect GestureFeedbackRect() const;

    // Gesture state, read-only outside the net
    bool IsDrawingArc() const { return ArcSource != nullptr; }
    TStaticNetElement *GetArcSource() const { return ArcSource; }
    TStaticNetElement *GetArcTarget() const { return ArcTarget; }
    const TRubberLine &GetRubberLine() const { return RubberLine; }
    bool IsDragging() const { return Dragging; }
    bool IsDraggingBendPoint() const { return DraggingBendPoint; }
    int GetDragArcIndex() const { return DragArcIndex; }
    int GetDragBendIndex() const { return DragBendIndex; }

    // Document file
    bool SaveToFile();
    bool LoadFromFile();
    void WriteElements(TNetMemoryStream &stream) const;
    // Replaces every element with those read; false, and nothing changed, when
    // the stream does not hold well-formed element sections.
    bool ReadElements(TNetMemoryStream &stream);
    // The whole document as it would be written to a file.
    QByteArray SaveToBytes() const;
    bool LoadFromBytes(const QByteArray &bytes);

    // Undo and clipboard
    void SaveUndo();
    bool CanUndo() const { return !UndoStack.IsEmpty(); }
    // Restores the newest snapshot; the state it replaces can be redone.
    void Undo();
    bool CanRedo() const { return UndoStack.CanRedo(); }
    // Restores the state the last Undo replaced; the next SaveUndo forgets it.
    void Redo();

    // Within a group only the first SaveUndo takes a snapshot, so a compound
    // step (one firing, one jump to a recorded state) is undone as a whole.
    class TUndoGroup
    {
    public:
        explicit TUndoGroup(TPetryNet &net);
        ~TUndoGroup();
        TUndoGroup(const TUndoGroup &) = delete;
        TUndoGroup &operator=(const TUndoGroup &) = delete;

    private:
        TPetryNet &Net;
    };
    bool CanPaste() const { return !NetClipboard.IsEmpty(); }
    void CopySelection();
    void CutSelection();
    void Paste();
    void PasteAt(int x, int y);

    // Modelling
    bool CanStartModelling() const { return PlaceCount() > 0 && TransitionCount() > 0; }
    void StartModelling();
    void EndModelling();
    bool FireAt(int x, int y);
    int EnabledCount() const;
    void RecordFiring(TTransfer *transition);
    void GoToState(TNetStateTreeNode *node);

    QList<TPosition *> Places;
    QList<TTransfer *> Transitions;
    QList<TArc *> Arcs;
    TUndoStack UndoStack;
    std::unique_ptr<TNetStateTreeNode> RootState;
    TNetStateTreeNode *CurrentState = nullptr;
    bool Modelling = false;
    QString NetName;
    QString Author;
    QString FileName;
    QString Description;
    qint32 SheetLeft = 0;
    qint32 SheetTop = 0;
    qint32 SheetWidth = 0;
    qint32 SheetHeight = 0;
    bool Saved = true;
    qint32 PlaceWidth = 24;
    qint32 PlaceHeight = 24;
    qint32 TransitionWidth = 10;
    qint32 TransitionHeight = 24;
    TNotify OnChange;
    TNotify OnSelectionChange;
    TNotify OnStateChange;
    qint32 PlaceCounter = 0;
    qint32 TransitionCounter = 0;
    qint32 ArcCounter = 0;

private:
    // The gesture under way: arc band, or drag of the selection or of one bend point.
    TStaticNetElement *ArcSource = nullptr;
    TStaticNetElement *ArcTarget = nullptr;
    TRubberLine RubberLine;
    bool Dragging = false;
    bool DraggingBendPoint = false;
    qint32 DragBendIndex = -1;
    qint32 DragArcIndex = -1;
    // What a drag of the selection moves, taken once when it starts (the
    // selection stays as it is until the drag ends): the selected places and
    // transitions, and the arcs touching them, each in list order.
    std::vector<TStaticNetElement *> DragNodes;
    std::vector<TArc *> DragArcs;
    void TakeDragSet();
    TSides DragSetRect() const;

    // Spatial index over every element (NetIndex.cpp). It is brought up to
    // date lazily before each look-up: elements appended to the lists since
    // are filed then, moved ones are taken out when they start moving and
    // filed again, and a change of node sizes or anything it cannot follow
    // rebuilds it.
    mutable TSpatialGrid Grid;
    mutable bool GridValid = false;
    mutable std::vector<TNetElement *> GridPending;
    mutable qsizetype GridPlaces = 0, GridTransitions = 0, GridArcs = 0;
    mutable quint32 GridNextOrder = 0;
    mutable std::array<qint32, 4> GridSizes{};
    void EnsureGrid() const;
    void RebuildGrid() const;
    void DropGrid();
    void FileElement(TNetElement *element) const;
    void UnfileElement(TNetElement *element) const;
    // Elements whose indexed outline meets rect (canvas coordinates), in
    // drawing order: arcs, places, transitions, each in list order.
    std::vector<TNetElement *> ElementsIn(const QRect &rect) const;
    void DrawSheet(QPainter &canvas, bool elementsOnly) const;

    // What changed since TakeDirtyArea (NetDirty.cpp), in net coordinates so
    // that scrolling leaves it valid: the union of the old looks, and the
    // elements whose new look is measured when the area is taken. Sizes and
    // modelling are compared with those seen last time.
    bool DirtyWhole = true;
    QRect DirtyRect;
    QSet<TNetElement *> DirtyPending;
    std::array<qint32, 7> DirtyLook{};
    void AddDirty(const QRect &canvasRect);
    QRect PaintedRect(const TNetElement *element) const;
    void ElementVanishing(TNetElement *element);

    int UndoGroupDepth = 0;
    bool UndoGroupTaken = false;
    TSnapshotPtr TakeSnapshot() const;
    // The records of the last snapshot taken or restored, which the next one
    // shares wherever an element has not changed since.
    mutable TSnapshotPtr SnapshotRecords;
    // Position of each transition and place in its list while modelling, so
    // that recording a firing needs no walk over the lists.
    QHash<const TNetElement *, int> TransitionIndex;
    int TransitionIndexOf(const TTransfer *transition);
    int PlaceIndexOf(const TPosition *place);
    void IndexNodes();
    // Brings back the snapshot's state; current is the state it replaces,
    // just taken, which keeps the elements that leave (UndoRestore.cpp).
    bool RestoreSnapshot(const TSnapshotPtr &snapshot, const TSnapshotPtr &current);
    bool RestoreInPlace(const TSnapshotPtr &snapshot, const TSnapshotPtr &current);

    friend class TNetContentBuilder; // installs the elements of an import

    // Elements taken out of the lists that an undo may bring back: parked
    // with holder, the snapshot of the state they leave, or destroyed at once
    // without one. Nodes come after their arcs.
    friend class TParkedElements;
    std::shared_ptr<TParkingLot> Parking;
    void ParkElements(std::vector<TNetElement *> elements, const TNetSnapshot *holder);
    void DestroyParked(TNetElement *element);
    void ReleaseParked();

    // Set while elements already out of the lists (parked ones) are
    // destroyed, so that their DetachElement has nothing to search for.
    bool DetachingNothing = false;

    struct TElementLists;
    void DestroyElements();
    void InstallElements(TElementLists &lists);
    bool ParseElements(TNetMemoryStream &stream, TElementLists &lists);
    void PasteWithOffset(bool atPoint, int x, int y);
    bool SetSelectionInRect(const TSides &r, bool value);
    void DrawDragFeedbacks(QPainter &canvas, int dx, int dy, bool apply);

    // Account of the selection (NetSelection.cpp): how many elements of each
    // kind are selected, and a list holding every selected element in no
    // order (plus some unselected since, dropped in passing), each marked as
    // listed in its flag; so questions about the selection and clearing it
    // cost in proportion to the selection, not to the net. Taken afresh from
    // the element lists when it was dropped or a flag was written directly.
    mutable std::array<int, 3> SelectedCounts{};
    mutable std::vector<TNetElement *> SelectedList;
    mutable qsizetype SelectedListStale = 0;
    mutable bool SelectionKnown = false;
    mutable quint32 SelectionWrites = 0;
    bool SelectionInStep() const { return SelectionKnown && SelectionWrites == TSelectionMark::WriteCount(); }
    void EnsureSelection() const;
    void CompactSelectedList() const;
    // Forgets the account before elements are destroyed in bulk.
    void DropSelectionAccount();
    TNetElement *EndSelected(quint8 kind, bool first) const;
};
