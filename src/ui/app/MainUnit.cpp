#include "MainUnit.h"

#include "AboutUnit.h"
#include "DesktopSession.h"
#include "WindowListUnit.h"

#include "PetryNet.h"

#include "controls/GKStyleActnCtrls.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {
TAppMainForm *TheMainForm = nullptr;
}

TAppMainForm::TAppMainForm(std::unique_ptr<TPrompter> prompter, QObject *parent)
    : QObject(parent)
    , OnEnd([] { QCoreApplication::quit(); })
    , Prompts(prompter ? std::move(prompter) : std::make_unique<TDialogPrompter>())
{
    setObjectName(QStringLiteral("AppMainForm"));
    TheMainForm = this;
    if (!qobject_cast<TGKStyle *>(QApplication::style()))
        QApplication::setStyle(new TGKStyle);
    // Commands of the active window whose state no notification reports
    // (another window's unsaved changes) are refreshed when idle.
    IdleTimer = new QTimer(this);
    IdleTimer->setInterval(250);
    connect(IdleTimer, &QTimer::timeout, this, [this] {
        if (ActiveDocument)
            ActiveDocument->UpdateActions();
    });
    IdleTimer->start();
    NewDocument();
}

TAppMainForm::~TAppMainForm()
{
    for (const QPointer<TDocForm> &w : Windows)
        if (w) {
            w->SetClosingForExit();
            delete w.data();
        }
    if (TheMainForm == this)
        TheMainForm = nullptr;
}

TAppMainForm *TAppMainForm::Instance()
{
    return TheMainForm;
}

void TAppMainForm::SetPrompter(std::unique_ptr<TPrompter> prompter)
{
    Prompts = std::move(prompter);
}

TDocForm *TAppMainForm::CreateWindow()
{
    auto *window = new TDocForm(this);
    Windows.append(window);
    if (Session)
        Session->WindowCreated(window);
    return window;
}

TDocForm *TAppMainForm::DocumentAt(int index) const
{
    return index >= 0 && index < Documents.size() ? Documents[index] : nullptr;
}

void TAppMainForm::NewDocument()
{
    TDocForm *window = CreateWindow();
    AddUntitledDocument(window);
    window->show();
}

void TAppMainForm::OpenDocument(const QString &path)
{
    TDocForm *window = CreateWindow();
    if (window->LoadDocument(path)) {
        window->show();
        return;
    }
    Windows.removeAll(window);
    window->SetClosingForExit();
    delete window;
    if (Documents.isEmpty())
        ExitApplication();
}

void TAppMainForm::AddUntitledDocument(TDocForm *document)
{
    Documents.append(document);
    document->NameUntitled(DocTexts::UntitledStem() + QString::number(NextUntitledNumber));
    ++NextUntitledNumber;
    UpdateAllActions();
}

void TAppMainForm::AddOpenedDocument(TDocForm *document)
{
    Documents.append(document);
    document->ShowDocumentName(document->DocumentTitle());
    UpdateAllActions();
}

void TAppMainForm::DocumentActivated(TDocForm *document)
{
    if (ActiveDocument && ActiveDocument != document)
        ActiveDocument->HideFloatingBars();
    ActiveDocument = document;
}

void TAppMainForm::DocumentRetitled(TDocForm *document)
{
    document->ShowDocumentName(document->DocumentTitle());
}

bool TAppMainForm::RemoveDocument(TDocForm *document)
{
    if (Session)
        Session->DocumentClosed(document);
    Documents.removeOne(document);
    document->ShowDocumentName(QString());
    UpdateAllActions();
    return Documents.isEmpty();
}

void TAppMainForm::ForgetDocument(TDocForm *document)
{
    if (ActiveDocument == document)
        ActiveDocument = nullptr;
}

void TAppMainForm::ExitApplication()
{
    const QList<TDocForm *> documents = Documents;
    for (TDocForm *document : documents)
        if (!document->QuerySave())
            return;
    EndApplication();
}

void TAppMainForm::EndApplication()
{
    if (Ended)
        return;
    Ended = true;
    IdleTimer->stop();
    if (Session && ActiveDocument)
        Session->DocumentClosed(ActiveDocument);
    // The windows go without further questions.
    for (const QPointer<TDocForm> &w : Windows)
        if (w) {
            w->SetClosingForExit();
            w->close();
            w->deleteLater();
        }
    Windows.clear();
    Documents.clear();
    ActiveDocument = nullptr;
    emit ApplicationEnded();
    if (OnEnd)
        OnEnd();
}

void TAppMainForm::ShowNextDocument(TDocForm *document, bool forward)
{
    const qsizetype index = Documents.indexOf(document);
    if (index < 0)
        return;
    const qsizetype n = Documents.size();
    ShowDocument(Documents[forward ? (index + 1) % n : (index - 1 + n) % n]);
}

void TAppMainForm::ShowDocument(TDocForm *document)
{
    if (document->isMinimized())
        document->showNormal();
    document->show();
    document->raise();
    document->activateWindow();
}

void TAppMainForm::ShowWindowList()
{
    TWindowListForm form(this);
    RunDialog ? RunDialog(form) : form.exec();
}

void TAppMainForm::ShowAboutBox()
{
    TAboutBoxForm form;
    RunDialog ? RunDialog(form) : form.exec();
}

void TAppMainForm::SaveAll()
{
    const QList<TDocForm *> documents = Documents;
    for (TDocForm *document : documents)
        document->SaveDocument();
}

bool TAppMainForm::HasUnsavedDocuments() const
{
    for (TDocForm *document : Documents)
        if (document->HasUnsavedChanges())
            return true;
    return false;
}

void TAppMainForm::UpdateAllActions()
{
    for (const QPointer<TDocForm> &w : Windows)
        if (w)
            w->UpdateActions();
}

void TAppMainForm::MarkWakeUp()
{
    ApplicationTitle = QStringLiteral("?Qvantrix?");
    QTimer::singleShot(0, this, &TAppMainForm::ApplicationEventsIdle);
}

void TAppMainForm::ApplicationEventsIdle()
{
    if (ApplicationTitle == DocTexts::AppTitle())
        return;
    ApplicationTitle = DocTexts::AppTitle();
    TDocForm *document = ActiveDocument;
    if (!document)
        return;
    const Qt::WindowStates state = document->windowState();
    document->hide();
    document->setWindowState(Qt::WindowMinimized);
    document->show();
    document->setWindowState(state & ~Qt::WindowMinimized);
    document->raise();
    document->activateWindow();
}

QStringList TAppMainForm::RecentFiles() const
{
    return Session ? Session->RecentFiles() : QStringList();
}

void TAppMainForm::OpenRecentFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        Prompts->MessageBox(ActiveDocument, QStringLiteral("Файл %1 не найден и убран из списка.").arg(path),
                            QStringLiteral("Последние файлы"), QMessageBox::Ok, QMessageBox::Warning,
                            QMessageBox::Ok);
        if (Session)
            Session->ForgetRecentFile(path);
        return;
    }
    OpenFiles({path});
}

TDocForm *TAppMainForm::FindDocument(const QString &path) const
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return nullptr;
    for (TDocForm *document : Documents)
        if (!document->DocumentFile().isEmpty()
            && QFileInfo(document->DocumentFile()).canonicalFilePath() == wanted)
            return document;
    return nullptr;
}

void TAppMainForm::OpenFiles(const QStringList &paths)
{
    TDocForm *last = nullptr;
    for (const QString &path : paths) {
        if (TDocForm *open = FindDocument(path)) {
            last = open;
            continue;
        }
        const qsizetype before = Documents.size();
        OpenDocument(path);
        if (Documents.size() > before)
            last = Documents.last();
    }
    if (!last)
        return;
    // The wake-up that came with the files brings this one forward, not the
    // window that was active before.
    ActiveDocument = last;
    ShowDocument(last);
}

TDocForm *TAppMainForm::OpenRecoveredDocument(const QString &copyPath, const QString &fileName, const QString &title)
{
    const qsizetype before = Documents.size();
    OpenDocument(copyPath);
    if (Documents.size() == before)
        return nullptr;
    TDocForm *window = Documents.last();
    // An untitled net keeps its number unless an open window has taken it
    // meanwhile; the next new net does not repeat it either way.
    QString name = title;
    if (fileName.isEmpty()) {
        const bool taken = std::any_of(Documents.begin(), Documents.end(), [&](const TDocForm *d) {
            return d != window && d->DocumentTitle() == title;
        });
        if (taken)
            name = DocTexts::UntitledStem() + QString::number(NextUntitledNumber++);
        else if (title.startsWith(DocTexts::UntitledStem())) {
            bool number = false;
            const int n = QStringView(title).mid(DocTexts::UntitledStem().size()).toInt(&number);
            if (number && n >= NextUntitledNumber && n < std::numeric_limits<int>::max())
                NextUntitledNumber = n + 1;
        }
    }
    // The copy stands for the original document: Save writes to its file.
    window->AdoptRecovered(fileName, name);
    return window;
}
