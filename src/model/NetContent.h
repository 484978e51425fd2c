#pragma once

// Builds a whole net from values another format has read, under the rules the
// document file applies to what it stores, and puts it in place at once.

#include "PetryNetPrivate.h"

#include <memory>

class TNetContentBuilder
{
public:
    TNetContentBuilder(TPetryNet &net, qsizetype places, qsizetype transitions, qsizetype arcs);
    ~TNetContentBuilder(); // destroys whatever was not installed
    TNetContentBuilder(const TNetContentBuilder &) = delete;
    TNetContentBuilder &operator=(const TNetContentBuilder &) = delete;

    // Texts are kept as a document keeps them (StoredText). Centres and bend
    // points are within the coordinate range.
    TPosition *AddPlace(QStringView name, bool hasDescription, QStringView description, QPoint centre, qint32 tokens);
    TTransfer *AddTransition(QStringView name, bool hasDescription, QStringView description, QPoint centre);
    // start and end are nodes added here, of different kinds, and no other
    // arc has the same ends and direction: the caller has checked both.
    TArc *AddArc(QStringView name, bool hasDescription, QStringView description, TStaticNetElement *start,
                 TStaticNetElement *end, bool transitionToPlace, qint32 multiplicity, QList<QPoint> bends);
    // Replaces the net's texts, sizes and elements with these. False, with the
    // net unchanged, when a size is beyond what a document holds.
    bool Install(QStringView netName, QStringView author, QStringView description, const TNetSizes &sizes);

private:
    void SetTexts(TNetElement *element, QStringView name, bool hasDescription, QStringView description);
    template <class TNode>
    TNode *AddNode(QList<TNode *> &list, QStringView name, bool hasDescription, QStringView description, QPoint centre);

    TPetryNet &Net;
    std::unique_ptr<TPetryNet::TElementLists> Lists;
};
