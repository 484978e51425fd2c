#pragma once

// The values of PNML documents as the reader takes them; internal to the formats library.

#include <QString>
#include <QStringView>

#include <algorithm>

namespace PnmlValues {

// Element names compared inline: every element of the document is compared
// with a few of them, most often of the same length.
inline bool Is(QStringView name, QStringView literal)
{
    return name.size() == literal.size() && std::equal(name.begin(), name.end(), literal.begin());
}

// Nearly all coordinates are short integers, read here exactly as Qt would
// read them; anything else goes to Qt's conversion.
inline double Coordinate(QStringView s, bool *ok)
{
    const qsizetype sign = s.startsWith(u'-') ? 1 : 0;
    if (s.size() > sign && s.size() <= 9) {
        qint32 v = 0;
        qsizetype k = sign;
        for (; k < s.size() && s[k] >= u'0' && s[k] <= u'9'; ++k)
            v = v * 10 + (s[k].unicode() - u'0');
        if (k == s.size()) {
            *ok = true;
            return sign ? -double(v) : double(v);
        }
    }
    return s.toDouble(ok);
}

// A marking, inscription or capacity. Empty text counts as absent (*present
// false); some editors write "Default,1", the number following the last comma.
inline qint64 ParseCount(QStringView text, bool *ok, bool *present)
{
    QStringView v = text.trimmed();
    const qsizetype comma = v.lastIndexOf(u',');
    if (comma >= 0)
        v = v.mid(comma + 1).trimmed();
    *present = !v.isEmpty();
    *ok = true;
    return *present ? v.toLongLong(ok) : 0;
}

inline qint32 IntAttr(const QString &v, qint32 fallback)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : fallback;
}

} // namespace PnmlValues
