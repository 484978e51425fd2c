#include "SpalshUnit.h"

#include "controls/MenuImages.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

TSplashForm::TSplashForm(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , Image(LoadPicture())
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    const QSize size = Image.isNull() ? QSize(400, 300) : Image.size();
    setFixedSize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        move(desktop.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

QImage TSplashForm::LoadPicture()
{
    InitUiResources();
    QImageReader reader(QStringLiteral(":/splash.jpg"), "jpeg");
    return reader.read();
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (Image.isNull())
        p.fillRect(rect(), QColor(10, 36, 106));
    else
        p.drawImage(0, 0, Image);
}
