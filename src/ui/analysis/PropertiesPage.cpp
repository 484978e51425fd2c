#include "PropertiesPage.h"

#include "Analysis.h"
#include "AnalysisTexts.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString PlaceNames(const TAnalysisNet &net, const QList<int> &places)
{
    return QuotedNames(net.PlaceNames, places);
}

QString TransitionNames(const TAnalysisNet &net, const QList<int> &transitions)
{
    return QuotedNames(net.TransitionNames, transitions);
}

// "да", "нет" or "не определено"; yes and no may give other words ("есть", "нет").
QString AnswerText(TVerdict verdict, const QString &yes = QString(), const QString &no = QString())
{
    if (verdict == TVerdict::Yes && !yes.isEmpty())
        return yes;
    if (verdict == TVerdict::No && !no.isEmpty())
        return no;
    return VerdictText(verdict);
}

QString ReasonText(const TAnswer &answer)
{
    return answer.Reason.isEmpty() ? QStringLiteral("Поиск не дал ответа.") : Sentence(answer.Reason);
}

QString PathWords(const TAnalysisNet &net, const QList<int> &path)
{
    return path.isEmpty() ? QStringLiteral("пустая последовательность (уже в начальной разметке)")
                          : PathText(net, path);
}

struct TRow
{
    QString Property;
    QString Answer;
    QString Evidence;
    TVerdict Verdict = TVerdict::Unknown;
};

QString BoundednessEvidence(const TAnalysisNet &net, const TAnalysisResult &r)
{
    if (r.Bounded.IsNo())
        return QStringLiteral("Неограниченные позиции: %1.").arg(PlaceNames(net, r.UnboundedPlaces));
    if (!r.Bounded.IsKnown())
        return ReasonText(r.Bounded);
    const int place = int(std::max_element(r.PlaceBounds.begin(), r.PlaceBounds.end()) - r.PlaceBounds.begin());
    QString text = QStringLiteral("Наибольшее число фишек в позиции: %1").arg(CountText(r.MaxTokensPlace));
    if (place < r.PlaceBounds.size())
        text += QStringLiteral(" (%1)").arg(PlaceNames(net, {place}));
    return text + QStringLiteral("; в одной разметке всего: %1.").arg(CountText(r.MaxTokensMarking));
}

QString SafetyEvidence(const TAnalysisNet &net, const TAnalysisResult &r)
{
    if (r.Safe.IsYes())
        return QStringLiteral("Ни в одной достижимой разметке нет позиции с двумя фишками и более.");
    if (!r.Safe.IsKnown())
        return ReasonText(r.Safe);
    QStringList places;
    for (int p = 0; p < r.PlaceBounds.size() && p < net.PlaceCount(); ++p)
        if (r.PlaceBounds[p] > 1)
            places << (r.PlaceBounds[p] == Omega
                           ? QStringLiteral("«%1» (ω)").arg(net.PlaceNames[p])
                           : QStringLiteral("«%1» (до %2)").arg(net.PlaceNames[p], CountText(r.PlaceBounds[p])));
    return QStringLiteral("Больше одной фишки бывает в позициях: %1.").arg(places.join(QStringLiteral(", ")));
}

QString DeadlockEvidence(const TAnalysisNet &net, const TAnalysisResult &r)
{
    if (r.Deadlocks.IsNo())
        return QStringLiteral("В каждой достижимой разметке может сработать хотя бы один переход.");
    if (!r.Deadlocks.IsKnown())
        return ReasonText(r.Deadlocks);
    return QStringLiteral("Тупиковых разметок: %1. Кратчайший путь к тупику %2: %3.")
        .arg(CountText(r.DeadlockCount), MarkingText(r.DeadlockMarking), PathWords(net, r.DeadlockPath));
}

TRow DeadTransitionsRow(const TAnalysisNet &net, const TAnalysisResult &r)
{
    TRow row{QStringLiteral("Мёртвые переходы"), QString(), QString(), TVerdict::No};
    const QList<int> dead = r.DeadTransitions();
    const qsizetype unknown = r.TransitionDead.count(TVerdict::Unknown);
    if (!dead.isEmpty()) {
        row.Verdict = TVerdict::Yes;
        row.Evidence = QStringLiteral("Ни в одной достижимой разметке не могут сработать: %1.")
                           .arg(TransitionNames(net, dead));
    } else if (unknown > 0 || r.TransitionDead.size() != net.TransitionCount()) {
        row.Verdict = TVerdict::Unknown;
        row.Evidence = r.Complete ? QStringLiteral("Поиск не дал ответа.")
                                  : QStringLiteral("Поиск неполный: переход может сработать в ненайденной разметке.");
    } else {
        row.Evidence = QStringLiteral("Каждый переход срабатывает хотя бы в одной достижимой разметке.");
    }
    row.Answer = AnswerText(row.Verdict, QStringLiteral("есть"), QStringLiteral("нет"));
    return row;
}

QString LivenessEvidence(const TAnalysisNet &net, const TAnalysisResult &r)
{
    if (r.Live.IsYes())
        return QStringLiteral("Каждый переход можно снова запустить из любой достижимой разметки.");
    if (!r.Live.IsKnown())
        return ReasonText(r.Live);
    const QList<int> notLive = r.NonLiveTransitions();
    return notLive.isEmpty() ? ReasonText(r.Live)
                             : QStringLiteral("Не живые переходы: %1.").arg(TransitionNames(net, notLive));
}

QString HomeEvidence(const TAnalysisNet &net, const TAnalysisResult &r)
{
    if (r.HomeMarkings.IsNo())
        return QStringLiteral("Нет разметки, достижимой из любой достижимой разметки.");
    if (!r.HomeMarkings.IsKnown())
        return ReasonText(r.HomeMarkings);
    return QStringLiteral("Домашних разметок: %1. Ближайшая к началу %2, путь к ней: %3.")
        .arg(CountText(r.HomeMarkingCount), MarkingText(r.HomeMarking), PathWords(net, r.HomePath));
}

QString CoverEvidence(const TInvariantSet &set, const QStringList &names, const QString &kind)
{
    QString text;
    if (set.Covered.IsYes())
        text = QStringLiteral("Каждый элемент входит в какой-либо %1-инвариант.").arg(kind);
    else if (set.Covered.IsNo())
        text = QStringLiteral("Ни в один %1-инвариант не входят: %2.").arg(kind, QuotedNames(names, set.Uncovered));
    else
        text = ReasonText(set.Covered);
    if (!set.Complete && !set.Reason.isEmpty() && !text.contains(set.Reason.trimmed(), Qt::CaseInsensitive))
        text += u' ' + Sentence(set.Reason);
    return text;
}

QString SearchEvidence(const TAnalysisResult &r)
{
    const QString graph = r.Coverability ? QStringLiteral("Граф покрытия (ω)") : QStringLiteral("Граф достижимости");
    QString text = QStringLiteral("%1: %2, %3; %4 с.")
                       .arg(graph, CountedText(r.States, QStringLiteral("состояние"), QStringLiteral("состояния"),
                                               QStringLiteral("состояний")),
                            CountedText(r.Firings, QStringLiteral("запуск"), QStringLiteral("запуска"),
                                        QStringLiteral("запусков")),
                            QLocale(QLocale::Russian).toString(r.Seconds, 'f', 2));
    if (!r.Complete)
        text += QStringLiteral(" Поиск неполный: %1")
                    .arg(r.StopReason.isEmpty() ? QStringLiteral("остановлен.") : Sentence(r.StopReason, false));
    return text;
}

} // namespace

QString PropertiesHtml(const TAnalysisNet &net, const TAnalysisResult &r)
{
    QString html = QStringLiteral("<p>Начальная разметка: %1</p>").arg(Html(MarkingText(
        QList<qint64>(net.Marking.begin(), net.Marking.end()))));
    if (!r.Complete && r.States == 0 && !r.StopReason.isEmpty())
        return html + QStringLiteral("<p>Анализ невозможен: %1</p>").arg(Html(Sentence(r.StopReason, false)));

    QList<TRow> rows;
    rows << TRow{QStringLiteral("Пространство состояний"),
                 r.Complete ? QStringLiteral("полное") : QStringLiteral("неполное"),
                 SearchEvidence(r), r.Complete ? TVerdict::Yes : TVerdict::Unknown};
    rows << TRow{QStringLiteral("Ограниченность"), AnswerText(r.Bounded.Value), BoundednessEvidence(net, r),
                 r.Bounded.Value};
    rows << TRow{QStringLiteral("Безопасность"), AnswerText(r.Safe.Value), SafetyEvidence(net, r), r.Safe.Value};
    rows << TRow{QStringLiteral("Тупики"), AnswerText(r.Deadlocks.Value, QStringLiteral("есть"), QStringLiteral("нет")),
                 DeadlockEvidence(net, r), r.Deadlocks.Value};
    rows << DeadTransitionsRow(net, r);
    rows << TRow{QStringLiteral("Живость"), AnswerText(r.Live.Value), LivenessEvidence(net, r), r.Live.Value};
    rows << TRow{QStringLiteral("Обратимость"), AnswerText(r.Reversible.Value),
                 r.Reversible.IsYes() ? QStringLiteral("Начальная разметка достижима из любой достижимой разметки.")
                 : r.Reversible.IsNo()
                     ? QStringLiteral("Из некоторых достижимых разметок нельзя вернуться к начальной.")
                                       : ReasonText(r.Reversible),
                 r.Reversible.Value};
    rows << TRow{QStringLiteral("Домашние разметки"),
                 AnswerText(r.HomeMarkings.Value, QStringLiteral("есть"), QStringLiteral("нет")),
                 HomeEvidence(net, r), r.HomeMarkings.Value};
    QString structure = CoverEvidence(r.PInvariants, net.PlaceNames, QStringLiteral("P"));
    if (!r.StructurallyBounded.IsKnown() && !r.StructurallyBounded.Reason.isEmpty()
        && !structure.contains(r.StructurallyBounded.Reason.trimmed(), Qt::CaseInsensitive))
        structure += u' ' + Sentence(r.StructurallyBounded.Reason);
    rows << TRow{QStringLiteral("Структурная ограниченность"), AnswerText(r.StructurallyBounded.Value), structure,
                 r.StructurallyBounded.Value};
    rows << TRow{QStringLiteral("Покрытие T-инвариантами"), AnswerText(r.TInvariants.Covered.Value),
                 CoverEvidence(r.TInvariants, net.TransitionNames, QStringLiteral("T")), r.TInvariants.Covered.Value};

    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
                           "<tr><th align=\"left\">Свойство</th><th align=\"left\">Ответ</th>"
                           "<th align=\"left\">Пояснение</th></tr>");
    for (const TRow &row : rows) {
        // Undecided answers stand out in grey, as disabled texts do.
        const QString answer = row.Verdict == TVerdict::Unknown
                                   ? QStringLiteral("<span style=\"color:#808080\">%1</span>").arg(Html(row.Answer))
                                   : QStringLiteral("<b>%1</b>").arg(Html(row.Answer));
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(Html(row.Property), answer, Html(row.Evidence));
    }
    return html + QStringLiteral("</table>");
}

TPropertiesPage::TPropertiesPage(QWidget *parent)
    : QWidget(parent)
{
    Text = new QTextBrowser(this);
    Text->setObjectName(QStringLiteral("PropertiesText"));
    Text->setFrameShape(QFrame::Box);
    Text->setFrameShadow(QFrame::Plain);
    DeadlockButton = new QPushButton(QStringLiteral("Показать &путь к тупику в моделировании"), this);
    DeadlockButton->setObjectName(QStringLiteral("ShowDeadlockButton"));
    DeadlockButton->setAutoDefault(false);
    DeadlockButton->setEnabled(false);
    connect(DeadlockButton, &QPushButton::clicked, this, [this] { emit ShowInModelling(DeadlockPath); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(DeadlockButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Text);
    layout->addLayout(buttons);
}

void TPropertiesPage::ShowRunning()
{
    Text->setPlainText(QStringLiteral("Идёт анализ..."));
    DeadlockButton->setEnabled(false);
}

void TPropertiesPage::ShowResult(const TAnalysisNet &net, const TAnalysisResult &result)
{
    Text->setHtml(PropertiesHtml(net, result));
    DeadlockPath = result.DeadlockPath;
    // Only a deadlock without ω has a real firing sequence to play.
    DeadlockButton->setEnabled(result.Deadlocks.IsYes() && !result.DeadlockMarking.contains(Omega));
}

void TPropertiesPage::SetOutdated()
{
    DeadlockButton->setEnabled(false);
}
