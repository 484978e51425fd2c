#pragma once
// The page of the incidence matrix and the P- and T-invariants as tables.

#include "AnalysisNet.h"
#include "AnalysisResult.h"

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;

// A read-only integer matrix with named rows and columns. Cells are made on
// demand, so a net of thousands of places costs no widget per cell.
class TMatrixModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // blankZeros: zeros are left empty, so an invariant's support stands out.
    void SetMatrix(const QStringList &rowNames, const QStringList &columnNames,
                   const QList<QList<qint64>> &rows, bool blankZeros);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList RowNames;
    QStringList ColumnNames;
    QList<QList<qint64>> Rows;
    bool BlankZeros = false;
};

class TInvariantsPage : public QWidget
{
    Q_OBJECT
public:
    explicit TInvariantsPage(QWidget *parent = nullptr);

    void ShowRunning();
    void ShowResult(const TAnalysisNet &net, const TAnalysisResult &result);

private:
    QLabel *IncidenceTitle;
    QLabel *PlaceTitle;
    QLabel *TransitionTitle;
    TMatrixModel *IncidenceModel;
    TMatrixModel *PlaceModel;
    TMatrixModel *TransitionModel;
};
