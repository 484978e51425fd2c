#include "NetElements.h"

#include "Arc.h"
#include "NetStream.h"
#include "PetryNet.h"

#include <QRegion>

QString KindWord(quint8 kind)
{
    switch (kind) {
    case KindPlace: return QStringLiteral("Позиция");
    case KindTransition: return QStringLiteral("Переход");
    case KindArc: return QStringLiteral("Дуга");
    default: return {};
    }
}

QRect SidesToRect(int left, int top, int right, int bottom)
{
    if (right == left)
        ++right;
    if (bottom == top)
        ++bottom;
    const int l = std::min(left, right), r = std::max(left, right);
    const int t = std::min(top, bottom), b = std::max(top, bottom);
    return QRect(l, t, r - l, b - t);
}

// ---- TNetElement

TNetElement::TNetElement(TPetryNet *net)
    : Net(net)
    , Name(QStringLiteral("Unassigned"))
{
}

TNetElement::~TNetElement()
{
    Net->ElementLeavingSelection(this);
    Net->DetachElement(this);
}

void TNetElement::SaveToStream(TNetMemoryStream &stream) const
{
    stream.WriteString(Name);
    stream.WriteInteger(HasDescription ? 1 : 0);
    stream.WriteString(Description);
    stream.WriteByte(Kind);
}

void TNetElement::LoadFromStream(TNetMemoryStream &stream)
{
    Name = stream.ReadString();
    HasDescription = stream.ReadInteger() == 1;
    Description = stream.ReadString();
    // A record of another kind than the element being read is damaged: taking
    // its kind would file the element in the wrong list.
    if (stream.ReadByte() != Kind)
        throw TNetStreamError("element kind does not match its record");
}

void TNetElement::SetSelected(bool value)
{
    if (Selected != value)
        Net->ElementChanging(this);
    Net->ElementSelecting(this, value);
    Net->NotifySelectionChange();
}

void TNetElement::SetHasDescription(bool value)
{
    HasDescription = value;
    if (!value)
        Description.clear();
}

void TNetElement::AssignDefaultName()
{
    SetHasDescription(false);
    if (Kind >= KindPlace && Kind <= KindArc)
        Name = KindWord(Kind) + Net->NextNumber(Kind);
}

void TNetElement::SetName(const QString &value)
{
    if (Name == value)
        return;
    Name = value;
    Net->MarkChanged();
}

void TNetElement::SetDescription(const QString &value)
{
    if (Description == value)
        return;
    Description = value;
    Net->MarkChanged();
}

// ---- TStaticNetElement

TStaticNetElement::TStaticNetElement(TPetryNet *net)
    : TNetElement(net)
{
}

TStaticNetElement::~TStaticNetElement()
{
    Net->ElementDestroyed(this);
    // Each arc removes itself from this list (and from its other end) as it goes.
    while (!ArcList.isEmpty())
        delete ArcList.last();
}

void TStaticNetElement::SaveToStream(TNetMemoryStream &stream) const
{
    TNetElement::SaveToStream(stream);
    stream.WritePoint(QPoint(X, Y));
}

void TStaticNetElement::LoadFromStream(TNetMemoryStream &stream)
{
    TNetElement::LoadFromStream(stream);
    while (!ArcList.isEmpty())
        delete ArcList.last();
    Net->ElementMoving(this);
    const QPoint p = stream.ReadPoint();
    if (!InCoordinateRange(p))
        throw TNetStreamError("node centre out of range");
    X = p.x();
    Y = p.y();
}

int TStaticNetElement::CanvasX() const { return X + Net->OriginX(); }
int TStaticNetElement::CanvasY() const { return Y + Net->OriginY(); }
void TStaticNetElement::SetCanvasX(int v)
{
    if (X != v - Net->OriginX()) {
        Net->ElementMoving(this);
        X = v - Net->OriginX();
    }
}

void TStaticNetElement::SetCanvasY(int v)
{
    if (Y != v - Net->OriginY()) {
        Net->ElementMoving(this);
        Y = v - Net->OriginY();
    }
}

int TStaticNetElement::NodeWidth() const
{
    return Kind == KindPlace ? Net->PlaceWidth : Kind == KindTransition ? Net->TransitionWidth : 0;
}

int TStaticNetElement::NodeHeight() const
{
    return Kind == KindPlace ? Net->PlaceHeight : Kind == KindTransition ? Net->TransitionHeight : 0;
}

QRect TStaticNetElement::NodeRect() const
{
    if (Kind != KindPlace && Kind != KindTransition)
        return QRect(0, 0, 0, 0);
    const int w = NodeWidth(), h = NodeHeight();
    return QRect(X - w / 2 + Net->OriginX(), Y - h / 2 + Net->OriginY(), w, h);
}

TArc *TStaticNetElement::ArcAt(int i) const
{
    return i >= 0 && i < ArcList.size() ? ArcList.at(i) : nullptr;
}

void TStaticNetElement::AttachArc(TArc *arc)
{
    ArcList.append(arc);
}

bool TStaticNetElement::DetachArc(TArc *arc)
{
    const qsizetype i = ArcList.lastIndexOf(arc);
    if (i < 0)
        return false;
    ArcList.removeAt(i);
    return true;
}

bool TStaticNetElement::IsIncoming(const TArc *arc) const
{
    if (Kind == KindPlace)
        return arc->TransitionToPlace;
    if (Kind == KindTransition)
        return !arc->TransitionToPlace;
    return false;
}

int TStaticNetElement::IncomingCount() const
{
    int n = 0;
    for (const TArc *arc : ArcList)
        n += IsIncoming(arc) ? 1 : 0;
    return n;
}

TArc *TStaticNetElement::IncomingArc(int i) const
{
    if (i < 0)
        return nullptr;
    for (TArc *arc : ArcList)
        if (IsIncoming(arc) && i-- == 0)
            return arc;
    return nullptr;
}

TArc *TStaticNetElement::OutgoingArc(int i) const
{
    if (i < 0)
        return nullptr;
    for (TArc *arc : ArcList)
        if (!IsIncoming(arc) && i-- == 0)
            return arc;
    return nullptr;
}

void TStaticNetElement::ShiftBy(int dx, int dy)
{
    const int hw = NodeWidth() / 2, hh = NodeHeight() / 2;
    const TSides r = Net->GetSheetRect();
    SetCanvasX(CanvasX() + dx);
    SetCanvasY(CanvasY() + dy);
    if (CanvasX() < r.Left + hw + 1)
        SetCanvasX(r.Left + hw + 1);
    if (CanvasY() < r.Top + hh + 1)
        SetCanvasY(r.Top + hh + 1);
    if (CanvasX() > r.Right - hw - 1)
        SetCanvasX(r.Right - hw - 1);
    if (CanvasY() > r.Bottom - hh - 1)
        SetCanvasY(r.Bottom - hh - 1);
}

// ---- TPosition

TPosition::TPosition(TPetryNet *net)
    : TStaticNetElement(net)
{
    Kind = KindPlace;
    Name = KindWord(KindPlace);
}

void TPosition::SaveToStream(TNetMemoryStream &stream) const
{
    TStaticNetElement::SaveToStream(stream);
    stream.WriteInteger(Tokens);
}

void TPosition::LoadFromStream(TNetMemoryStream &stream)
{
    TStaticNetElement::LoadFromStream(stream);
    Tokens = stream.ReadInteger();
}

void TPosition::SetTokens(qint32 n)
{
    if (n == Tokens)
        return;
    Net->ElementChanging(this);
    Net->SaveUndo();
    Tokens = n;
}

bool TPosition::ContainsPoint(int x, int y) const
{
    const QRect r = NodeRect();
    return r.contains(x, y) && QRegion(r, QRegion::Ellipse).contains(QPoint(x, y));
}

bool TPosition::IntersectsRect(int left, int top, int right, int bottom) const
{
    const QRect r = NodeRect();
    const QRect probe = SidesToRect(left, top, right, bottom);
    if (!r.intersects(probe))
        return false;
    // A rubber band that holds the whole body holds its middle too; only
    // one across its border needs the ellipse's pixels.
    if (probe.contains(r) && r.width() >= 8 && r.height() >= 8)
        return true;
    return QRegion(r, QRegion::Ellipse).intersects(probe);
}

// ---- TTransfer

TTransfer::TTransfer(TPetryNet *net)
    : TStaticNetElement(net)
{
    Kind = KindTransition;
    Name = KindWord(KindTransition);
}

bool TTransfer::ContainsPoint(int x, int y) const
{
    return NodeRect().contains(x, y);
}

bool TTransfer::IntersectsRect(int left, int top, int right, int bottom) const
{
    return NodeRect().intersects(SidesToRect(left, top, right, bottom));
}

bool TTransfer::IsEnabled() const
{
    if (IncomingCount() == 0)
        return false;
    for (const TArc *arc : ArcList)
        if (IsIncoming(arc) && !arc->IsSatisfied())
            return false;
    // A firing must never push a token count out of the 32-bit range: replay
    // its effect on every place it touches (inputs first, as Fire does).
    for (const TArc *arc : ArcList) {
        const TPosition *place = arc->Place();
        if (!place)
            continue;
        qint64 tokens = place->Tokens;
        for (int pass = 0; pass < 2; ++pass) {
            for (const TArc *other : ArcList) {
                if (other->Place() != place || IsIncoming(other) != (pass == 0))
                    continue;
                tokens += pass == 0 ? -qint64(other->Multiplicity) : qint64(other->Multiplicity);
                if (tokens < std::numeric_limits<qint32>::min() || tokens > std::numeric_limits<qint32>::max())
                    return false;
            }
        }
    }
    return true;
}

void TTransfer::Fire()
{
    if (!IsEnabled())
        return;
    const TPetryNet::TUndoGroup step(*Net);
    for (int i = 0; TArc *arc = IncomingArc(i); ++i)
        arc->MoveTokens();
    for (int i = 0; TArc *arc = OutgoingArc(i); ++i)
        arc->MoveTokens();
    Net->RecordFiring(this);
}
