#include "AnalysisDialog.h"

#include "Analysis.h"
#include "AnalysisJob.h"
#include "AnalysisTexts.h"
#include "InvariantsPage.h"
#include "PetryNet.h"
#include "PropertiesPage.h"
#include "StateGraphPage.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ProgressIntervalMs = 200;

bool SameArcs(const QList<QList<TArcWeight>> &a, const QList<QList<TArcWeight>> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype t = 0; t < a.size(); ++t) {
        if (a[t].size() != b[t].size())
            return false;
        for (qsizetype i = 0; i < a[t].size(); ++i)
            if (a[t][i].Place != b[t][i].Place || a[t][i].Weight != b[t][i].Weight)
                return false;
    }
    return true;
}

bool SameNet(const TAnalysisNet &a, const TAnalysisNet &b)
{
    return a.PlaceNames == b.PlaceNames && a.TransitionNames == b.TransitionNames && a.Marking == b.Marking
           && SameArcs(a.Pre, b.Pre) && SameArcs(a.Post, b.Post);
}

QString StageText(TAnalysisStage stage)
{
    switch (stage) {
    case TAnalysisStage::Coverability:
        return QStringLiteral("Граф покрытия");
    case TAnalysisStage::Components:
        return QStringLiteral("Компоненты связности графа");
    case TAnalysisStage::Invariants:
        return QStringLiteral("Инварианты");
    case TAnalysisStage::Done:
        return QStringLiteral("Рисунок графа");
    default:
        return QStringLiteral("Граф достижимости");
    }
}

QString StatesText(qint64 n)
{
    return CountedText(n, QStringLiteral("состояние"), QStringLiteral("состояния"), QStringLiteral("состояний"));
}

QString FiringsText(qint64 n)
{
    return CountedText(n, QStringLiteral("запуск"), QStringLiteral("запуска"), QStringLiteral("запусков"));
}

} // namespace

TAnalysisDialog::TAnalysisDialog(QWidget *parent, const TPetryNet *netKey)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , Key(netKey)
{
    setObjectName(QStringLiteral("AnalysisDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The small 8-point font of the document window and the other dialogs.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setWindowTitle(QStringLiteral("Анализ сети"));
    resize(680, 480);

    Properties = new TPropertiesPage(this);
    Graph = new TStateGraphPage(this);
    Invariants = new TInvariantsPage(this);
    Tabs = new QTabWidget(this);
    Tabs->addTab(Properties, QStringLiteral("Свойства"));
    Tabs->addTab(Graph, QStringLiteral("Граф"));
    Tabs->addTab(Invariants, QStringLiteral("Инварианты"));
    connect(Properties, &TPropertiesPage::ShowInModelling, this, &TAnalysisDialog::ShowInModelling);
    connect(Graph, &TStateGraphPage::ShowInModelling, this, &TAnalysisDialog::ShowInModelling);

    Progress = new QLabel(this);
    Progress->setObjectName(QStringLiteral("ProgressLabel"));
    Progress->setWordWrap(true);
    StopButton = new QPushButton(QStringLiteral("Прервать"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setAutoDefault(false);
    StopButton->setEnabled(false);
    CloseButton = new QPushButton(QStringLiteral("Закрыть"), this);
    CloseButton->setAutoDefault(false);
    connect(StopButton, &QPushButton::clicked, this, &TAnalysisDialog::StopButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    ProgressTimer = new QTimer(this);
    ProgressTimer->setInterval(ProgressIntervalMs);
    connect(ProgressTimer, &QTimer::timeout, this, &TAnalysisDialog::UpdateProgress);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Progress, 1);
    bottom->addWidget(StopButton);
    bottom->addWidget(CloseButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Tabs, 1);
    layout->addLayout(bottom);
}

// The job's destructor stops the worker and waits for it.
TAnalysisDialog::~TAnalysisDialog() = default;

void TAnalysisDialog::Analyse(TAnalysisNet net)
{
    Job.reset();
    Outdated = false;
    TAnalysisOptions options;
    // One worker thread leaves the other core to the window, and two
    // analyses at once share the machine without starving it.
    options.Threads = 1;
    options.MaxMemoryBytes = qint64(1) << 30;
    Job = std::make_unique<TAnalysisJob>(std::move(net), options);
    connect(Job.get(), &TAnalysisJob::Finished, this, &TAnalysisDialog::JobFinished);
    Properties->ShowRunning();
    Graph->ShowRunning();
    Invariants->ShowRunning();
    StopButton->setEnabled(true);
    Job->Start();
    ProgressTimer->start();
    UpdateProgress();
}

bool TAnalysisDialog::NeedsAnalysis(const TAnalysisNet &net) const
{
    return !Job || Outdated || Job->IsCancelled() || !SameNet(Job->Net(), net);
}

void TAnalysisDialog::ShowView(TAnalysisView view)
{
    Tabs->setCurrentIndex(int(view));
}

bool TAnalysisDialog::IsRunning() const
{
    return Job && Job->IsRunning();
}

QString TAnalysisDialog::ProgressText() const
{
    return Progress->text();
}

void TAnalysisDialog::Cancel()
{
    Outdated = true;
    if (Job)
        Job->Cancel();
    Properties->SetOutdated();
    Graph->SetOutdated();
    if (!IsRunning() && Job)
        Progress->setText(QStringLiteral("Сеть изменилась: результаты относятся к прежней сети."));
}

void TAnalysisDialog::StopButtonClick()
{
    if (Job)
        Job->Cancel();
    StopButton->setEnabled(false);
}

void TAnalysisDialog::UpdateProgress()
{
    if (!IsRunning())
        return;
    const TAnalysisProgress &p = Job->Progress();
    const qint64 states = p.States.load(std::memory_order_relaxed);
    const qint64 firings = p.Firings.load(std::memory_order_relaxed);
    const qint64 ms = Job->ElapsedMs();
    QString text = QStringLiteral("%1: %2, %3").arg(StageText(TAnalysisStage(p.Stage.load(std::memory_order_relaxed))),
                                                    StatesText(states), FiringsText(firings));
    if (ms >= 500)
        text += QStringLiteral("; %1 в секунду").arg(StatesText(states * 1000 / ms));
    if (Job->IsCancelled())
        text = QStringLiteral("Анализ прерывается...");
    Progress->setText(text + u'.');
}

void TAnalysisDialog::JobFinished()
{
    ProgressTimer->stop();
    StopButton->setEnabled(false);
    const TAnalysisResult &r = Job->Result();
    const TAnalysisNet &net = Job->Net();
    Properties->ShowResult(net, r);
    Graph->ShowResult(net, r, Job->Drawing());
    Invariants->ShowResult(net, r);
    const QString seconds = QLocale(QLocale::Russian).toString(Job->ElapsedMs() / 1000.0, 'f', 2);
    if (Outdated) {
        Properties->SetOutdated();
        Graph->SetOutdated();
        Progress->setText(QStringLiteral("Анализ прерван: сеть изменилась."));
    } else if (Job->IsCancelled()) {
        Progress->setText(QStringLiteral("Анализ прерван за %1 с: найдено %2, %3.")
                              .arg(seconds, StatesText(r.States), FiringsText(r.Firings)));
    } else if (r.Complete) {
        Progress->setText(QStringLiteral("Анализ завершён за %1 с: %2, %3.")
                              .arg(seconds, StatesText(r.States), FiringsText(r.Firings)));
    } else {
        Progress->setText(QStringLiteral("Поиск остановлен: %1").arg(Sentence(r.StopReason, false)));
    }
    emit AnalysisFinished();
}

void TAnalysisDialog::closeEvent(QCloseEvent *event)
{
    if (Job)
        Job->Cancel();
    QDialog::closeEvent(event);
    // Deleted later: until then ShowNetAnalysis must not find and show it again.
    if (event->isAccepted())
        Key = nullptr;
}

TAnalysisDialog *ShowNetAnalysis(QWidget *parent, const TPetryNet &net, TAnalysisView view)
{
    TAnalysisNet built;
    QString error;
    if (!BuildAnalysisNet(net, built, &error)) {
        QMessageBox::warning(parent, QStringLiteral("Сети Петри"), error);
        return nullptr;
    }
    TAnalysisDialog *dialog = nullptr;
    if (parent)
        for (TAnalysisDialog *d : parent->findChildren<TAnalysisDialog *>(Qt::FindDirectChildrenOnly))
            if (d->NetKey() == &net)
                dialog = d;
    if (!dialog)
        dialog = new TAnalysisDialog(parent, &net);
    dialog->setWindowTitle(QStringLiteral("Анализ сети: ") + net.GetTitle());
    if (dialog->NeedsAnalysis(built))
        dialog->Analyse(std::move(built));
    dialog->ShowView(view);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}
