#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class TDocShell;
class TDocForm;

// The window list: every registered document with its saved state; the user
// shows, saves or closes the chosen one.
class TWindowListForm : public QDialog
{
    Q_OBJECT
public:
    explicit TWindowListForm(TDocShell *shell, QWidget *parent = nullptr);

    // The document of the chosen row, or none.
    TDocForm *ChosenDocument() const;
    // Fills the list from the registered documents.
    void FillList();

    QLabel *ListLabel = nullptr;
    QListWidget *WinListBox = nullptr;
    QPushButton *OkBtn = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *SaveButton = nullptr;
    QPushButton *CloseButton = nullptr;

private:
    void WinListBoxClick();
    void OkBtnClick();
    void SaveButtonClick();
    void CloseButtonClick();

    TDocShell *Shell;
};
