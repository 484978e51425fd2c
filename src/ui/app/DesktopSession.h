#pragma once

#include "RecoveryStore.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class QSettings;
class QTimer;
class TAppMainForm;
class TDocForm;

// What the running program keeps for the user between runs and across a
// crash: the recent files list, the window's size, position and side-panel
// widths, and recovery copies of documents with unsaved changes, written
// every AutosaveIntervalMs and removed once a document is saved or closed.
class TDesktopSession : public QObject
{
    Q_OBJECT
public:
    TDesktopSession(TAppMainForm &manager, QSettings &settings,
                    const QString &recoveryFolder = TRecoveryStore::DefaultFolder(), QObject *parent = nullptr);
    // Removes this run's copies: every document was saved or given up by now.
    ~TDesktopSession() override;

    // Two minutes, or PETRINETS_AUTOSAVE_MS when set (tests).
    static int AutosaveIntervalMs();
    // Start-up after the first window: its remembered geometry, the copies an
    // earlier run left behind, then the files from the command line.
    void Start(const QStringList &files);

    QStringList RecentFiles() const;
    void NoteRecentFile(const QString &path);
    void ForgetRecentFile(const QString &path);

    void WindowCreated(TDocForm *window);
    void StoreGeometry(TDocForm *window);
    // The document left the list: its copy goes, its geometry is kept.
    void DocumentClosed(TDocForm *document);

    // Writes a copy of each document with unsaved changes.
    void WriteRecoveryCopies();
    // The last resort before the program ends on an internal error: copies of
    // every document, kept when the program ends.
    void WriteCopiesBeforeExit();
    // Asks whether to reopen the copies an earlier run left; answers how many opened.
    int OfferRecovery();

private:
    // Follows each document's saved state: a saved document's copy goes and
    // its file joins the recent files.
    void Sweep();
    void WriteCopy(TDocForm *document);
    void WriteTestReport();

    struct TTracked
    {
        QString CopyId;
        QString FileName;
        bool Saved = false;
    };
    TAppMainForm &Manager;
    QSettings &Settings;
    TRecoveryStore Recovery;
    QHash<const TDocForm *, TTracked> Tracked;
    QTimer *AutosaveTimer = nullptr;
    QTimer *SweepTimer = nullptr;
    bool KeepCopies = false;
    QByteArray LastReport;
};
