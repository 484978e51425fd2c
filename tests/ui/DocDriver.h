#pragma once

// How the window tests reach the parts of a document window: widgets are
// found by their object names and state through the window's accessors, so
// that renaming a member of the window or moving a widget between its parts
// does not touch the tests.

#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"
#include "doc/ElementsPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

class TDocDriver
{
public:
    explicit TDocDriver(TDocForm *doc)
        : Doc(doc)
    {
    }

    // The window's toolbar strip, side panels, status line and timers
    TGKToolBar *MainMenuBand() const { return Find<TGKToolBar>("MainMenuBand"); }
    TGKMainMenuBar *MainMenuBar() const { return Find<TGKMainMenuBar>("MainMenuBar"); }
    TGKToolBar *StandartToolBar() const { return Find<TGKToolBar>("StandartToolBar"); }
    TGKToolBar *NetToolBar() const { return Find<TGKToolBar>("NetToolBar"); }
    TGKToolBar *ModelToolBar() const { return Find<TGKToolBar>("ModelToolBar"); }
    QMenu *EditMenu() const { return Find<QMenu>("EditMenu"); }
    QMenu *NetMenu() const { return Find<QMenu>("NetMenu"); }
    QMenu *WindowMenu() const { return Find<QMenu>("WindowMenu"); }
    QMenu *ToolBarsMenu() const { return Find<QMenu>("ToolBarsMenu"); }
    QMenu *BarsPopup() const { return Find<QMenu>("BarsPopup"); }
    QMenu *CanvasPopup() const { return Find<QMenu>("CanvasPopup"); }
    QMenu *PlacePopup() const { return Find<QMenu>("PlacePopup"); }
    QMenu *TransitionPopup() const { return Find<QMenu>("TransitionPopup"); }
    QWidget *LeftPanel() const { return Find<QWidget>("LeftPanel"); }
    TGKPanel *NetInspector() const { return Find<TGKPanel>("NetInspector"); }
    TGKPanel *InspectorContent() const { return Find<TGKPanel>("NetInspectorContent"); }
    TGKSpeedButton *CloseInspectorButton() const { return Find<TGKSpeedButton>("NetInspectorCloseButton"); }
    TGKSpeedButton *InspectorUpButton() const { return Find<TGKSpeedButton>("NetInspectorUpButton"); }
    TGKSpeedButton *InspectorDownButton() const { return Find<TGKSpeedButton>("NetInspectorDownButton"); }
    TGKPanel *NetState() const { return Find<TGKPanel>("NetState"); }
    TGKPanel *StatusBar() const { return Find<TGKPanel>("StatusBar"); }
    TGKPanel *InfoPanel() const { return Find<TGKPanel>("InfoPanel"); }
    TGKPanel *SelectionInfo() const { return Find<TGKPanel>("SelectionInfo"); }
    TGKPanel *RunsPanel() const { return Find<TGKPanel>("RunsPanel"); }
    TGKGripper *Gripper() const { return Find<TGKGripper>("Gripper"); }
    QTimer *ScrollTimer() const { return Find<QTimer>("ScrollTimer"); }
    QTimer *ExecTimer() const { return Find<QTimer>("ExecTimer"); }

    // The net inspector
    QListView *Elements() const { return Find<QListView>("Elements"); }
    // The element list's rows: how many, the current one, a row's text and its place in the view.
    int ElementRows() const { return Elements()->model()->rowCount(); }
    int CurrentElementRow() const { return Elements()->currentIndex().row(); }
    QString ElementRowText(int row) const { return Elements()->model()->index(row, 0).data().toString(); }
    QRect ElementRowRect(int row) const { return Elements()->visualRect(Elements()->model()->index(row, 0)); }
    TGKPanel *InspectorScrollPanel() const { return Find<TGKPanel>("InspectorScrollPanel"); }
    TGKToolBar *NIToolBar() const { return Find<TGKToolBar>("NIToolBar"); }
    QLabel *CountLabel() const { return Find<QLabel>("CountLabel"); }
    QLabel *NameEditLabel() const { return Find<QLabel>("NameEditLabel"); }
    QLineEdit *CountEdit() const { return Find<QLineEdit>("CountEdit"); }
    TGKSpeedButton *CntUpBtn() const { return Find<TGKSpeedButton>("CntUpBtn"); }
    TGKSpeedButton *CntDownBtn() const { return Find<TGKSpeedButton>("CntDownBtn"); }
    QLineEdit *NameEdit() const { return Find<QLineEdit>("NameEdit"); }
    QPlainTextEdit *Description() const { return Find<QPlainTextEdit>("Description"); }
    QTimer *Counter() const { return Find<QTimer>("Counter"); }
    int LastElementIndex() const { return Doc->Inspector().LastElementIndex(); }

    // The canvas and its scroll bars
    TGKPanel *DocArea() const { return Find<TGKPanel>("DocArea"); }
    QScrollBar *DownScrollBar() const { return Find<QScrollBar>("DownScrollBar"); }
    QScrollBar *RightScrollBar() const { return Find<QScrollBar>("RightScrollBar"); }
    TGKPanel *DSBPanel() const { return Find<TGKPanel>("DSBPanel"); }
    TGKPanel *RSBPanel() const { return Find<TGKPanel>("RSBPanel"); }
    TGKSpeedButton *PropCall() const { return Find<TGKSpeedButton>("PropCall"); }

    // The state panel
    QTreeWidget *StateTree() const { return Find<QTreeWidget>("StateTree"); }
    QListWidget *TransfersInfo() const { return Find<QListWidget>("TransfersInfo"); }

    // The canvas instrument, as the index of its command.
    quint8 Instrument() const { return quint8(Doc->Canvas().Instrument()); }

private:
    template <class T> T *Find(const char *name) const
    {
        T *found = Doc->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(found, "TDocDriver", name);
        return found;
    }

    TDocForm *Doc;
};

inline TDocDriver Drv(TDocForm *doc)
{
    return TDocDriver(doc);
}
