#include "NetStream.h"

#include <QStringDecoder>
#include <QStringEncoder>

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

} // namespace

QByteArray EncodeCp1251(const QString &text)
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

QString DecodeCp1251(QByteArrayView bytes)
{
    return Decoder().decode(bytes);
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
