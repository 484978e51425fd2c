#include "NetPicture.h"

#include "PetryNet.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <memory>

namespace {

constexpr int DefaultSheetWidth = 710;
constexpr int DefaultSheetHeight = 510;
// The window's colour around the sheet, as on the canvas.
const QColor WindowBackground(212, 208, 200);

bool WriteWhole(const QString &fileName, const QByteArray &bytes, QString *error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
        && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Невозможно сохранить рисунок!\r\n") + file.errorString();
    return false;
}

} // namespace

QRectF NetSheetRect(const TPetryNet &net)
{
    const bool sized = net.SheetWidth > 0 && net.SheetHeight > 0;
    return QRectF(net.SheetLeft, net.SheetTop, sized ? net.SheetWidth : DefaultSheetWidth,
                  sized ? net.SheetHeight : DefaultSheetHeight);
}

void PaintNetSheet(const TPetryNet &net, QPainter &painter, const QRectF &target, bool withStates)
{
    // The document alone is drawn from a fresh copy of its content, which
    // carries no selection, highlight or modelling state.
    const TPetryNet *source = &net;
    std::unique_ptr<TPetryNet> copy;
    if (!withStates) {
        copy = std::make_unique<TPetryNet>();
        if (copy->LoadFromBytes(net.SaveToBytes())) {
            copy->SheetLeft = net.SheetLeft;
            copy->SheetTop = net.SheetTop;
            source = copy.get();
        }
    }
    const QRectF sheet = NetSheetRect(*source);
    if (target.isEmpty() || sheet.isEmpty())
        return;
    const double scale = std::min(target.width() / sheet.width(), target.height() / sheet.height());
    painter.save();
    painter.translate(target.center());
    painter.scale(scale, scale);
    painter.translate(-sheet.center());
    painter.setClipRect(sheet, Qt::IntersectClip);
    painter.fillRect(sheet, WindowBackground);
    source->Draw(painter, false);
    painter.restore();
}

bool PictureFormatForFileName(const QString &fileName, TPictureFormat *format)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    TPictureFormat f;
    if (suffix == u"png")
        f = TPictureFormat::Png;
    else if (suffix == u"svg")
        f = TPictureFormat::Svg;
    else if (suffix == u"pdf")
        f = TPictureFormat::Pdf;
    else
        return false;
    if (format)
        *format = f;
    return true;
}

bool ExportNetPicture(const TPetryNet &net, const QString &fileName, QString *error, bool withStates)
{
    TPictureFormat format;
    if (!PictureFormatForFileName(fileName, &format)) {
        if (error)
            *error = QStringLiteral("Неизвестный формат рисунка: укажите файл .png, .svg или .pdf.");
        return false;
    }
    const QRectF sheet = NetSheetRect(net);
    const QRectF target(0, 0, sheet.width(), sheet.height());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case TPictureFormat::Png: {
        const qint64 pixels = qint64(sheet.width()) * qint64(sheet.height());
        if (pixels > MaxPicturePixels) {
            if (error)
                *error = QStringLiteral("Рисунок %1 × %2 точек больше 100 мегапикселей; выберите SVG или PDF.")
                             .arg(qint64(sheet.width()))
                             .arg(qint64(sheet.height()));
            return false;
        }
        QImage image(int(sheet.width()), int(sheet.height()), QImage::Format_RGB32);
        if (image.isNull()) {
            if (error)
                *error = QStringLiteral("Недостаточно памяти для рисунка.");
            return false;
        }
        image.fill(WindowBackground);
        {
            QPainter painter(&image);
            PaintNetSheet(net, painter, target, withStates);
        }
        if (!image.save(&buffer, "PNG")) {
            if (error)
                *error = QStringLiteral("Невозможно сохранить рисунок!");
            return false;
        }
        break;
    }
    case TPictureFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(target.size().toSize());
        svg.setViewBox(target);
        svg.setTitle(net.NetName);
        svg.setDescription(net.Description);
        QPainter painter(&svg);
        PaintNetSheet(net, painter, target, withStates);
        break;
    }
    case TPictureFormat::Pdf: {
        // One point per net unit: the page is exactly the sheet.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(target.size(), QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(net.NetName);
        pdf.setCreator(QStringLiteral("Сети Петри"));
        QPainter painter(&pdf);
        PaintNetSheet(net, painter, target, withStates);
        break;
    }
    }
    buffer.close();
    return WriteWhole(fileName, bytes, error);
}
