#pragma once

#include <QString>

class QPainter;
class QRectF;
class TPetryNet;

// The formats a net can be read from and written to.
enum class TNetFormat { Qvx, Pnml };

// File dialog filters, Russian, for the two document types.
QString QvxFileFilter();  // "Сеть Петри (*.qvx)"
QString PnmlFileFilter(); // "Сеть Петри PNML (*.pnml)"

// The format a file name asks for by its extension (.pnml, anything else .qvx).
TNetFormat FormatForFileName(const QString &fileName);

// Reads a net from a file of either format: a .pnml extension or content that
// starts as XML is read as PNML, anything else as a .qvx document. On success
// the net's FileName is fileName; a net whose nodes had to be laid out
// automatically is marked as changed (Saved false), since its picture is new.
// On failure answers false with a Russian message in *error and leaves the net
// untouched.
bool LoadNetDocument(const QString &fileName, TPetryNet &net, QString *error = nullptr,
                     TNetFormat *format = nullptr);

// Writes the net to fileName in the given format; the previous file is replaced
// only when the whole new one has been written. On success the net's FileName
// is fileName and it is marked as saved; on failure answers false with a
// Russian message in *error and leaves the net's FileName and Saved as they were.
bool SaveNetDocument(TPetryNet &net, const QString &fileName, TNetFormat format,
                     QString *error = nullptr);
