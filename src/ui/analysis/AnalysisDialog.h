#pragma once
// The analysis dialog of one net: runs the analysis of the net's current
// marking in a worker thread and shows the properties, the state graph and
// the invariants. The document window opens it with ShowNetAnalysis, connects
// ShowInModelling, and calls Cancel when the net is edited or closed.

#include <QDialog>
#include <QList>

#include <memory>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class TAnalysisJob;
class TInvariantsPage;
class TPetryNet;
class TPropertiesPage;
class TStateGraphPage;
struct TAnalysisNet;

enum class TAnalysisView { Properties, Graph, Invariants };

class TAnalysisDialog : public QDialog
{
    Q_OBJECT
public:
    // netKey only tells the dialogs of different nets apart; it is never used
    // to reach the net.
    TAnalysisDialog(QWidget *parent, const TPetryNet *netKey);
    ~TAnalysisDialog() override;

    const TPetryNet *NetKey() const { return Key; }
    // Starts analysing the net, stopping any earlier run.
    void Analyse(TAnalysisNet net);
    // Whether the net differs from the one last analysed or that run was cut
    // short by Cancel, so that showing the dialog again must analyse anew.
    bool NeedsAnalysis(const TAnalysisNet &net) const;
    void ShowView(TAnalysisView view);
    bool IsRunning() const;

    TPropertiesPage *PropertiesPage() const { return Properties; }
    TStateGraphPage *GraphPage() const { return Graph; }
    TInvariantsPage *InvariantsPage() const { return Invariants; }
    QString ProgressText() const;

public slots:
    // The net was edited or its document closes: stop the worker and keep the
    // results only as a record of the earlier net (their paths are no longer offered).
    void Cancel();

signals:
    // A firing sequence (transition indices) from the analysed start marking,
    // to be played in the modelling.
    void ShowInModelling(const QList<int> &transitionPath);
    // The worker ended (finished, stopped or cancelled) and its results are shown.
    void AnalysisFinished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void UpdateProgress();
    void JobFinished();
    void StopButtonClick();

    const TPetryNet *Key;
    std::unique_ptr<TAnalysisJob> Job;
    bool Outdated = false;
    QTabWidget *Tabs;
    TPropertiesPage *Properties;
    TStateGraphPage *Graph;
    TInvariantsPage *Invariants;
    QLabel *Progress;
    QPushButton *StopButton;
    QPushButton *CloseButton;
    QTimer *ProgressTimer;
};

// Opens (or raises) the analysis dialog of this net, analysing its current
// marking unless the dialog already holds (or is computing) the analysis of
// the same net and marking. The dialog is the parent's child and deletes
// itself when closed. A net the analysis refuses is reported in a message
// box; the answer is nullptr then.
TAnalysisDialog *ShowNetAnalysis(QWidget *parent, const TPetryNet &net, TAnalysisView view);
