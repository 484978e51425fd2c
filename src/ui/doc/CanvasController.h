#pragma once

#include "CanvasInstrument.h"

#include <QImage>
#include <QObject>
#include <QPoint>

#include <functional>

class QMenu;
class QPainter;
class QScrollBar;
class QTimer;
class QWidget;
class TGKPanel;
class TGKSpeedButton;
class TPetryNet;
class TNetElement;
struct TXPColorMap;

// What the canvas asks of the window that holds it.
class TCanvasHost
{
public:
    virtual ~TCanvasHost() = default;
    // A gesture step or popup between these two is answered as one refresh
    // of the inspector, status line and commands.
    virtual void BeginRefresh() = 0;
    virtual void EndRefresh() = 0;
    // The status line, inspector and commands follow an edit made on the
    // canvas, and the canvas is composed again.
    virtual void CanvasEdited() = 0;
    // The inspector follows a drag that has begun.
    virtual void DragStarted() = 0;
    // The popup of an instrument's right click, or none; the inspector and
    // the commands are brought up to date before it shows.
    virtual QMenu *PopupFor(TInstrument instrument) = 0;
};

// The canvas: the picture of the sheet and the net, where the sheet lies and
// how it scrolls, the cursor instrument, the mouse gestures and the hints.
//
// The canvas keeps its picture in Screen. A full redraw composes the sheet
// and the elements in view straight onto Screen; after a change only the
// area the net reports changed is composed again; a scroll moves the picture
// and draws only the strip that came into view;
// gesture feedback is inverted straight onto Screen and erased by drawing it
// again. The widget's paint event only shows Screen.
class TCanvasController : public QObject
{
    Q_OBJECT
public:
    TCanvasController(QWidget *parent, const TXPColorMap &map, TCanvasHost &host);
    ~TCanvasController() override;

    // The net shown; none in the empty frame.
    void SetNet(TPetryNet *net)
    {
        Net = net;
        ScreenStale = true;
    }
    // The canvas widget, with its scroll bars and the properties button.
    TGKPanel *Area() const { return DocArea; }
    TGKSpeedButton *PropertiesButton() const { return PropCall; }
    // The empty frame has no scroll bars.
    void SetScrollBarsVisible(bool visible);

    TInstrument Instrument() const { return CurrentInstrument; }
    void SetInstrument(TInstrument instrument) { CurrentInstrument = instrument; }

    void LayoutSheet(int width, int height);
    // Composes again what the net reports changed since the last composition
    // (all of it when the net cannot say, or the picture is out of date) and
    // shows it.
    void RepaintCanvas();
    // Composes the whole picture again and shows it.
    void RedrawCanvas();
    // Scrolls the sheet by one step per axis (-1, 0, 1); answers the steps taken.
    QPoint ScrollCanvasBy(int dx, int dy);

    void DocAreaMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p);
    void DocAreaMouseMove(QPoint p);
    void DocAreaMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p);
    // Ends a drag, rubber band or arc in progress; its release is then ignored.
    void EndCanvasGesture();
    // Whether a button is down or a gesture holds the mouse.
    bool InGesture() const { return CaptureOn || Pressed; }
    bool Capturing() const { return CaptureOn; }
    bool ButtonPressed() const { return Pressed; }

    // The point of the last right click, where the popup commands act, and
    // whether the next paste goes there.
    QPoint ClickPoint() const { return Click; }
    QPoint TrackPoint() const { return Track; }
    bool PasteAtPoint() const { return PasteAtClick; }
    void SetClickPoint(QPoint point, bool pasteThere);
    // Answers whether the paste goes to the click point, once.
    bool TakePasteAtPoint();

    // The picture the canvas shows; gesture feedback is inverted onto it.
    const QImage &CanvasScreen() const { return Screen; }
    // Shows a canvas popup at a global point and waits until it closes;
    // tests replace it to see which popup opens where.
    std::function<void(QMenu *popup, QPoint globalPos)> ShowCanvasPopup;

    bool CanvasHints() const { return HintsOn; }
    void SetCanvasHints(bool on);
    // The hint of the element at a canvas point; empty where none is shown.
    QString CanvasHintText(QPoint p) const;
    // Milliseconds between two compositions of a shown hint.
    int CanvasHintInterval() const;

private:
    void Build(QWidget *parent, const TXPColorMap &map);
    void InstallCanvasHandlers();
    void LayoutCanvasChildren();
    bool HasNet() const { return Net != nullptr; }
    void DownScrollBarScroll(int position);
    void RightScrollBarScroll(int position);
    void DocContentPaint(TGKPanel *panel);
    void ComposeCanvas();
    // Composes the part r of Screen again, with the gesture feedback that
    // crosses it.
    void ComposeArea(const QRect &r);
    // Composes the part r of the picture onto p.
    void ComposeRect(QPainter &p, const QRect &r) const;
    // Moves the picture with the sheet and draws only what came into view.
    void ScrollScreen(QPoint shift);
    void DrawGestureFeedback(QPainter &canvas);
    void DrawBand(QPainter &canvas);
    void StartCapture();
    void StopCapture();
    // Paints onto Screen (composed first when stale) and shows the result.
    void OnScreen(const std::function<void(QPainter &)> &paint);
    void ShowCanvasHint(QPoint p, QPoint globalPos);
    void HintTimerTimer();

    TCanvasHost &Host;
    TPetryNet *Net = nullptr;
    TInstrument CurrentInstrument = TInstrument::Selection;
    bool CaptureOn = false;
    bool Pressed = false;
    bool PasteAtClick = false;
    QPoint Click;
    QPoint Track;

    QImage Screen;
    QPainter *ScreenPainter = nullptr;
    bool ScreenStale = true;
    bool BandShown = false;
    bool HintsOn = true;
    QPoint HintPoint;
    QTimer *HintTimer = nullptr;

    TGKPanel *DocArea = nullptr;
    TGKPanel *DSBPanel = nullptr;
    QScrollBar *DownScrollBar = nullptr;
    TGKPanel *RSBPanel = nullptr;
    QScrollBar *RightScrollBar = nullptr;
    TGKSpeedButton *PropCall = nullptr;
};
