#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A panel whose painting can be taken over by OnPaint and whose background
// erasing can be switched off (the canvas paints everything itself).
class TGKPanel : public QWidget
{
    Q_OBJECT
public:
    enum TBevel { BevelNone, BevelRaised, BevelLowered };
    using TPaintEvent = std::function<void(TGKPanel *)>;

    explicit TGKPanel(QWidget *parent = nullptr);

    TPaintEvent OnPaint;
    // The painter of the running paint event; null outside painting.
    QPainter *Canvas() const { return CurrentCanvas; }
    bool EraseBackground() const { return Erase; }
    void SetEraseBackground(bool value);
    QColor Color() const { return PanelColor; }
    void SetColor(const QColor &color);
    QColor FontColor() const { return TextColor; }
    void SetFontColor(const QColor &color);
    QString Caption() const { return Text; }
    void SetCaption(const QString &text);
    void SetBevel(TBevel bevel);
    // A one-pixel sunken border, as the canvas has.
    void SetSingleBorder(bool value);
    bool SingleBorder() const { return Border; }

signals:
    void Resized(QSize size);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPainter *CurrentCanvas = nullptr;
    bool Erase = true;
    bool Border = false;
    TBevel Bevel = BevelNone;
    QColor PanelColor;
    QColor TextColor = Qt::black;
    QString Text;
};

#include <QSizeGrip>

// The size grip of the status line: a triangle of small raised dots.
class TGKGripper : public QSizeGrip
{
public:
    explicit TGKGripper(QWidget *parent);
    QColor Color = QColor(212, 208, 200);

protected:
    void paintEvent(QPaintEvent *event) override;
};
