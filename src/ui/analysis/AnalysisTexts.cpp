#include "AnalysisTexts.h"

#include <QLocale>

QString CountText(qint64 n)
{
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian.toString(n);
}

QString PluralText(qint64 n, const QString &one, const QString &few, const QString &many)
{
    const qint64 tens = n % 100, units = n % 10;
    if (tens >= 11 && tens <= 14)
        return many;
    if (units == 1)
        return one;
    if (units >= 2 && units <= 4)
        return few;
    return many;
}

QString CountedText(qint64 n, const QString &one, const QString &few, const QString &many)
{
    return CountText(n) + u' ' + PluralText(n, one, few, many);
}

QString QuotedNames(const QStringList &names, const QList<int> &indices)
{
    QStringList quoted;
    for (int i : indices)
        if (i >= 0 && i < names.size())
            quoted << u'«' + names[i] + u'»';
    return quoted.join(QStringLiteral(", "));
}

QString Sentence(const QString &text, bool capital)
{
    QString sentence = text.trimmed();
    if (sentence.isEmpty())
        return sentence;
    if (capital)
        sentence[0] = sentence[0].toUpper();
    if (!QStringLiteral(".!?").contains(sentence.back()))
        sentence += u'.';
    return sentence;
}

QString Html(const QString &text)
{
    return text.toHtmlEscaped();
}
