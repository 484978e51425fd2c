#include "NetContent.h"

TNetContentBuilder::TNetContentBuilder(TPetryNet &net, qsizetype places, qsizetype transitions, qsizetype arcs)
    : Net(net)
    , Lists(std::make_unique<TPetryNet::TElementLists>())
{
    Lists->Places.reserve(places);
    Lists->Transitions.reserve(transitions);
    Lists->Arcs.reserve(arcs);
}

TNetContentBuilder::~TNetContentBuilder() = default;

void TNetContentBuilder::SetTexts(TNetElement *element, QStringView name, bool hasDescription, QStringView description)
{
    element->Name = StoredText(name);
    element->HasDescription = hasDescription;
    element->Description = StoredText(description);
}

template <class TNode>
TNode *TNetContentBuilder::AddNode(QList<TNode *> &list, QStringView name, bool hasDescription,
                                   QStringView description, QPoint centre)
{
    Q_ASSERT(InCoordinateRange(centre));
    auto *node = new TNode(&Net);
    list.append(node);
    SetTexts(node, name, hasDescription, description);
    node->X = centre.x();
    node->Y = centre.y();
    return node;
}

TPosition *TNetContentBuilder::AddPlace(QStringView name, bool hasDescription, QStringView description,
                                        QPoint centre, qint32 tokens)
{
    TPosition *place = AddNode(Lists->Places, name, hasDescription, description, centre);
    place->Tokens = tokens;
    return place;
}

TTransfer *TNetContentBuilder::AddTransition(QStringView name, bool hasDescription, QStringView description,
                                             QPoint centre)
{
    return AddNode(Lists->Transitions, name, hasDescription, description, centre);
}

TArc *TNetContentBuilder::AddArc(QStringView name, bool hasDescription, QStringView description,
                                 TStaticNetElement *start, TStaticNetElement *end, bool transitionToPlace,
                                 qint32 multiplicity, QList<QPoint> bends)
{
    Q_ASSERT(start->Kind != end->Kind);
    auto *arc = new TArc(&Net);
    Lists->Arcs.append(arc);
    SetTexts(arc, name, hasDescription, description);
    arc->TransitionToPlace = transitionToPlace;
    arc->Multiplicity = multiplicity;
    arc->StartNode = start;
    arc->EndNode = end;
    start->AttachArc(arc);
    end->AttachArc(arc);
    arc->BendPoints = std::move(bends);
    return arc;
}

bool TNetContentBuilder::Install(QStringView netName, QStringView author, QStringView description,
                                 const TNetSizes &sizes)
{
    if (!sizes.InRange())
        return false;
    Net.NetName = StoredText(netName);
    Net.Author = StoredText(author);
    Net.Description = StoredText(description);
    ApplyNetSizes(Net, sizes);
    Net.InstallElements(*Lists);
    Net.NotifyChange();
    return true;
}
