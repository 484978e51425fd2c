#pragma once

#include <QImage>
#include <QWidget>

// The start-up picture: borderless, on top of everything, centred on the desktop.
class TSplashForm : public QWidget
{
public:
    explicit TSplashForm(QWidget *parent = nullptr);
    const QImage &Picture() const { return Image; }
    // Decodes the splash JPEG from the resources.
    static QImage LoadPicture();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage Image;
};
