// File and edit commands of the document window. An empty frame takes a new
// or opened document into itself; otherwise the shell opens a new window.
#include "DocForm.h"

#include "PetryNet.h"
#include "CanvasController.h"
#include "PropUnit.h"
#include "controls/GKActnCtrls.h"
#include "controls/PanelUnit.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
// Both document types the window reads and writes, then all files.
QString NetFileFilter()
{
    return QStringLiteral("Сеть Петри (*.qvx)|*.qvx|Сеть Петри PNML (*.pnml)|*.pnml|Все файлы|*.*");
}
} // namespace

void TDocForm::SetDocumentPresent()
{
    NoDocument = false;
    SelectionInfo->setEnabled(true);
    CanvasPart->SetScrollBarsVisible(true);
    setWindowIcon(DocumentIcon);
    CanvasPart->LayoutSheet(CanvasPart->Area()->width(), CanvasPart->Area()->height());
    InfoPanel->setEnabled(true);
    InfoPanel->SetCaption(Net->NetName);
    NetChange();
}

void TDocForm::ActionFileNewExecute()
{
    if (HasDoc()) {
        Shell->NewDocument();
        return;
    }
    NeedSaveAs = true;
    MainMenuBar->SetCloseButtonVisible(true);
    CreateNet();
    Shell->AddUntitledDocument(this);
    SetDocumentPresent();
}

void TDocForm::ActionFileOpenExecute()
{
    const QString path = Prompter().OpenFileName(this, QStringLiteral("Открыть"), NetFileFilter());
    if (path.isEmpty())
        return;
    if (HasDoc())
        Shell->OpenDocument(path);
    else
        LoadDocument(path);
}

bool TDocForm::LoadDocument(const QString &path)
{
    // A fresh window has its net already; the empty frame makes one.
    const bool emptyFrame = NoDocument;
    if (emptyFrame) {
        MainMenuBar->SetCloseButtonVisible(true);
        CreateNet();
    }
    Net->FileName = path;
    Shell->AddOpenedDocument(this);
    QString error;
    if (LoadNetDocument(path, *Net, &error, &DocumentFormat)) {
        SetDocumentPresent();
        NeedSaveAs = false;
        return true;
    }
    Prompter().MessageBox(emptyFrame ? this : nullptr, error, QStringLiteral("Ошибка открытия"), QMessageBox::Ok,
                          QMessageBox::Critical, QMessageBox::Ok);
    Shell->ForgetDocument(this);
    Shell->RemoveDocument(this);
    if (emptyFrame) {
        MainMenuBar->SetCloseButtonVisible(false);
        ReleaseNet();
    }
    return false;
}

bool TDocForm::SaveDocument()
{
    if (!HasDoc())
        return false;
    const bool retitle = NeedSaveAs;
    QString path = Net->FileName;
    TNetFormat format = DocumentFormat;
    if (NeedSaveAs) {
        path = Prompter().SaveFileName(this, QStringLiteral("Сохранить как..."), NetFileFilter());
        if (path.isEmpty())
            return false;
        // The type chosen in the dialog gave the name its extension.
        format = FormatForFileName(path);
    }
    // The net keeps its file name and format unless the whole file was written.
    if (!SaveNetDocument(*Net, path, format)) {
        Prompter().MessageBox(this, QStringLiteral("Невозможно сохранить документ!"),
                              QStringLiteral("Ошибка сохранения"), QMessageBox::Ok, QMessageBox::Critical,
                              QMessageBox::Ok);
        return false;
    }
    DocumentFormat = format;
    if (retitle)
        Shell->DocumentRetitled(this);
    NeedSaveAs = false;
    return true;
}

void TDocForm::ActionFileSaveExecute()
{
    SaveDocument();
}

void TDocForm::ActionFileSaveAsExecute()
{
    NeedSaveAs = true;
    SaveDocument();
}

void TDocForm::ActionEditUndoExecute()
{
    Net->Undo();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionEditCopyExecute()
{
    Net->CopySelection();
}

void TDocForm::ActionEditCutExecute()
{
    Net->CutSelection();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionEditPasteExecute()
{
    if (CanvasPart->TakePasteAtPoint())
        Net->PasteAt(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y());
    else
        Net->Paste();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionEditDeleteExecute()
{
    Net->DeleteSelection();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionNetPropertiesExecute()
{
    TPropForm form(this);
    form.NameEdit->setText(Net->NetName);
    form.AuthorEdit->setText(Net->Author);
    form.Description->setPlainText(Net->Description);
    form.SetDocument(Net->GetTitle(), NeedSaveAs ? QString() : Net->FileName);
    const int result = RunDialog ? RunDialog(form) : form.exec();
    if (result != QDialog::Accepted || !HasDoc())
        return;
    ApplyNetProperties(form.NameEdit->text(), form.AuthorEdit->text(), form.Description->toPlainText());
}

void TDocForm::ApplyNetProperties(const QString &name, const QString &author, const QString &description)
{
    Net->SetNetName(name);
    Net->SetAuthor(author);
    Net->SetDescription(description);
    // Confirming the dialog counts as a change even when no text differs.
    Net->MarkChanged();
    // The status line shows the new name at once.
    if (!Net->Modelling)
        InfoPanel->SetCaption(Net->NetName);
}

QString TDocForm::DocumentFile() const
{
    return HasDoc() && !NeedSaveAs ? Net->FileName : QString();
}

QByteArray TDocForm::DocumentBytes() const
{
    return HasDoc() ? Net->SaveToBytes() : QByteArray();
}

void TDocForm::AdoptRecovered(const QString &fileName, const QString &title)
{
    if (!HasDoc())
        return;
    Net->FileName = fileName.isEmpty() ? title + DocTexts::Extension() : fileName;
    NeedSaveAs = fileName.isEmpty();
    DocumentFormat = fileName.isEmpty() ? TNetFormat::Qvx : FormatForFileName(fileName);
    Net->MarkChanged();
    Shell->DocumentRetitled(this);
    UpdateActions();
}
