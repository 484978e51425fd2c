#include "InvariantsPage.h"

#include "AnalysisTexts.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

void TMatrixModel::SetMatrix(const QStringList &rowNames, const QStringList &columnNames,
                             const QList<QList<qint64>> &rows, bool blankZeros)
{
    beginResetModel();
    RowNames = rowNames;
    ColumnNames = columnNames;
    Rows = rows;
    BlankZeros = blankZeros;
    endResetModel();
}

int TMatrixModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(Rows.size());
}

int TMatrixModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnNames.size());
}

QVariant TMatrixModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Rows.size() || index.column() >= Rows[index.row()].size())
        return {};
    const qint64 value = Rows[index.row()][index.column()];
    if (role == Qt::DisplayRole)
        return value == 0 && BlankZeros ? QString() : QString::number(value);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

QVariant TMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return ColumnNames.value(section);
    // Invariants have no names of their own: they are numbered.
    return section < RowNames.size() ? RowNames[section] : QString::number(section + 1);
}

namespace {

QString SetTitle(const QString &heading, const TInvariantSet &set, const QStringList &names, const QString &kind)
{
    QString text = QStringLiteral("<b>%1</b> (минимальных: %2).").arg(heading, CountText(set.Vectors.size()));
    if (set.Covered.IsYes())
        text += QStringLiteral(" Каждый элемент входит в какой-либо %1-инвариант.").arg(kind);
    else if (set.Covered.IsNo())
        text += QStringLiteral(" Ни в один %1-инвариант не входят: %2.")
                    .arg(kind, Html(QuotedNames(names, set.Uncovered)));
    if (!set.Complete)
        text += QStringLiteral(" <span style=\"color:#ff0000\">Набор неполный: %1</span>")
                    .arg(Html(set.Reason.isEmpty() ? QStringLiteral("вычисление остановлено.") : set.Reason));
    return text;
}

} // namespace

TInvariantsPage::TInvariantsPage(QWidget *parent)
    : QWidget(parent)
{
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    auto section = [this, splitter](const QString &name, QLabel *&title, TMatrixModel *&model) {
        auto *box = new QWidget(splitter);
        auto *layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        title = new QLabel(box);
        title->setWordWrap(true);
        title->setTextFormat(Qt::RichText);
        model = new TMatrixModel(this);
        auto *table = new QTableView(box);
        table->setObjectName(name);
        table->setModel(model);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setFrameShape(QFrame::Box);
        table->setFrameShadow(QFrame::Plain);
        table->horizontalHeader()->setDefaultSectionSize(60);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        layout->addWidget(title);
        layout->addWidget(table, 1);
        splitter->addWidget(box);
    };
    section(QStringLiteral("IncidenceTable"), IncidenceTitle, IncidenceModel);
    section(QStringLiteral("PInvariantsTable"), PlaceTitle, PlaceModel);
    section(QStringLiteral("TInvariantsTable"), TransitionTitle, TransitionModel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    ShowRunning();
}

void TInvariantsPage::ShowRunning()
{
    for (TMatrixModel *model : {IncidenceModel, PlaceModel, TransitionModel})
        model->SetMatrix({}, {}, {}, false);
    IncidenceTitle->setText(QStringLiteral("<b>Матрица инцидентности</b>: идёт анализ..."));
    PlaceTitle->setText(QStringLiteral("<b>P-инварианты</b>"));
    TransitionTitle->setText(QStringLiteral("<b>T-инварианты</b>"));
}

void TInvariantsPage::ShowResult(const TAnalysisNet &net, const TAnalysisResult &result)
{
    IncidenceModel->SetMatrix(net.PlaceNames, net.TransitionNames, result.Incidence, false);
    IncidenceTitle->setText(
        QStringLiteral("<b>Матрица инцидентности</b>: позиции в строках, переходы в столбцах; "
                       "в клетке — сколько фишек запуск перехода добавляет в позицию (минус — забирает)."));
    if (result.Incidence.isEmpty() && net.PlaceCount() > 0)
        IncidenceTitle->setText(QStringLiteral("<b>Матрица инцидентности</b>: не построена. %1")
                                    .arg(Html(Sentence(result.StopReason))));
    PlaceModel->SetMatrix({}, net.PlaceNames, result.PInvariants.Vectors, true);
    PlaceTitle->setText(
        SetTitle(QStringLiteral("P-инварианты"), result.PInvariants, net.PlaceNames, QStringLiteral("P")));
    TransitionModel->SetMatrix({}, net.TransitionNames, result.TInvariants.Vectors, true);
    TransitionTitle->setText(
        SetTitle(QStringLiteral("T-инварианты"), result.TInvariants, net.TransitionNames, QStringLiteral("T")));
}
