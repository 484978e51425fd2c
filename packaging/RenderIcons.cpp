// Renders one SVG icon as the PNG sizes of the hicolor icon theme:
//   petri_render_icons icon.svg out-dir category name size...
// writes out-dir/<size>x<size>/<category>/<name>.png for each size.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    // The icons hold no text, so painting them needs no application object
    // and no display during the build.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() < 6) {
        std::fprintf(stderr, "usage: %s icon.svg out-dir category name size...\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    for (qsizetype i = 5; i < args.size(); ++i) {
        const int size = args[i].toInt();
        if (size <= 0 || size > 1024)
            return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/%3").arg(args[2]).arg(size).arg(args[3]);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args[4]);
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
