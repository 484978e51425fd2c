#pragma once
// The page of behavioural and structural properties, each with its evidence.

#include "AnalysisNet.h"
#include "AnalysisResult.h"

#include <QWidget>

class QPushButton;
class QTextBrowser;

// The properties as a rich-text table: property, answer, evidence.
QString PropertiesHtml(const TAnalysisNet &net, const TAnalysisResult &result);

class TPropertiesPage : public QWidget
{
    Q_OBJECT
public:
    explicit TPropertiesPage(QWidget *parent = nullptr);

    void ShowRunning();
    void ShowResult(const TAnalysisNet &net, const TAnalysisResult &result);
    // The net changed since the analysis: its paths no longer apply to it.
    void SetOutdated();

signals:
    void ShowInModelling(const QList<int> &transitionPath);

private:
    QTextBrowser *Text;
    QPushButton *DeadlockButton;
    QList<int> DeadlockPath;
};
