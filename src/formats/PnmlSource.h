#pragma once

// The device through which the PNML reader reads a document; internal to the
// formats library.

#include <QByteArray>
#include <QIODevice>

// Serves the document's bytes to Qt's XML reader with a long comment after
// the XML declaration. The reader of Qt 6.4 gives its text buffer a fresh
// allocation at every element while that buffer holds no more than 256
// characters, a tenth of all the reading; the comment's text grows it once,
// for the whole document. The comment has no line break, so the lines that
// messages name are the file's own, and after the first block the document
// is served in the reader's blocks of the file, so a fault found as a block
// is decoded is found where it was without the comment. Documents in encodings where the
// comment would not be plain ASCII are served as they are.
class TPnmlSource : public QIODevice
{
public:
    explicit TPnmlSource(const QByteArray &bytes);

    qint64 size() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArrayView Document;
    qint64 At = -1;   // where the comment goes in the document; -1 for none
    qint64 Served = 0; // bytes served so far, comment included
};
