#pragma once
// The page with the drawing of the reachability or coverability graph.

#include "AnalysisNet.h"
#include "AnalysisResult.h"
#include "StateGraphScene.h"

#include <QWidget>

class QGraphicsScene;
class QLabel;
class QPushButton;
class QStackedWidget;
class TZoomView;

class TStateGraphPage : public QWidget
{
    Q_OBJECT
public:
    explicit TStateGraphPage(QWidget *parent = nullptr);

    void ShowRunning();
    void ShowResult(const TAnalysisNet &net, const TAnalysisResult &result, const TStateGraphDrawing &drawing);
    void SetOutdated();

    QGraphicsScene *Scene() const { return GraphScene; }
    double ZoomFactor() const;
    // Multiplies the zoom, kept between 1:50 and 8:1.
    void Zoom(double factor);
    void ZoomToFit();
    // Saves the drawing as PNG or SVG after the name's suffix.
    bool SavePicture(const QString &fileName, QString *error = nullptr);

signals:
    void ShowInModelling(const QList<int> &transitionPath);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FitIfLarge();
    void SelectionChanged();
    void SaveButtonClick();
    void ShowButtonClick();
    int SelectedState() const;
    void ShowMessage(const QString &text);

    QStackedWidget *Stack;
    QLabel *Message;
    TZoomView *View;
    QGraphicsScene *GraphScene;
    QPushButton *ZoomInButton;
    QPushButton *ZoomOutButton;
    QPushButton *FitButton;
    QPushButton *SaveButton;
    QPushButton *ShowButton;
    QLabel *Info;

    TStateGraph Graph;
    TAnalysisNet Net;
    bool Outdated = false;
    bool FitPending = false;
};
