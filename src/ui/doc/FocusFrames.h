#pragma once

#include <QList>
#include <QObject>

class QWidget;
class TGKPanel;
struct TXPColorMap;

// Focus frames of the side panels' controls: a watched control gets a frame
// on its parent panel while it has the focus. Entering and leaving a watched
// control are reported, so the window can make the selection instrument
// current and the inspector can store an edited text.
class TFocusFrames : public QObject
{
    Q_OBJECT
public:
    explicit TFocusFrames(const TXPColorMap &map);

    void Watch(QWidget *control);
    // Draws the frames of the watched controls that lie on the panel.
    void Draw(TGKPanel *panel) const;

signals:
    void Entered(QWidget *control);
    void Left(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TXPColorMap &Map;
    QList<QWidget *> Watched;
};
