// The net's notifications, the status text and the two side panels of the
// left column (shown, hidden and sized by their commands).
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QSplitter>

void TDocForm::NetChange()
{
    UpdateInspector();
    RepaintCanvas();
    UpdateActions();
}

void TDocForm::NetSelectionChange()
{
    UpdateInspector();
    UpdateActions();
}

void TDocForm::UpdateInspector()
{
    if (HasDoc())
        SelectionInfo->SetCaption(SelectionText(Net->SelectedCount(), Net->ElementCount(), Net->PlaceCount(),
                                                Net->TransitionCount(), Net->ArcCount()));
}

TNetElement *TDocForm::InspectedElement() const
{
    return nullptr;
}

void TDocForm::UpdatePanelScrollButtons(TGKPanel *)
{
}

void TDocForm::ActionViewInspectorExecute()
{
    const bool show = ActionViewInspector->isChecked();
    if (show && !NetState->isHidden()) {
        const int height = NetInspector->height() - 100;
        const int total = SplitterUD->height();
        SplitterUD->setSizes({qMax(height, 100), qMax(total - height, 100)});
    }
    NetInspector->setVisible(show);
    UpdateLeftPanel();
    if (show)
        UpdateInspector();
}

void TDocForm::ActionViewNetStateExecute()
{
    const bool show = ActionViewNetState->isChecked();
    NetState->setVisible(show);
    if (show && !NetInspector->isHidden())
        SplitterUD->setSizes({120, qMax(SplitterUD->height() - 122, 100)});
    UpdateLeftPanel();
}

void TDocForm::CloseInspectorButtonClick()
{
    ActionViewInspector->setChecked(false);
    NetInspector->hide();
    UpdateLeftPanel();
}

void TDocForm::NetStateCloseButtonClick()
{
    ActionViewNetState->setChecked(false);
    NetState->hide();
    UpdateLeftPanel();
}

void TDocForm::UpdateLeftPanel()
{
    LeftPanel->setVisible(!NetInspector->isHidden() || !NetState->isHidden());
}

void TDocForm::ActionEditCreateDescrExecute()
{
    if (TNetElement *e = InspectedElement())
        e->SetHasDescription(true);
    UpdateInspector();
}

void TDocForm::ActionEditDelDescrExecute()
{
    if (TNetElement *e = InspectedElement())
        e->SetHasDescription(false);
    UpdateInspector();
}
