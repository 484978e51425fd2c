#pragma once

#include <QRectF>
#include <QString>

class QPainter;
class TPetryNet;

// Pictures of a net drawn by the editor's own painting code: onto any painter
// (printing) or into a PNG, SVG or PDF file. Text stays text in SVG and PDF.

enum class TPictureFormat { Png, Svg, Pdf };

// Raster pictures beyond this many pixels are refused instead of allocated.
inline constexpr qint64 MaxPicturePixels = qint64(100) * 1000 * 1000;

// The sheet a picture of the net shows, in canvas coordinates; a net without
// a sheet size gets the editor's default sheet.
QRectF NetSheetRect(const TPetryNet &net);

// Paints the net's sheet scaled into target with its aspect kept, centred.
// Without withStates the picture shows the document only: no selection,
// highlight or modelling marks.
void PaintNetSheet(const TPetryNet &net, QPainter &painter, const QRectF &target, bool withStates = false);

// The picture format a file name asks for by its extension; false for none.
bool PictureFormatForFileName(const QString &fileName, TPictureFormat *format);

// Writes a picture of the sheet at its own size (one pixel or point per net
// unit). The format follows the extension. The previous file is replaced only
// by a complete picture. On failure answers false with a Russian message.
bool ExportNetPicture(const TPetryNet &net, const QString &fileName, QString *error = nullptr,
                      bool withStates = false);
