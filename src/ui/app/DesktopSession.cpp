#include "DesktopSession.h"

#include "MainUnit.h"
#include "RecentFiles.h"
#include "TestReport.h"

#include "PetryNet.h"
#include "doc/DocCommands.h"
#include "doc/DocForm.h"

#include <QLocale>
#include <QSaveFile>
#include <QSettings>
#include <QSplitter>
#include <QTimer>

namespace {
const QString GeometryKey = QStringLiteral("Window/Geometry");

QString SplitterKey(const QSplitter *splitter)
{
    return QStringLiteral("Window/") + splitter->objectName();
}

QList<QSplitter *> NamedSplitters(TDocForm *window)
{
    QList<QSplitter *> named;
    for (QSplitter *s : window->findChildren<QSplitter *>())
        if (!s->objectName().isEmpty())
            named.append(s);
    return named;
}
} // namespace

TDesktopSession::TDesktopSession(TAppMainForm &manager, QSettings &settings, const QString &recoveryFolder,
                                 QObject *parent)
    : QObject(parent)
    , Manager(manager)
    , Settings(settings)
    , Recovery(recoveryFolder)
{
    AutosaveTimer = new QTimer(this);
    AutosaveTimer->setInterval(AutosaveIntervalMs());
    connect(AutosaveTimer, &QTimer::timeout, this, &TDesktopSession::WriteRecoveryCopies);
    SweepTimer = new QTimer(this);
    SweepTimer->setInterval(250);
    connect(SweepTimer, &QTimer::timeout, this, &TDesktopSession::Sweep);
}

TDesktopSession::~TDesktopSession()
{
    if (KeepCopies)
        return;
    for (const TTracked &t : std::as_const(Tracked))
        if (!t.CopyId.isEmpty())
            Recovery.Remove(t.CopyId);
}

int TDesktopSession::AutosaveIntervalMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("PETRINETS_AUTOSAVE_MS", &ok);
    return ok && ms > 0 ? ms : 2 * 60 * 1000;
}

void TDesktopSession::Start(const QStringList &files)
{
    for (TDocForm *window : Manager.Documents)
        WindowCreated(window);
    OfferRecovery();
    Manager.OpenFiles(files);
    if (TestReport::EditRequested() && !Manager.Documents.isEmpty()) {
        TDocForm *front = Manager.ActiveDocument ? Manager.ActiveDocument.data() : Manager.Documents.last();
        front->Execute(front->Commands().ActionNetCreatePos);
    }
    AutosaveTimer->start();
    SweepTimer->start();
    Sweep();
}

QStringList TDesktopSession::RecentFiles() const
{
    return TRecentFiles(Settings).Files();
}

void TDesktopSession::NoteRecentFile(const QString &path)
{
    TRecentFiles(Settings).Add(path);
}

void TDesktopSession::ForgetRecentFile(const QString &path)
{
    TRecentFiles(Settings).Remove(path);
}

void TDesktopSession::WindowCreated(TDocForm *window)
{
    // Nothing remembered yet: the window keeps its default size.
    const QByteArray geometry = Settings.value(GeometryKey).toByteArray();
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
    for (QSplitter *s : NamedSplitters(window)) {
        const QByteArray state = Settings.value(SplitterKey(s)).toByteArray();
        if (!state.isEmpty())
            s->restoreState(state);
    }
}

void TDesktopSession::StoreGeometry(TDocForm *window)
{
    Settings.setValue(GeometryKey, window->saveGeometry());
    for (QSplitter *s : NamedSplitters(window))
        Settings.setValue(SplitterKey(s), s->saveState());
}

void TDesktopSession::DocumentClosed(TDocForm *document)
{
    StoreGeometry(document);
    const auto it = Tracked.find(document);
    if (it == Tracked.end())
        return;
    if (!KeepCopies && !it->CopyId.isEmpty())
        Recovery.Remove(it->CopyId);
    Tracked.erase(it);
}

void TDesktopSession::WriteCopy(TDocForm *document)
{
    if (document->IsEmptyFrame())
        return;
    TTracked &t = Tracked[document];
    if (t.CopyId.isEmpty())
        t.CopyId = TRecoveryStore::NewId();
    TRecoveryEntry entry;
    entry.Id = t.CopyId;
    entry.FileName = document->DocumentFile();
    entry.Title = document->DocumentTitle();
    entry.Format = QStringLiteral("qvx");
    entry.Time = QDateTime::currentDateTime();
    Recovery.Write(entry, document->DocumentBytes());
}

void TDesktopSession::WriteRecoveryCopies()
{
    for (TDocForm *document : std::as_const(Manager.Documents))
        if (document->HasUnsavedChanges())
            WriteCopy(document);
    WriteTestReport();
}

void TDesktopSession::WriteCopiesBeforeExit()
{
    KeepCopies = true;
    AutosaveTimer->stop();
    SweepTimer->stop();
    // The net may be what failed: each copy is tried on its own. A saved
    // document needs none; its file is what the next start opens.
    for (TDocForm *document : std::as_const(Manager.Documents)) {
        try {
            if (document->HasUnsavedChanges())
                WriteCopy(document);
        } catch (...) {
        }
    }
}

int TDesktopSession::OfferRecovery()
{
    const QList<TRecoveryEntry> entries = Recovery.Entries();
    if (entries.isEmpty())
        return 0;
    QStringList lines;
    const QLocale russian(QLocale::Russian);
    for (const TRecoveryEntry &e : entries)
        lines.append(e.Title + QStringLiteral(" — ") + russian.toString(e.Time, QStringLiteral("d MMMM yyyy, HH:mm")));
    const QMessageBox::StandardButton answer =
        Manager.Prompter().MessageBox(nullptr, QStringLiteral("Восстановить несохранённые сети?\n\n") + lines.join(u'\n'),
                                      DocTexts::AppTitle(), QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::Question, QMessageBox::Yes);
    int opened = 0;
    for (const TRecoveryEntry &e : entries) {
        TDocForm *window = nullptr;
        if (answer == QMessageBox::Yes)
            window = Manager.OpenRecoveredDocument(Recovery.Folder() + QLatin1Char('/') + e.Id + QStringLiteral(".net"),
                                                   e.FileName, e.Title);
        if (window) {
            // The copy stays until the document is saved or closed.
            Tracked[window].CopyId = e.Id;
            ++opened;
        } else if (answer != QMessageBox::Yes) {
            Recovery.Remove(e.Id);
        }
    }
    return opened;
}

void TDesktopSession::Sweep()
{
    for (TDocForm *document : std::as_const(Manager.Documents)) {
        if (document->IsEmptyFrame())
            continue;
        TTracked &t = Tracked[document];
        const bool saved = document->IsSaved();
        if (saved && !t.CopyId.isEmpty()) {
            Recovery.Remove(t.CopyId);
            t.CopyId.clear();
        }
        const QString file = document->DocumentFile();
        if (saved && !file.isEmpty() && (!t.Saved || t.FileName != file))
            NoteRecentFile(file);
        t.Saved = saved;
        t.FileName = file;
    }
    WriteTestReport();
}

void TDesktopSession::WriteTestReport()
{
    const QString path = TestReport::Path();
    if (path.isEmpty())
        return;
    QStringList lines;
    for (TDocForm *document : std::as_const(Manager.Documents))
        lines.append(QStringLiteral("window|%1|%2|%3")
                         .arg(document->windowTitle(),
                              document->HasUnsavedChanges() ? QStringLiteral("unsaved") : QStringLiteral("saved"),
                              document->DocumentFile()));
    if (Manager.ActiveDocument)
        lines.append(QStringLiteral("front|") + Manager.ActiveDocument->windowTitle());
    for (const QString &m : TestReport::Messages())
        lines.append(QStringLiteral("message|") + m);
    for (const TRecoveryEntry &e : Recovery.Entries())
        lines.append(QStringLiteral("copy|") + e.Title);
    const QByteArray report = lines.join(u'\n').toUtf8() + '\n';
    if (report == LastReport)
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(report) == report.size() && file.commit())
        LastReport = report;
}
