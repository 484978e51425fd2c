#include "WindowListUnit.h"

#include "controls/ColorMap.h"
#include "doc/DocForm.h"

#include <QAbstractItemDelegate>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {
bool NeedsSave(const TDocForm *document)
{
    return !document->IsSaved();
}

// One row per document: its icon, "Документ: " and its name, and whether it
// is saved, framed in the colours of its own window.
class TWindowRowDelegate : public QAbstractItemDelegate
{
public:
    TWindowRowDelegate(QListWidget *list, TDocShell *shell)
        : QAbstractItemDelegate(list)
        , List(list)
        , Shell(shell)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        const QString text = index.data().toString();
        painter->save();
        painter->fillRect(r, List->palette().color(QPalette::Base));
        TDocForm *document = Shell->DocumentAt(index.row());
        if (!List->isEnabled() || !document) {
            painter->setPen(QColor(128, 128, 128));
            painter->drawText(r.left() + 3, r.top() + 3 + painter->fontMetrics().ascent(), text);
            painter->restore();
            return;
        }
        const TXPColorMap &map = document->XPColorMap();
        const bool current = index.row() == List->currentRow();
        const bool focused = current && List->hasFocus();
        QColor pen = Qt::white, font = Qt::black, background = List->palette().color(QPalette::Base);
        if (current || focused) {
            pen = map.BtnFrameColor;
            font = map.FontColor;
            background = focused ? darken(map.SelectedColor, 40) : map.SelectedColor;
        }
        painter->setPen(pen);
        painter->setBrush(background);
        painter->drawRect(r.adjusted(1, 1, -2, -2));
        painter->setPen(font);
        QFont normal = List->font();
        painter->setFont(normal);
        const int ascent = painter->fontMetrics().ascent();
        painter->drawText(r.left() + 25, r.top() + 3 + ascent, QStringLiteral("Документ: ") + text);
        const bool unsaved = NeedsSave(document);
        QFont status = normal;
        status.setBold(unsaved);
        painter->setFont(status);
        painter->drawText(r.left() + 25, r.top() + 18 + ascent,
                          unsaved ? QStringLiteral("Не сохранен") : QStringLiteral("Сохранен"));
        painter->drawPixmap(r.left() + 4, r.top() + 4, document->windowIcon().pixmap(16, 16));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        return {0, index.data().toString().isEmpty() ? 5 : 34};
    }

private:
    QListWidget *List;
    TDocShell *Shell;
};
} // namespace

TWindowListForm::TWindowListForm(TDocShell *shell, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Shell(shell)
{
    setObjectName(QStringLiteral("WindowListForm"));
    // The fixed layout is made for a small 8-point font, as the document window's.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setWindowTitle(QStringLiteral("Список окон"));
    setFixedSize(397, 222);

    ListLabel = new QLabel(QStringLiteral("&Список открытых окон:"), this);
    ListLabel->move(4, 3);
    WinListBox = new QListWidget(this);
    WinListBox->setObjectName(QStringLiteral("WinListBox"));
    WinListBox->setGeometry(3, 19, 284, 200);
    WinListBox->setFrameShape(QFrame::Box);
    WinListBox->setFrameShadow(QFrame::Plain);
    WinListBox->setItemDelegate(new TWindowRowDelegate(WinListBox, shell));
    ListLabel->setBuddy(WinListBox);

    auto button = [this](const QString &text, int y) {
        auto *b = new QPushButton(text, this);
        b->setGeometry(293, y, 100, 23);
        b->setAutoDefault(false);
        return b;
    };
    OkBtn = button(QStringLiteral("Выбрать"), 18);
    CancelButton = button(QStringLiteral("Отмена"), 45);
    SaveButton = button(QStringLiteral("&Сохранить"), 137);
    CloseButton = button(QStringLiteral("&Закрыть окно"), 164);
    connect(OkBtn, &QPushButton::clicked, this, &TWindowListForm::OkBtnClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(SaveButton, &QPushButton::clicked, this, &TWindowListForm::SaveButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &TWindowListForm::CloseButtonClick);
    connect(WinListBox, &QListWidget::currentRowChanged, this, &TWindowListForm::WinListBoxClick);
    connect(WinListBox, &QListWidget::itemDoubleClicked, this, &TWindowListForm::OkBtnClick);

    FillList();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

void TWindowListForm::FillList()
{
    const QSignalBlocker blocker(WinListBox);
    WinListBox->clear();
    for (int i = 0; i < Shell->DocumentCount(); ++i)
        WinListBox->addItem(Shell->DocumentAt(i)->DocumentTitle());
    const bool any = WinListBox->count() > 0;
    if (!any)
        WinListBox->addItem(QStringLiteral("Нет открытых документов"));
    WinListBox->setEnabled(any);
    OkBtn->setEnabled(any);
    SaveButton->setEnabled(any);
    CloseButton->setEnabled(any);
    OkBtn->setDefault(any);
    CancelButton->setDefault(!any);
    if (any) {
        WinListBox->setCurrentRow(0);
        WinListBoxClick();
    }
}

TDocForm *TWindowListForm::ChosenDocument() const
{
    return WinListBox->isEnabled() ? Shell->DocumentAt(WinListBox->currentRow()) : nullptr;
}

void TWindowListForm::WinListBoxClick()
{
    const TDocForm *document = ChosenDocument();
    SaveButton->setEnabled(document && NeedsSave(document));
}

void TWindowListForm::OkBtnClick()
{
    TDocForm *document = ChosenDocument();
    if (!document)
        return;
    Shell->ShowDocument(document);
    accept();
}

void TWindowListForm::SaveButtonClick()
{
    if (TDocForm *document = ChosenDocument())
        document->SaveDocument();
    SaveButton->setEnabled(false);
    WinListBox->setFocus();
    WinListBoxClick();
    WinListBox->viewport()->update();
}

void TWindowListForm::CloseButtonClick()
{
    TDocForm *document = ChosenDocument();
    if (!document)
        return;
    if (Shell->DocumentCount() == 1)
        document->CloseDocument();
    else
        document->close();
    FillList();
}
