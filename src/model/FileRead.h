#pragma once

#include <QByteArray>
#include <QString>

// Why a file was or was not read. Every failure leaves the output empty.
enum class TFileReadResult {
    Ok,
    OpenFailed,     // missing, unreadable, or the path names nothing openable
    NotRegularFile, // FIFO, device, socket or directory: refused without reading
    TooLarge,       // larger than the caller's limit: refused without reading
    WrongMagic,     // the first bytes are not the expected ones (or the file is shorter)
    ReadFailed      // an I/O error, not enough memory, or the file shrank while read
};

// Largest document the editor could have written, with a wide margin.
inline constexpr qint64 MaxDocumentSize = qint64(1) << 30;

// The one way files are read: opens without blocking (so a FIFO cannot hang
// the caller), accepts only a regular file of at most maxSize bytes, compares
// the first bytes with expectedMagic (when not empty) before reading the rest,
// and reads exactly the size the file had when opened.
TFileReadResult ReadFileBytes(const QString &path, qint64 maxSize, QByteArray &bytes,
                              const QByteArray &expectedMagic = {});

// Makes a write past the process's file-size limit fail with EFBIG instead of
// killing the process with SIGXFSZ, so a save into the limit is an ordinary
// failed save. Called once at the start of every program.
void IgnoreFileSizeSignal();
