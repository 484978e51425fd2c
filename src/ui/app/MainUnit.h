#pragma once

#include "doc/DocShell.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QDialog;
class QTimer;
class TDesktopSession;

// The hidden main form: the document manager. It keeps the ordered list of
// registered document windows, numbers untitled documents and names each
// window's document, switches between windows, saves all and ends the
// application. A window's Окно menu reads the list when it opens.
class TAppMainForm : public QObject, public TDocShell
{
    Q_OBJECT
public:
    // Creates the manager, which at once opens the first untitled document.
    explicit TAppMainForm(std::unique_ptr<TPrompter> prompter = nullptr, QObject *parent = nullptr);
    ~TAppMainForm() override;

    // The manager of the running application, or none.
    static TAppMainForm *Instance();

    // TDocShell
    void NewDocument() override;
    void OpenDocument(const QString &path) override;
    void AddUntitledDocument(TDocForm *document) override;
    void AddOpenedDocument(TDocForm *document) override;
    void DocumentActivated(TDocForm *document) override;
    void DocumentRetitled(TDocForm *document) override;
    bool RemoveDocument(TDocForm *document) override;
    void ForgetDocument(TDocForm *document) override;
    void ExitApplication() override;
    void ShowNextDocument(TDocForm *document, bool forward) override;
    void ShowDocument(TDocForm *document) override;
    int DocumentCount() const override { return int(Documents.size()); }
    TDocForm *DocumentAt(int index) const override;
    void ShowWindowList() override;
    void ShowAboutBox() override;
    void SaveAll() override;
    bool HasUnsavedDocuments() const override;
    TPrompter &Prompter() override { return *Prompts; }
    QStringList RecentFiles() const override;
    void OpenRecentFile(const QString &path) override;
    void SetPrompter(std::unique_ptr<TPrompter> prompter);

    // A second start marks the application title; the next idle moment
    // restores it and brings the active document to the front.
    void MarkWakeUp();
    void ApplicationEventsIdle();
    // Ends at once, without any question (unhandled errors).
    void EndApplication();

    // Opens each file in its own window, or brings it to the front when it
    // is open already; the last one ends up in front. A file that cannot be
    // read is reported as by the Open command and the others still open.
    void OpenFiles(const QStringList &paths);
    // The open document stored in this file (canonical paths compared), or none.
    TDocForm *FindDocument(const QString &path) const;
    // Opens a recovery copy as an unsaved document of its original file (an
    // untitled one when fileName is empty, named title); none on failure.
    TDocForm *OpenRecoveredDocument(const QString &copyPath, const QString &fileName, const QString &title);
    // Recent files, window geometry and recovery copies; none in tests that
    // do not set one, so they leave the user's settings alone.
    TDesktopSession *Session = nullptr;

    QString Caption() const { return QStringLiteral("Сети Петри - ApplicationForm"); }
    QList<TDocForm *> Documents;
    int NextUntitledNumber = 1;
    QPointer<TDocForm> ActiveDocument;
    QString ApplicationTitle = DocTexts::AppTitle();
    bool Ended = false;
    // What ending the application does; tests replace it.
    std::function<void()> OnEnd;
    // Runs the window list and the about dialog; tests replace it to answer
    // them without a modal loop.
    std::function<int(QDialog &)> RunDialog;

signals:
    void ApplicationEnded();

private:
    TDocForm *CreateWindow();
    void UpdateAllActions();

    std::unique_ptr<TPrompter> Prompts;
    QList<QPointer<TDocForm>> Windows;
    QTimer *IdleTimer = nullptr;
};
