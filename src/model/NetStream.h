#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <stdexcept>

// Raised by a read that would run past the end of a stream or finds a value
// that no writer produces. Loaders catch it and report their own failure.
class TNetStreamError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Text in streams is single-byte Windows-1251. A character without a code in
// that page is stored as '?', so the stream stays well formed.
QByteArray EncodeCp1251(const QString &text);
QString DecodeCp1251(QByteArrayView bytes);
// The text as a stream gives it back once written: characters the page lacks
// become '?' (or their nearest letter), and a text of 65,536 bytes or more
// keeps only what its wrapped count says.
QString StoredText(QStringView text);

// The in-memory byte stream through which every element record, undo snapshot,
// clipboard content and document is written and read. Little-endian, no framing.
class TNetMemoryStream
{
public:
    TNetMemoryStream() = default;
    explicit TNetMemoryStream(QByteArray data);

    void WriteString(const QString &text);
    QString ReadString();
    void WriteInteger(qint32 value);
    qint32 ReadInteger();
    void WritePoint(QPoint point);
    QPoint ReadPoint();
    void WriteByte(quint8 value);
    quint8 ReadByte();
    void WriteBoolean(bool value);
    bool ReadBoolean();

    qint64 Position() const { return FPosition; }
    void SetPosition(qint64 position);
    qint64 Size() const { return FData.size(); }
    qint64 Remaining() const { return FData.size() - FPosition; }
    const QByteArray &Data() const { return FData; }

private:
    void WriteRaw(const char *bytes, qint64 count);
    const char *Take(qint64 count);

    QByteArray FData;
    qint64 FPosition = 0;
};
