#include "AnalysisNet.h"

#include "Arc.h"
#include "NetElements.h"
#include "PetryNet.h"

#include <QHash>

#include <algorithm>
#include <limits>

int TAnalysisNet::AddPlace(const QString &name, qint32 tokens)
{
    PlaceNames << name;
    Marking << tokens;
    return PlaceCount() - 1;
}

int TAnalysisNet::AddTransition(const QString &name)
{
    TransitionNames << name;
    Pre.append(QList<TArcWeight>());
    Post.append(QList<TArcWeight>());
    return TransitionCount() - 1;
}

void TAnalysisNet::AddArc(int place, int transition, qint32 weight, bool output)
{
    QList<TArcWeight> &list = output ? Post[transition] : Pre[transition];
    auto it = std::lower_bound(list.begin(), list.end(), place,
                               [](const TArcWeight &a, int p) { return a.Place < p; });
    if (it != list.end() && it->Place == place) {
        // Saturate rather than wrap: Check() refuses the sum then.
        it->Weight = qint32(std::clamp<qint64>(qint64(it->Weight) + weight, 0, std::numeric_limits<qint32>::max()));
        return;
    }
    list.insert(it, TArcWeight{qint32(place), weight});
}

bool TAnalysisNet::Check(QString *error) const
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (Marking.size() != PlaceNames.size() || Pre.size() != TransitionNames.size()
        || Post.size() != TransitionNames.size())
        return fail(QStringLiteral("Сеть повреждена: размеры списков не согласованы."));
    for (int p = 0; p < PlaceCount(); ++p)
        if (Marking[p] < 0)
            return fail(QStringLiteral("В позиции «%1» отрицательное число фишек.").arg(PlaceNames[p]));
    for (int t = 0; t < TransitionCount(); ++t)
        for (const QList<TArcWeight> *list : {&Pre[t], &Post[t]})
            for (const TArcWeight &a : *list) {
                if (a.Place < 0 || a.Place >= PlaceCount())
                    return fail(QStringLiteral("Сеть повреждена: дуга перехода «%1» ведёт к несуществующей позиции.")
                                    .arg(TransitionNames[t]));
                if (a.Weight < 1)
                    return fail(QStringLiteral("Кратность дуги между «%1» и «%2» меньше 1.")
                                    .arg(PlaceNames[a.Place], TransitionNames[t]));
            }
    return true;
}

QList<QList<qint64>> TAnalysisNet::Incidence() const
{
    QList<QList<qint64>> c(PlaceCount(), QList<qint64>(TransitionCount(), 0));
    for (int t = 0; t < TransitionCount(); ++t) {
        for (const TArcWeight &a : Pre[t])
            c[a.Place][t] -= a.Weight;
        for (const TArcWeight &a : Post[t])
            c[a.Place][t] += a.Weight;
    }
    return c;
}

bool BuildAnalysisNet(const TPetryNet &net, TAnalysisNet &out, QString *error)
{
    TAnalysisNet built;
    QHash<const TPosition *, int> placeIndex;
    for (const TPosition *place : net.Places) {
        placeIndex.insert(place, built.PlaceCount());
        built.AddPlace(place->Name, place->Tokens);
    }
    for (const TTransfer *transition : net.Transitions) {
        const int t = built.AddTransition(transition->Name);
        for (const TArc *arc : transition->ArcList) {
            const int p = placeIndex.value(arc->Place(), -1);
            if (p < 0)
                continue;   // an arc whose other end is no place of this net carries no tokens
            built.AddArc(p, t, arc->Multiplicity, arc->TransitionToPlace);
        }
    }
    if (!built.Check(error))
        return false;
    out = std::move(built);
    return true;
}
