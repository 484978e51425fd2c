#include "MenuImages.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void InitResourcesOnce()
{
    Q_INIT_RESOURCE(petri_ui);
}

void InitUiResources()
{
    static const bool done = (InitResourcesOnce(), true);
    Q_UNUSED(done);
}

namespace {
// Renders the picture at each size itself, so no icon engine plugin is needed.
QIcon RenderIcon(const QString &path, std::initializer_list<int> sizes)
{
    InitUiResources();
    QSvgRenderer renderer(path);
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

QIcon MenuImage(int index)
{
    static QHash<int, QIcon> cache;
    if (index < 0 || index >= MenuImageCount)
        return {};
    auto it = cache.find(index);
    if (it == cache.end())
        it = cache.insert(index, RenderIcon(QStringLiteral(":/icons/%1.svg").arg(index, 2, 10, QLatin1Char('0')),
                                            {16, 24, 32, 48}));
    return *it;
}

QIcon AppImage()
{
    static const QIcon icon = RenderIcon(QStringLiteral(":/icons/app.svg"), {16, 24, 32, 48, 64, 128, 256});
    return icon;
}

QIcon DocumentImage()
{
    static const QIcon icon = RenderIcon(QStringLiteral(":/icons/document.svg"), {16, 24, 32, 48, 64});
    return icon;
}
