// The two side panels of the left column: shown, hidden and sized by their
// commands and close buttons; and the description commands of the inspector.
#include "DocForm.h"

#include "DocCommands.h"

#include "CanvasController.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QSplitter>

void TDocForm::ActionViewInspectorExecute()
{
    const bool show = CommandTable->ActionViewInspector->isChecked();
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
    const bool show = CommandTable->ActionViewNetState->isChecked();
    NetState->setVisible(show);
    if (show && !NetInspector->isHidden())
        SplitterUD->setSizes({120, qMax(SplitterUD->height() - 122, 100)});
    UpdateLeftPanel();
}

void TDocForm::CloseInspectorButtonClick()
{
    CommandTable->ActionViewInspector->setChecked(false);
    NetInspector->hide();
    UpdateLeftPanel();
}

void TDocForm::NetStateCloseButtonClick()
{
    CommandTable->ActionViewNetState->setChecked(false);
    NetState->hide();
    UpdateLeftPanel();
}

void TDocForm::UpdateLeftPanel()
{
    LeftPanel->setVisible(!NetInspector->isHidden() || !NetState->isHidden());
}

// The description flag and text are part of the document, so adding or
// removing a description counts as an unsaved change.
void TDocForm::ActionEditCreateDescrExecute()
{
    if (TNetElement *e = InspectedElement(); e && !e->HasDescription) {
        e->SetHasDescription(true);
        Net->MarkChanged();
    }
    UpdateInspector();
}

void TDocForm::ActionEditDelDescrExecute()
{
    if (TNetElement *e = InspectedElement(); e && e->HasDescription) {
        e->SetHasDescription(false);
        Net->MarkChanged();
    }
    UpdateInspector();
}
