// Pictures and printing of the sheet. Both go through the editor's own
// painting code and show the document only: no selection or modelling marks.
#include "DocForm.h"

#include "NetPicture.h"
#include "PetryNet.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

void TDocForm::ActionFileExportExecute()
{
    const QString path = Prompter().SaveFileName(
        this, QStringLiteral("Экспорт рисунка"),
        QStringLiteral("Рисунок PNG (*.png)|*.png|Рисунок SVG (*.svg)|*.svg|Документ PDF (*.pdf)|*.pdf"));
    if (path.isEmpty())
        return;
    QString error;
    if (!ExportNetPicture(*Net, path, &error))
        Prompter().MessageBox(this, error, QStringLiteral("Ошибка сохранения"), QMessageBox::Ok,
                              QMessageBox::Critical, QMessageBox::Ok);
}

void TDocForm::ActionFilePrintExecute()
{
    // The preview's own print button asks for the printer and its settings.
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Net->GetTitle());
    // A wide sheet starts on a landscape page; the dialogs can still change it.
    const QRectF sheet = NetSheetRect(*Net);
    printer.setPageOrientation(sheet.width() > sheet.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Печать"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &TDocForm::PrintSheet);
    if (RunDialog)
        RunDialog(preview);
    else
        preview.exec();
}

void TDocForm::PrintSheet(QPrinter *printer)
{
    if (!HasDoc())
        return;
    QPainter painter(printer);
    if (!painter.isActive())
        return;
    // The painter's origin is the printable area's corner; the sheet fills it with its aspect kept.
    PaintNetSheet(*Net, painter, QRectF(QPointF(0, 0), printer->pageRect(QPrinter::DevicePixel).size()));
}
