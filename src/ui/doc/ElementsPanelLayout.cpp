// The widgets of the net inspector: the element list with its row painting,
// the inspector's toolbar, the counter, the name box and the description memo,
// all placed on the inspector's scroll panel.
#include "ElementsPanel.h"

#include "ElementList.h"
#include "FocusFrames.h"
#include "PetryNet.h"
#include "controls/EventHook.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/ColorMap.h"
#include "controls/PanelUnit.h"

#include <QAbstractItemDelegate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>

namespace {
constexpr int RowHeight = 16;
constexpr int EditorsLeft = 4;

// Paints the rows of the element list: headers in bold with a line under
// them, element rows with the name and a small box when the element is
// selected on the canvas.
class TElementsDelegate : public QAbstractItemDelegate
{
public:
    TElementsDelegate(QListView *list, const TXPColorMap *map, std::function<bool(int)> selected,
                      std::function<bool(int)> header)
        : QAbstractItemDelegate(list)
        , List(list)
        , Map(map)
        , IsSelected(std::move(selected))
        , IsHeader(std::move(header))
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        const bool current = index.row() == List->currentIndex().row();
        const bool focused = current && List->hasFocus();
        const bool header = IsHeader(index.row());
        const QColor window = List->palette().color(QPalette::Base);
        painter->save();
        QFont font = List->font();
        if (header) {
            painter->fillRect(r, window);
            font.setBold(true);
            painter->setFont(font);
            painter->setPen(List->palette().color(QPalette::WindowText));
            painter->drawText(QRect(r.left() + 6, r.top() + 1, r.width() - 6, r.height() - 1),
                              Qt::AlignLeft | Qt::AlignTop, index.data().toString());
            painter->drawLine(r.left() + 6, r.bottom() - 1, r.right() - 5, r.bottom() - 1);
        } else {
            painter->fillRect(r, current || focused ? Map->BtnFrameColor : window);
            painter->setFont(font);
            painter->setPen(current ? List->palette().color(QPalette::HighlightedText)
                                    : List->palette().color(QPalette::Text));
            painter->drawText(QRect(r.left() + 17, r.top() + 1, r.width() - 17, r.height() - 1),
                              Qt::AlignLeft | Qt::AlignTop, index.data().toString());
            if (IsSelected(index.row())) {
                painter->setPen(Map->BtnFrameColor);
                painter->setBrush(Map->SelectedColor);
                painter->drawRect(r.left() + 5, r.top() + 3, 8, 8);
            }
        }
        if (header ? current : focused) {
            QStyleOptionFocusRect frame;
            frame.rect = r;
            frame.state = QStyle::State_KeyboardFocusChange;
            frame.backgroundColor = header ? window : Map->BtnFrameColor;
            List->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, List);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {0, RowHeight}; }

private:
    QListView *List;
    const TXPColorMap *Map;
    std::function<bool(int)> IsSelected;
    std::function<bool(int)> IsHeader;
};

QLabel *MakeCaption(QWidget *parent, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->move(EditorsLeft, top);
    label->resize(150, 13);
    return label;
}

QWidget *MakeLine(QWidget *parent, int top, const QColor &color)
{
    auto *line = new QWidget(parent);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, color);
    line->setPalette(pal);
    line->setGeometry(EditorsLeft, top, 188, 1);
    return line;
}
} // namespace

TElementsPanel::TElementsPanel(TGKPanel *content, const TWindowColorMaps &maps, TFocusFrames &frames)
{
    Build(content, maps, frames);
}

void TElementsPanel::Build(TGKPanel *content, const TWindowColorMaps &maps, TFocusFrames &frames)
{
    const TXPColorMap &map = maps.XPColorMap;
    InspectorScrollPanel = new TGKPanel(content);
    InspectorScrollPanel->setObjectName(QStringLiteral("InspectorScrollPanel"));
    InspectorScrollPanel->SetColor(lighten(map.Color, 30));
    InspectorScrollPanel->setGeometry(0, 0, 196, 216);
    InspectorScrollPanel->OnPaint = [&frames](TGKPanel *p) {
        p->Canvas()->fillRect(p->rect(), p->Color());
        frames.Draw(p);
    };
    TGKPanel *panel = InspectorScrollPanel;

    Elements = new QListView(panel);
    Elements->setObjectName(QStringLiteral("Elements"));
    Rows = new TElementListModel(Elements);
    Elements->setModel(Rows);
    Elements->setGeometry(EditorsLeft, 7, 188, 200);
    Elements->setFrameShape(QFrame::NoFrame);
    Elements->setUniformItemSizes(true);
    Elements->setSelectionMode(QAbstractItemView::SingleSelection);
    Elements->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Elements->setItemDelegate(new TElementsDelegate(Elements, &map, [this](int row) {
        const TNetElement *e = ElementOfRow(row);
        return e && e->Selected;
    }, [this](int row) { return IsHeaderRow(row); }));
    connect(Elements->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!RebuildingElements)
            ElementsClick();
    });

    NIToolBar = new TGKToolBar(QStringLiteral("NIToolBar"), &maps.LPXPColorMap, panel);
    NIToolBar->setObjectName(QStringLiteral("NIToolBar"));
    NIToolBar->setMovable(false);
    NIToolBar->setFloatable(false);
    NIToolBar->setGeometry(EditorsLeft, 216, 188, 21);

    const QColor lineColor = darken(map.Color, 40);
    CountLabel = MakeCaption(panel, QStringLiteral("Число фишек:"), 241);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    CntShape = MakeLine(panel, 254, lineColor);
    CountEdit = new QLineEdit(panel);
    CountEdit->setObjectName(QStringLiteral("CountEdit"));
    CountEdit->setReadOnly(true);
    CountEdit->setFrame(false);
    CountEdit->setGeometry(EditorsLeft, 260, 56, 16);
    CntUpBtn = new TGKSpeedButton(panel);
    CntUpBtn->setObjectName(QStringLiteral("CntUpBtn"));
    CntUpBtn->SetGlyph(TGKGlyph::UpArrow);
    CntDownBtn = new TGKSpeedButton(panel);
    CntDownBtn->setObjectName(QStringLiteral("CntDownBtn"));
    CntDownBtn->SetGlyph(TGKGlyph::DownArrow);
    for (TGKSpeedButton *b : {CntUpBtn, CntDownBtn}) {
        b->SetColorMap(&map);
        b->SetFocusControl(CountEdit);
        b->SetShowFocusedFrame(true);
        b->resize(16, 9);
    }
    CntUpBtn->move(62, 259);
    CntDownBtn->move(62, 268);
    // Held down, a counter button steps the count on every tick of the counter.
    Counter = new QTimer(panel);
    Counter->setObjectName(QStringLiteral("Counter"));
    Counter->setInterval(50);
    connect(Counter, &QTimer::timeout, this, &TElementsPanel::CounterTimer);
    for (TGKSpeedButton *b : {CntUpBtn, CntDownBtn}) {
        connect(b, &TGKSpeedButton::MouseDown, this, [this, up = b == CntUpBtn](Qt::MouseButton button, QPoint) {
            if (button == Qt::LeftButton)
                CntBtnMouseDown(up);
        });
        connect(b, &TGKSpeedButton::MouseUp, Counter, &QTimer::stop);
    }

    NameEditLabel = MakeCaption(panel, QStringLiteral("Название:"), 282);
    NameEditLabel->setObjectName(QStringLiteral("NameEditLabel"));
    NEShape = MakeLine(panel, 295, lineColor);
    NameEdit = new QLineEdit(panel);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    NameEdit->setFrame(false);
    NameEdit->setGeometry(EditorsLeft, 301, 188, 16);
    connect(NameEdit, &QLineEdit::returnPressed, this, &TElementsPanel::StoreName);

    DescriptionLabel = MakeCaption(panel, QStringLiteral("Описание:"), 325);
    DEShape = MakeLine(panel, 338, lineColor);
    Description = new QPlainTextEdit(panel);
    Description->setObjectName(QStringLiteral("Description"));
    Description->setFrameShape(QFrame::NoFrame);
    Description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Description->setGeometry(EditorsLeft, 344, 188, 120);

    // The controls stretch with the left column.
    connect(content, &TGKPanel::Resized, InspectorScrollPanel,
            [this](QSize s) { InspectorScrollPanel->resize(s.width(), InspectorScrollPanel->height()); });
    connect(InspectorScrollPanel, &TGKPanel::Resized, this, [this](QSize s) {
        const int w = qMax(60, s.width() - 2 * EditorsLeft);
        for (QWidget *c : {static_cast<QWidget *>(Elements), static_cast<QWidget *>(NIToolBar), CntShape, NEShape,
                           DEShape, static_cast<QWidget *>(NameEdit), static_cast<QWidget *>(Description)})
            c->resize(w, c->height());
    });

    // The arrow keys in the count box step the count.
    CountEdit->installEventFilter(new TEventHook(this, [this](QObject *, QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Up && key != Qt::Key_Down)
            return false;
        CounterStep(key == Qt::Key_Up);
        return true;
    }));
    for (QWidget *c : {static_cast<QWidget *>(Elements), static_cast<QWidget *>(NameEdit),
                       static_cast<QWidget *>(Description), static_cast<QWidget *>(CountEdit)})
        frames.Watch(c);
    connect(&frames, &TFocusFrames::Left, this, &TElementsPanel::ControlLeft);
    HideEditors();
}
