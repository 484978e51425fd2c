#include "StateGraphPage.h"

#include "Analysis.h"
#include "AnalysisJob.h"
#include "AnalysisTexts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>

#include <algorithm>
#include <cmath>

// Zoom limits: small enough to see a few hundred states at once.
constexpr double MinScale = 0.02;
constexpr double MaxScale = 8.0;

// A scrollable view that zooms with Ctrl and the mouse wheel.
class TZoomView : public QGraphicsView
{
public:
    using QGraphicsView::QGraphicsView;

    double Scale() const { return transform().m11(); }

    void SetScale(double scale)
    {
        scale = std::clamp(scale, MinScale, MaxScale);
        setTransform(QTransform::fromScale(scale, scale));
    }

    std::function<void()> OnStateDoubleClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        QGraphicsView::mouseDoubleClickEvent(event);
        const QGraphicsItem *item = itemAt(event->position().toPoint());
        if (item && item->type() == StateItemType && OnStateDoubleClick)
            OnStateDoubleClick();
    }

    void wheelEvent(QWheelEvent *event) override
    {
        if (!(event->modifiers() & Qt::ControlModifier)) {
            QGraphicsView::wheelEvent(event);
            return;
        }
        // One notch (120) zooms by a fifth, towards the point under the mouse.
        const ViewportAnchor anchor = transformationAnchor();
        setTransformationAnchor(AnchorUnderMouse);
        SetScale(Scale() * std::pow(1.2, event->angleDelta().y() / 120.0));
        setTransformationAnchor(anchor);
        event->accept();
    }
};

namespace {

const QString Legend = QStringLiteral(
    "Двойная рамка — начальная разметка, красные — тупиковые, серые — с ω. Двойной щелчок по разметке "
    "показывает путь к ней в моделировании, Ctrl и колесо мыши меняют масштаб.");

QPushButton *ToolButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TStateGraphPage::TStateGraphPage(QWidget *parent)
    : QWidget(parent)
{
    GraphScene = new QGraphicsScene(this);
    View = new TZoomView(GraphScene, this);
    View->setObjectName(QStringLiteral("StateGraphView"));
    View->setFrameShape(QFrame::Box);
    View->setFrameShadow(QFrame::Plain);
    View->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    View->setDragMode(QGraphicsView::ScrollHandDrag);
    View->setBackgroundBrush(Qt::white);
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("StateGraphMessage"));
    Message->setWordWrap(true);
    Message->setAlignment(Qt::AlignCenter);
    Message->setMargin(20);
    Stack = new QStackedWidget(this);
    Stack->addWidget(Message);
    Stack->addWidget(View);

    ZoomInButton = ToolButton(QStringLiteral("+"), QStringLiteral("Увеличить"), this);
    ZoomOutButton = ToolButton(QStringLiteral("−"), QStringLiteral("Уменьшить"), this);
    FitButton = ToolButton(QStringLiteral("&По размеру окна"), QStringLiteral("Показать весь граф"), this);
    SaveButton = ToolButton(QStringLiteral("&Сохранить рисунок..."),
                            QStringLiteral("Сохранить рисунок графа в PNG или SVG"), this);
    SaveButton->setObjectName(QStringLiteral("SaveGraphButton"));
    ShowButton = ToolButton(QStringLiteral("Показать в &моделировании"),
                            QStringLiteral("Пройти путь от начальной разметки к выбранной в моделировании"), this);
    ShowButton->setObjectName(QStringLiteral("ShowStateButton"));
    for (QPushButton *b : {ZoomInButton, ZoomOutButton})
        b->setFixedWidth(b->sizeHint().height() + 4);
    connect(ZoomInButton, &QPushButton::clicked, this, [this] { Zoom(1.25); });
    connect(ZoomOutButton, &QPushButton::clicked, this, [this] { Zoom(1 / 1.25); });
    connect(FitButton, &QPushButton::clicked, this, &TStateGraphPage::ZoomToFit);
    connect(SaveButton, &QPushButton::clicked, this, &TStateGraphPage::SaveButtonClick);
    connect(ShowButton, &QPushButton::clicked, this, &TStateGraphPage::ShowButtonClick);
    connect(GraphScene, &QGraphicsScene::selectionChanged, this, &TStateGraphPage::SelectionChanged);
    View->OnStateDoubleClick = [this] { ShowButtonClick(); };

    Info = new QLabel(Legend, this);
    Info->setObjectName(QStringLiteral("StateGraphInfo"));
    Info->setWordWrap(true);
    Info->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *tools = new QHBoxLayout;
    tools->addWidget(ZoomInButton);
    tools->addWidget(ZoomOutButton);
    tools->addWidget(FitButton);
    tools->addStretch();
    tools->addWidget(SaveButton);
    tools->addWidget(ShowButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addWidget(Stack, 1);
    layout->addWidget(Info);
    ShowMessage(QString());
}

void TStateGraphPage::ShowMessage(const QString &text)
{
    GraphScene->clear();
    Message->setText(text);
    Stack->setCurrentWidget(Message);
    for (QPushButton *b : {ZoomInButton, ZoomOutButton, FitButton, SaveButton, ShowButton})
        b->setEnabled(false);
    Info->clear();
}

void TStateGraphPage::ShowRunning()
{
    Graph = TStateGraph();
    ShowMessage(QStringLiteral("Идёт анализ..."));
}

void TStateGraphPage::ShowResult(const TAnalysisNet &net, const TAnalysisResult &result,
                                 const TStateGraphDrawing &drawing)
{
    Graph = result.Graph;
    Net = net;
    Outdated = false;
    const QString kind = result.Coverability ? QStringLiteral("Граф покрытия") : QStringLiteral("Граф достижимости");
    if (!result.Complete && result.States == 0) {
        ShowMessage(QStringLiteral("Граф не построен: %1").arg(Sentence(result.StopReason, false)));
        return;
    }
    if (!Graph.Kept || !drawing.Ok) {
        const QString states = CountedText(result.States, QStringLiteral("состояние"), QStringLiteral("состояния"),
                                           QStringLiteral("состояний"));
        const QString firings = CountedText(result.Firings, QStringLiteral("запуск"), QStringLiteral("запуска"),
                                            QStringLiteral("запусков"));
        const QString elsewhere = QStringLiteral(" Свойства сети — на странице «Свойства».");
        if (!result.Complete)
            ShowMessage(QStringLiteral("%1 найден не целиком (%2, %3), поэтому не нарисован.")
                            .arg(kind, states, firings)
                        + elsewhere);
        else if (Net.PlaceCount() > TAnalysisJob::DrawnPlaceLimit)
            ShowMessage(QStringLiteral("%1 (%2, %3) не нарисован: разметки из %4 слишком длинны для рисунка "
                                       "(рисуются сети до %5).")
                            .arg(kind, states, firings,
                                 CountedText(Net.PlaceCount(), QStringLiteral("позиции"), QStringLiteral("позиций"),
                                             QStringLiteral("позиций")),
                                 CountedText(TAnalysisJob::DrawnPlaceLimit, QStringLiteral("позиции"),
                                             QStringLiteral("позиций"), QStringLiteral("позиций")))
                        + elsewhere);
        else if (Graph.Kept && !drawing.Error.isEmpty())
            ShowMessage(QStringLiteral("%1 (%2, %3) нарисовать не удалось: %4")
                            .arg(kind, states, firings, drawing.Error));
        else
            ShowMessage(QStringLiteral("%1 содержит %2 и %3: это слишком много для рисунка "
                                       "(рисуются графы до %4 и %5).")
                            .arg(kind, states, firings,
                                 CountedText(TAnalysisJob::DrawnStateLimit, QStringLiteral("состояния"),
                                             QStringLiteral("состояний"), QStringLiteral("состояний")),
                                 CountedText(TAnalysisJob::DrawnEdgeLimit, QStringLiteral("запуска"),
                                             QStringLiteral("запусков"), QStringLiteral("запусков")))
                        + elsewhere);
        return;
    }
    FillStateGraphScene(*GraphScene, Graph, drawing);
    Stack->setCurrentWidget(View);
    for (QPushButton *b : {ZoomInButton, ZoomOutButton, FitButton, SaveButton})
        b->setEnabled(true);
    View->SetScale(1);
    View->centerOn(GraphScene->sceneRect().center().x(), 0);
    FitPending = true;
    if (View->isVisible())
        QTimer::singleShot(0, this, &TStateGraphPage::FitIfLarge);
    SelectionChanged();
}

void TStateGraphPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (FitPending)
        QTimer::singleShot(0, this, &TStateGraphPage::FitIfLarge);
}

// A graph larger than the view is fitted into it the first time it is seen;
// a hidden view has no size to fit to yet.
void TStateGraphPage::FitIfLarge()
{
    if (!FitPending || !View->isVisible())
        return;
    FitPending = false;
    const QSizeF viewport = View->viewport()->size();
    const QSizeF scene = GraphScene->sceneRect().size();
    if (scene.width() > viewport.width() || scene.height() > viewport.height())
        ZoomToFit();
}

void TStateGraphPage::SetOutdated()
{
    Outdated = true;
    ShowButton->setEnabled(false);
}

double TStateGraphPage::ZoomFactor() const
{
    return View->Scale();
}

void TStateGraphPage::Zoom(double factor)
{
    View->SetScale(View->Scale() * factor);
}

void TStateGraphPage::ZoomToFit()
{
    const QRectF scene = GraphScene->sceneRect();
    const QSizeF viewport = View->viewport()->size();
    if (scene.isEmpty() || viewport.isEmpty())
        return;
    View->SetScale(qMin(1.0, qMin(viewport.width() / scene.width(), viewport.height() / scene.height())));
    View->centerOn(scene.center());
}

int TStateGraphPage::SelectedState() const
{
    const QList<QGraphicsItem *> selected = GraphScene->selectedItems();
    for (const QGraphicsItem *item : selected)
        if (item->type() == StateItemType) {
            const int state = item->data(StateKey).toInt();
            if (state >= 0 && state < Graph.StateCount())
                return state;
        }
    return -1;
}

void TStateGraphPage::SelectionChanged()
{
    const int state = SelectedState();
    ShowButton->setEnabled(state >= 0 && !Outdated && Graph.IsExact(state));
    if (state < 0) {
        Info->setText(Legend);
        return;
    }
    QString text = QStringLiteral("Разметка %1").arg(MarkingText(Graph.Markings[state]));
    if (state == Graph.Start)
        text += QStringLiteral(" начальная.");
    else if (Graph.IsExact(state))
        text += QStringLiteral(", путь к ней: %1.").arg(PathText(Net, Graph.PathTo(state)));
    else
        text += QStringLiteral(" с ω: к ней ведёт не один путь, а семейство путей, которое повторяет циклы.");
    if (Graph.IsDead(state))
        text += QStringLiteral(" Тупиковое состояние.");
    Info->setText(text);
}

void TStateGraphPage::ShowButtonClick()
{
    const int state = SelectedState();
    if (state >= 0 && !Outdated && Graph.IsExact(state))
        emit ShowInModelling(Graph.PathTo(state));
}

bool TStateGraphPage::SavePicture(const QString &fileName, QString *error)
{
    return SaveScenePicture(*GraphScene, fileName, error);
}

void TStateGraphPage::SaveButtonClick()
{
    const QString png = QStringLiteral("Рисунок PNG (*.png)");
    const QString svg = QStringLiteral("Рисунок SVG (*.svg)");
    QString filter = png;
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить рисунок графа"),
                                                    QStringLiteral("Граф.png"), png + QStringLiteral(";;") + svg,
                                                    &filter);
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += filter == svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString error;
    if (!SavePicture(fileName, &error))
        QMessageBox::warning(this, QStringLiteral("Ошибка сохранения"), error);
}
