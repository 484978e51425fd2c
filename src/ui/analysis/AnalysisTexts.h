#pragma once
// Small Russian text helpers shared by the pages of the analysis dialog.

#include <QList>
#include <QString>
#include <QStringList>

// "1 234 567" with the Russian digit grouping.
QString CountText(qint64 n);
// The noun form that goes with n: one ("состояние"), few ("состояния"), many ("состояний").
QString PluralText(qint64 n, const QString &one, const QString &few, const QString &many);
// "5 состояний": the number and its noun.
QString CountedText(qint64 n, const QString &one, const QString &few, const QString &many);
// "«P1», «P2»": the names of the given indices, quoted; out-of-range indices are skipped.
QString QuotedNames(const QStringList &names, const QList<int> &indices);
// The text as a sentence: a capital first letter (unless capital is false)
// and a full stop at the end when it has no closing mark.
QString Sentence(const QString &text, bool capital = true);
// Text escaped for the rich-text views.
QString Html(const QString &text);
