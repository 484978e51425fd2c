#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;
class TDocForm;

// Every message box and file dialog of the editor goes through this, so that
// tests can answer them without a modal loop.
class TPrompter
{
public:
    virtual ~TPrompter() = default;
    virtual QMessageBox::StandardButton MessageBox(QWidget *parent, const QString &text, const QString &caption,
                                                   QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                                   QMessageBox::StandardButton defaultButton) = 0;
    // An empty result means the dialog was cancelled.
    virtual QString OpenFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    virtual QString SaveFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
};

// Modal boxes and dialogs, topmost, as the user sees them.
class TDialogPrompter : public TPrompter
{
public:
    QMessageBox::StandardButton MessageBox(QWidget *parent, const QString &text, const QString &caption,
                                           QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                           QMessageBox::StandardButton defaultButton) override;
    QString OpenFileName(QWidget *parent, const QString &title, const QString &filter) override;
    QString SaveFileName(QWidget *parent, const QString &title, const QString &filter) override;
};

// What a document window asks of the application's document manager.
class TDocShell
{
public:
    virtual ~TDocShell() = default;
    virtual void NewDocument() = 0;
    virtual void OpenDocument(const QString &path) = 0;
    virtual void AddUntitledDocument(TDocForm *document) = 0;
    virtual void AddOpenedDocument(TDocForm *document) = 0;
    virtual void DocumentActivated(TDocForm *document) = 0;
    virtual void DocumentRetitled(TDocForm *document) = 0;
    // True when no document remains.
    virtual bool RemoveDocument(TDocForm *document) = 0;
    virtual void ForgetDocument(TDocForm *document) = 0;
    virtual void ExitApplication() = 0;
    virtual void ShowNextDocument(TDocForm *document, bool forward) = 0;
    virtual void ShowDocument(TDocForm *document) = 0;
    virtual int DocumentCount() const = 0;
    virtual TDocForm *DocumentAt(int index) const = 0;
    virtual void ShowWindowList() = 0;
    virtual void ShowAboutBox() = 0;
    virtual void SaveAll() = 0;
    virtual bool HasUnsavedDocuments() const = 0;
    virtual TPrompter &Prompter() = 0;
    // The files last opened or saved, newest first; choosing one opens it.
    virtual QStringList RecentFiles() const { return {}; }
    virtual void OpenRecentFile(const QString &path) { OpenDocument(path); }
};

// Texts shared by the window and the shell.
namespace DocTexts {
inline QString AppTitle() { return QStringLiteral("Сети Петри"); }
inline QString TitleSuffix() { return QStringLiteral(" - Сети Петри"); }
inline QString UntitledStem() { return QStringLiteral("СетьПетри"); }
inline QString Extension() { return QStringLiteral(".qvx"); }
inline QString FileFilter() { return QStringLiteral("Сеть Петри (*.qvx)|*.qvx|Все файлы|*.*"); }
} // namespace DocTexts
