#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The net properties dialog: where the document is stored and how large its
// file is (page "Общие"), and the net's name, author and description (page
// "Документ", open first).
class TPropForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPropForm(QWidget *parent = nullptr);

    // Set before the dialog is shown; an empty path means the document has
    // never been saved.
    void SetDocument(const QString &title, const QString &path);

    // The size line for a file: its size in bytes, or a note that it is missing.
    static QString SizeText(const QString &path);

    QTabWidget *Pages = nullptr;
    QWidget *GeneralPage = nullptr;
    QWidget *DocumentPage = nullptr;
    QLabel *DocImage = nullptr;
    QLabel *NameLabel = nullptr;
    QLabel *TypeLabel = nullptr;
    QLabel *FolderCaption = nullptr;
    QLabel *FolderLabel = nullptr;
    QLabel *SizeCaption = nullptr;
    QLabel *SizeInfLabel = nullptr;
    QLineEdit *NameEdit = nullptr;
    QLineEdit *AuthorEdit = nullptr;
    QPlainTextEdit *Description = nullptr;
    QPushButton *OkButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();

    QString Title;
    QString Path;
};
