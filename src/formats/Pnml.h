#pragma once

#include <QByteArray>
#include <QString>

class TPetryNet;

// Place/transition nets in PNML, the XML interchange form of Petri nets.

// The largest PNML document read; larger ones are refused before reading.
inline constexpr qint64 MaxPnmlSize = qint64(128) << 20;

// Replaces the net's content with the PNML document. On failure answers false
// with a Russian message naming the first offending element, and leaves the net
// untouched. *laidOut tells whether the nodes were placed automatically
// because the document gave no usable positions.
bool ImportPnml(const QByteArray &bytes, TPetryNet &net, QString *error = nullptr,
                bool *laidOut = nullptr);

// The net as a PNML document: standard elements for what PNML has a place
// for, and one block of this program's own for the rest, so that importing it
// again gives back the same document.
QByteArray ExportPnml(const TPetryNet &net);
