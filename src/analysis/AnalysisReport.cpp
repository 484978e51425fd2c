#include "Analysis.h"

#include <QJsonArray>

namespace {

QString CountText(qint64 n)
{
    return n == Omega ? QStringLiteral("ω") : QString::number(n);
}

QString NamesText(const QStringList &names, const QList<int> &indices)
{
    QStringList list;
    for (int i : indices)
        list << names.value(i);
    return list.isEmpty() ? QStringLiteral("нет") : list.join(QStringLiteral(", "));
}

QString AnswerText(const TAnswer &a)
{
    return a.IsKnown() ? VerdictText(a.Value) : VerdictText(a.Value) + QStringLiteral(" (") + a.Reason + u')';
}

QString InvariantText(const QStringList &names, const QList<qint64> &v)
{
    QStringList terms;
    for (int k = 0; k < v.size(); ++k)
        if (v[k] != 0)
            terms << (v[k] == 1 ? names.value(k) : QString::number(v[k]) + u'·' + names.value(k));
    return terms.join(QStringLiteral(" + "));
}

QJsonValue Json(const TAnswer &a)
{
    return a.IsKnown() ? QJsonValue(a.IsYes()) : QJsonValue(QJsonValue::Null);
}

QJsonValue JsonCount(qint64 n)
{
    return n == Omega ? QJsonValue(QStringLiteral("omega")) : QJsonValue(double(n));
}

QJsonArray JsonNames(const QStringList &names, const QList<int> &indices)
{
    QJsonArray list;
    for (int i : indices)
        list << names.value(i);
    return list;
}

QJsonValue JsonInvariants(const TInvariantSet &set)
{
    if (!set.Complete)
        return QJsonValue(QJsonValue::Null);
    QJsonArray list;
    for (const QList<qint64> &v : set.Vectors) {
        QJsonArray row;
        for (qint64 x : v)
            row << double(x);
        list << row;
    }
    return list;
}

} // namespace

QString MarkingText(const QList<qint64> &marking)
{
    QStringList counts;
    for (qint64 n : marking)
        counts << CountText(n);
    return u'(' + counts.join(QStringLiteral(", ")) + u')';
}

QString PathText(const TAnalysisNet &net, const QList<int> &path)
{
    QStringList names;
    for (int t : path)
        names << net.TransitionNames.value(t);
    return names.isEmpty() ? QStringLiteral("пустая последовательность") : names.join(QStringLiteral(", "));
}

QString VerdictText(TVerdict verdict)
{
    switch (verdict) {
    case TVerdict::Yes:
        return QStringLiteral("да");
    case TVerdict::No:
        return QStringLiteral("нет");
    default:
        return QStringLiteral("не определено");
    }
}

QString AnalysisReportText(const TAnalysisNet &net, const TAnalysisResult &r)
{
    QStringList lines;
    const bool searched = !r.TransitionDead.isEmpty() || r.States > 0;
    if (searched) {
        lines << (r.Coverability ? QStringLiteral("Граф покрытия. Узлов: %1, дуг: %2")
                                 : QStringLiteral("Граф достижимости. Состояний: %1, срабатываний: %2"))
                     .arg(r.States)
                     .arg(r.Firings);
        if (!r.Complete && !r.StopReason.isEmpty())
            lines << QStringLiteral("Анализ неполный: ") + r.StopReason + u'.';
        lines << QStringLiteral("Ограниченность: ") + AnswerText(r.Bounded);
        if (!r.UnboundedPlaces.isEmpty())
            lines << QStringLiteral("  Неограниченные позиции: ") + NamesText(net.PlaceNames, r.UnboundedPlaces);
        lines << QStringLiteral("  Наибольшее число фишек в позиции: ") + CountText(r.MaxTokensPlace)
              << QStringLiteral("  Наибольшее число фишек в маркировке: ") + CountText(r.MaxTokensMarking)
              << QStringLiteral("Безопасность: ") + AnswerText(r.Safe)
              << QStringLiteral("Тупики: ") + AnswerText(r.Deadlocks);
        if (r.Deadlocks.IsYes()) {
            lines << QStringLiteral("  Тупиковых маркировок: %1").arg(r.DeadlockCount)
                  << QStringLiteral("  Тупиковая маркировка: ") + MarkingText(r.DeadlockMarking);
            if (!r.DeadlockMarking.contains(Omega))
                lines << QStringLiteral("  Кратчайший путь к ней: ") + PathText(net, r.DeadlockPath);
        }
        lines << QStringLiteral("Мёртвые переходы: ") + NamesText(net.TransitionNames, r.DeadTransitions())
              << QStringLiteral("Живость: ") + AnswerText(r.Live);
        if (r.Live.IsNo())
            lines << QStringLiteral("  Неживые переходы: ") + NamesText(net.TransitionNames, r.NonLiveTransitions());
        lines << QStringLiteral("Обратимость: ") + AnswerText(r.Reversible)
              << QStringLiteral("Домашние маркировки: ") + AnswerText(r.HomeMarkings);
        if (r.HomeMarkings.IsYes())
            lines << QStringLiteral("  Их число: %1, ближайшая: ").arg(r.HomeMarkingCount) + MarkingText(r.HomeMarking);
    } else if (!r.StopReason.isEmpty()) {
        lines << QStringLiteral("Анализ невозможен: ") + r.StopReason;
    }
    for (const auto &[set, title, names] :
         {std::tuple{&r.PInvariants, QStringLiteral("P-инварианты"), &net.PlaceNames},
          std::tuple{&r.TInvariants, QStringLiteral("T-инварианты"), &net.TransitionNames}}) {
        if (!set->Complete && set->Reason.isEmpty())
            continue;
        if (!set->Complete) {
            lines << title + QStringLiteral(": не вычислены (") + set->Reason + u')';
            continue;
        }
        lines << title + QStringLiteral(": %1").arg(set->Vectors.size());
        for (const QList<qint64> &v : set->Vectors)
            lines << QStringLiteral("  ") + InvariantText(*names, v);
        lines << QStringLiteral("  Покрытие: ") + AnswerText(set->Covered);
    }
    if (r.PInvariants.Complete || !r.PInvariants.Reason.isEmpty())
        lines << QStringLiteral("Структурная ограниченность: ") + AnswerText(r.StructurallyBounded);
    if (searched)
        lines << QStringLiteral("Время: %1 с").arg(r.Seconds, 0, 'f', 3);
    return lines.join(u'\n') + u'\n';
}

QJsonObject AnalysisReportJson(const TAnalysisNet &net, const TAnalysisResult &r)
{
    QJsonObject o;
    o[QStringLiteral("complete")] = r.Complete;
    if (!r.StopReason.isEmpty())
        o[QStringLiteral("stop_reason")] = r.StopReason;
    o[QStringLiteral("coverability")] = r.Coverability;
    o[QStringLiteral("states")] = double(r.States);
    o[QStringLiteral("firings")] = double(r.Firings);
    o[QStringLiteral("bounded")] = Json(r.Bounded);
    o[QStringLiteral("safe")] = Json(r.Safe);
    o[QStringLiteral("unbounded_places")] = JsonNames(net.PlaceNames, r.UnboundedPlaces);
    o[QStringLiteral("max_tokens_place")] = JsonCount(r.MaxTokensPlace);
    o[QStringLiteral("max_tokens_marking")] = JsonCount(r.MaxTokensMarking);
    o[QStringLiteral("deadlock")] = Json(r.Deadlocks);
    // How many dead markings; null when the search could not tell.
    o[QStringLiteral("deadlocks")] =
        r.Deadlocks.IsKnown() ? QJsonValue(double(r.DeadlockCount)) : QJsonValue(QJsonValue::Null);
    QJsonArray path = JsonNames(net.TransitionNames, r.DeadlockPath);
    o[QStringLiteral("deadlock_path")] =
        r.Deadlocks.IsYes() && !r.DeadlockMarking.contains(Omega) ? QJsonValue(path) : QJsonValue(QJsonValue::Null);
    const bool deadKnown = std::none_of(r.TransitionDead.begin(), r.TransitionDead.end(),
                                        [](TVerdict v) { return v == TVerdict::Unknown; });
    o[QStringLiteral("dead_transitions")] =
        deadKnown ? QJsonValue(JsonNames(net.TransitionNames, r.DeadTransitions())) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("live")] = Json(r.Live);
    o[QStringLiteral("reversible")] = Json(r.Reversible);
    o[QStringLiteral("home_marking")] = Json(r.HomeMarkings);
    o[QStringLiteral("p_invariants")] = JsonInvariants(r.PInvariants);
    o[QStringLiteral("t_invariants")] = JsonInvariants(r.TInvariants);
    o[QStringLiteral("covered_by_p_invariants")] = Json(r.PInvariants.Covered);
    o[QStringLiteral("covered_by_t_invariants")] = Json(r.TInvariants.Covered);
    o[QStringLiteral("seconds")] = r.Seconds;
    return o;
}
