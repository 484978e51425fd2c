#pragma once
// The compact, self-contained form of a net that the analysis works on.

#include <QList>
#include <QString>
#include <QStringList>

class TPetryNet;

// One arc of a transition in the compact form: a place and its weight.
struct TArcWeight
{
    qint32 Place = 0;
    qint32 Weight = 0;
};

// A net reduced to what the firing rule needs: per transition the places it
// takes tokens from (Pre) and puts tokens into (Post), each place at most once
// per direction, plus the start marking and the names for the texts. It owns
// all its data, so it is built in the window's thread and handed to a worker.
struct TAnalysisNet
{
    QStringList PlaceNames;
    QStringList TransitionNames;
    QList<qint32> Marking;             // start marking, one count per place
    QList<QList<TArcWeight>> Pre;      // per transition, sorted by place
    QList<QList<TArcWeight>> Post;     // per transition, sorted by place

    int PlaceCount() const { return int(PlaceNames.size()); }
    int TransitionCount() const { return int(TransitionNames.size()); }

    // Adds a place or a transition; answers its index.
    int AddPlace(const QString &name, qint32 tokens);
    int AddTransition(const QString &name);
    // Adds weight to the arc place -> transition (input) or transition -> place
    // (output); arcs of the same place and direction add up.
    void AddArc(int place, int transition, qint32 weight, bool output);

    // Whether the net is fit for the analysis: counts at least 0, weights at
    // least 1, indices in range. Otherwise answers false with a Russian text.
    bool Check(QString *error = nullptr) const;

    // The incidence matrix C[place][transition] = Post - Pre.
    QList<QList<qint64>> Incidence() const;
};

// Builds the compact form of a net with its current marking (the places'
// Tokens). Answers false with a Russian text for a net the analysis refuses.
bool BuildAnalysisNet(const TPetryNet &net, TAnalysisNet &out, QString *error = nullptr);
