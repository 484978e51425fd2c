#include "PnmlSource.h"

#include <algorithm>
#include <cstring>

namespace {

// The size of the blocks Qt's reader reads and decodes at a time.
constexpr qint64 ReaderBlock = 8192;
// Longer than the reader's 256 reserved characters.
const QByteArray Comment = "<!--" + QByteArray(300, ' ') + "-->";

// Encodings in which the comment's bytes read as the same ASCII text.
bool AsciiCompatible(QByteArrayView declaration)
{
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return true; // UTF-8
    const QByteArrayView rest = declaration.sliced(at + 8);
    const qsizetype open = rest.indexOf('=');
    if (open < 0)
        return false;
    QByteArrayView name = rest.sliced(open + 1).trimmed();
    if (name.isEmpty() || (name.front() != '"' && name.front() != '\''))
        return false;
    const qsizetype close = name.indexOf(name.front(), 1);
    if (close < 0)
        return false;
    const QByteArray lower = name.sliced(1, close - 1).toByteArray().toLower();
    for (const char *prefix : {"utf-8", "utf8", "us-ascii", "ascii", "iso-8859-", "latin", "windows-125", "cp125", "koi8-"})
        if (lower.startsWith(prefix))
            return true;
    return false;
}

// Where the comment goes: after the XML declaration, or before the first
// markup when there is none; -1 when the document is not in an
// ASCII-compatible encoding or does not start as a document does.
qsizetype CommentPlace(QByteArrayView bytes)
{
    qsizetype at = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        at = 3;
    else if (bytes.size() < 2 || bytes[0] == 0 || bytes[1] == 0 || uchar(bytes[0]) >= 0x80)
        return -1; // UTF-16 or UTF-32, with or without a byte order mark
    const QByteArrayView text = bytes.sliced(at);
    if (!text.startsWith("<?xml"))
        return text.startsWith('<') ? at : -1; // nothing before a declaration out of place
    // A declaration of reasonable length; anything else is left to the reader.
    const qsizetype end = text.first(std::min<qsizetype>(text.size(), 1024)).indexOf("?>");
    if (end < 0 || !AsciiCompatible(text.first(end)))
        return -1;
    return at + end + 2;
}

} // namespace

TPnmlSource::TPnmlSource(const QByteArray &bytes)
    : Document(bytes)
    , At(CommentPlace(Document))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 TPnmlSource::size() const
{
    return Document.size() + (At >= 0 ? Comment.size() : 0);
}

qint64 TPnmlSource::readData(char *data, qint64 maxSize)
{
    if (At < 0) {
        const qint64 n = std::min<qint64>(maxSize, Document.size() - Served);
        std::memcpy(data, Document.data() + Served, size_t(n));
        Served += n;
        return n;
    }
    // The first block holds the comment, as much of the document after it
    // as fits, and a short block the rest of the file's first block; after
    // that the document comes in the file's own blocks.
    const qint64 comment = Comment.size();
    const qint64 end = Served < ReaderBlock ? ReaderBlock : ((Served - comment) / ReaderBlock + 1) * ReaderBlock + comment;
    const qint64 n = std::min({maxSize, end - Served, size() - Served});
    for (qint64 done = 0; done < n;) {
        const qint64 v = Served + done; // position in what is served
        QByteArrayView from;
        if (v < At)
            from = Document.sliced(v, At - v);
        else if (v < At + comment)
            from = QByteArrayView(Comment).sliced(v - At);
        else
            from = Document.sliced(v - comment);
        const qint64 k = std::min<qint64>(n - done, from.size());
        std::memcpy(data + done, from.data(), size_t(k));
        done += k;
    }
    Served += n;
    return n;
}
