#include "NetStream.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>

namespace {

// The single-byte code page is stateless, so one converter of each kind serves
// every call on a thread.
QStringEncoder &Encoder()
{
    thread_local QStringEncoder encoder("windows-1251");
    return encoder;
}

QStringDecoder &Decoder()
{
    thread_local QStringDecoder decoder("windows-1251");
    return decoder;
}

constexpr char Substitute = 0x1A; // what the encoder writes for a character it cannot encode

// The byte of every UTF-16 code unit that has one, taken once from the
// converter; -1 for surrogates and characters the page lacks. Saving a large
// document encodes a million short names, where a converter call per name
// costs more than the rest of the record.
using TCodeTable = std::array<qint16, 65536>;

const TCodeTable &CodeTable()
{
    static const TCodeTable table = [] {
        TCodeTable t;
        t.fill(-1);
        QStringEncoder encoder("windows-1251");
        auto take = [&t](char16_t c, char b) {
            if (b != Substitute || c == 0x1A)
                t[c] = qint16(quint8(b));
        };
        // Blocks of 256 in one call each; a block where some character does
        // not give exactly one byte (the converter drops ignorable ones) is
        // encoded character by character.
        for (int block = 0; block < 65536; block += 256) {
            if (QChar::isSurrogate(char32_t(block)))
                continue;
            QString chars(256, Qt::Uninitialized);
            for (int i = 0; i < 256; ++i)
                chars[i] = QChar(char16_t(block + i));
            const QByteArray bytes = encoder.encode(chars);
            if (bytes.size() == 256) {
                for (int i = 0; i < 256; ++i)
                    take(char16_t(block + i), bytes.at(i));
                continue;
            }
            for (int i = 0; i < 256; ++i) {
                const QByteArray one = encoder.encode(QStringView(chars).mid(i, 1));
                if (one.size() == 1)
                    take(char16_t(block + i), one.at(0));
            }
        }
        return t;
    }();
    return table;
}

// Appends the text's bytes to out when every character has its own code;
// false, with out as it was, otherwise.
bool EncodeByTable(QStringView text, QByteArray &out)
{
    const TCodeTable &table = CodeTable();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *p = out.data() + start;
    for (const QChar c : text) {
        const qint16 b = table[c.unicode()];
        if (b < 0) {
            out.resize(start);
            return false;
        }
        *p++ = char(b);
    }
    return true;
}

QByteArray EncodeByConverter(const QString &text)
{
    QByteArray bytes = Encoder().encode(text);
    if (!bytes.contains(Substitute))
        return bytes;
    // Some character has no code: encode one code point at a time so that a
    // genuine U+001A keeps its byte and every other miss becomes '?'.
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringView one = QStringView(text).mid(i, len);
        i += len - 1;
        if (one.size() == 1 && one.at(0).unicode() == 0x1A) {
            bytes.append(Substitute);
            continue;
        }
        QByteArray b = Encoder().encode(one);
        bytes.append(b.size() == 1 && b.at(0) != Substitute ? b : QByteArray(1, '?'));
    }
    return bytes;
}

// The character of every byte, taken once from the converter, as for the
// encoder: loading a large document decodes a million short names. A byte the
// converter does not turn into exactly one UTF-16 unit on its own is left to
// the converter, so the table can never disagree with it.
struct TDecodeTable
{
    std::array<char16_t, 256> Chars{};
    std::array<bool, 256> ByConverter{};
    bool AsciiAsIs = true; // bytes below 0x80 are their own characters
};

const TDecodeTable &DecodeTable()
{
    static const TDecodeTable table = [] {
        TDecodeTable t;
        QStringDecoder decoder("windows-1251");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString one = decoder.decode(QByteArrayView(&byte, 1));
            if (one.size() == 1)
                t.Chars[b] = one.at(0).unicode();
            else
                t.ByConverter[b] = true;
            if (b < 0x80 && (t.ByConverter[b] || t.Chars[b] != b))
                t.AsciiAsIs = false;
        }
        return t;
    }();
    return table;
}

} // namespace

QByteArray EncodeCp1251(const QString &text)
{
    QByteArray bytes;
    if (EncodeByTable(text, bytes))
        return bytes;
    return EncodeByConverter(text);
}

QString DecodeCp1251(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const TDecodeTable &table = DecodeTable();
    const QLatin1StringView latin(bytes.data(), bytes.size());
    if (table.AsciiAsIs && QtPrivate::isAscii(latin))
        return QString(latin);
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(text.data());
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        if (table.ByConverter[b])
            return Decoder().decode(bytes);
        *p++ = table.Chars[b];
    }
    return text;
}

QString StoredText(QStringView text)
{
    // Nearly every text comes back unchanged: each character has its byte,
    // and that byte is the same character again.
    static const std::bitset<65536> same = [] {
        std::bitset<65536> s;
        const TCodeTable &codes = CodeTable();
        const TDecodeTable &chars = DecodeTable();
        for (int c = 0; c < 65536; ++c) {
            const qint16 b = codes[c];
            s[c] = b >= 0 && !chars.ByConverter[b] && chars.Chars[b] == c;
        }
        return s;
    }();
    if (text.size() < 65536 && std::all_of(text.begin(), text.end(), [](QChar c) { return same[c.unicode()]; }))
        return text.toString();
    QByteArray bytes = EncodeCp1251(text.toString());
    bytes.truncate(bytes.size() % 65536);
    return DecodeCp1251(bytes);
}

TNetMemoryStream::TNetMemoryStream(QByteArray data)
    : FData(std::move(data))
{
}

void TNetMemoryStream::SetPosition(qint64 position)
{
    FPosition = qBound<qint64>(0, position, FData.size());
}

void TNetMemoryStream::WriteRaw(const char *bytes, qint64 count)
{
    const qint64 end = FPosition + count;
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, bytes, size_t(count));
    FPosition = end;
}

const char *TNetMemoryStream::Take(qint64 count)
{
    if (count < 0 || count > Remaining())
        throw TNetStreamError("read past the end of the stream");
    const char *p = FData.constData() + FPosition;
    FPosition += count;
    return p;
}

void TNetMemoryStream::WriteString(const QString &text)
{
    // Short texts of the code page are encoded straight after their count;
    // a count past 65535 wraps, as the format has always stored it.
    if (FPosition == FData.size() && text.size() < 65536) {
        const qsizetype start = FData.size();
        FData.resize(start + 2);
        if (EncodeByTable(text, FData)) {
            const quint16 n = quint16(text.size());
            FData[start] = char(n & 0xFF);
            FData[start + 1] = char(n >> 8);
            FPosition = FData.size();
            return;
        }
        FData.resize(start);
    }
    const QByteArray bytes = EncodeCp1251(text);
    const quint16 n = quint16(bytes.size() % 65536);
    const char count[2] = {char(n & 0xFF), char(n >> 8)};
    WriteRaw(count, 2);
    WriteRaw(bytes.constData(), n);
}

QString TNetMemoryStream::ReadString()
{
    const auto *c = reinterpret_cast<const uchar *>(Take(2));
    const qint64 n = c[0] | (c[1] << 8);
    return DecodeCp1251(QByteArrayView(Take(n), n));
}

void TNetMemoryStream::WriteInteger(qint32 value)
{
    const quint32 v = quint32(value);
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    WriteRaw(bytes, 4);
}

qint32 TNetMemoryStream::ReadInteger()
{
    const auto *b = reinterpret_cast<const uchar *>(Take(4));
    return qint32(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24);
}

void TNetMemoryStream::WritePoint(QPoint point)
{
    WriteInteger(point.x());
    WriteInteger(point.y());
}

QPoint TNetMemoryStream::ReadPoint()
{
    const qint32 x = ReadInteger();
    return {x, ReadInteger()};
}

void TNetMemoryStream::WriteByte(quint8 value)
{
    const char b = char(value);
    WriteRaw(&b, 1);
}

quint8 TNetMemoryStream::ReadByte()
{
    return quint8(*Take(1));
}

void TNetMemoryStream::WriteBoolean(bool value)
{
    WriteByte(value ? 1 : 0);
}

bool TNetMemoryStream::ReadBoolean()
{
    const quint8 b = ReadByte();
    if (b > 1) // no writer produces it: the stream is damaged
        throw TNetStreamError("invalid Boolean");
    return b == 1;
}
