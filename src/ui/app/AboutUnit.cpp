#include "AboutUnit.h"

#include "controls/MenuImages.h"

#include <QFile>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSysInfo>

namespace {
QLabel *MakeLabel(QWidget *parent, const QString &text, int x, int y, int width)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 16);
    return label;
}

QFrame *MakeLine(QWidget *parent, QFrame::Shape shape, const QRect &geometry)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}
} // namespace

TAboutBoxForm::TAboutBoxForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    InitUiResources();
    setObjectName(QStringLiteral("AboutBoxForm"));
    // The fixed layout is made for a small 8-point font, as the document window's.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(375, 296);

    Picture = new QLabel(this);
    Picture->setGeometry(0, 0, 100, 300);
    QImageReader reader(QStringLiteral(":/about.jpg"), "jpeg");
    Picture->setPixmap(QPixmap::fromImage(reader.read()));
    MakeLine(this, QFrame::VLine, QRect(100, 0, 2, 296));

    TitleLabel = MakeLabel(this, QStringLiteral("Сети Петри, версия 1.0"), 107, 8, 260);
    QFont title = TitleLabel->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.5);
    TitleLabel->setFont(title);
    TitleLabel->setFixedHeight(24);
    auto *purpose = MakeLabel(this, QStringLiteral("Построение и моделирование работы сетей Петри."), 107, 36, 264);
    purpose->setWordWrap(true);
    purpose->setFixedHeight(28);

    auto *credits = new QPlainTextEdit(this);
    credits->setObjectName(QStringLiteral("Credits"));
    credits->setGeometry(103, 64, 268, 132);
    credits->setReadOnly(true);
    credits->setFrameShape(QFrame::NoFrame);
    credits->setFocusPolicy(Qt::NoFocus);
    credits->viewport()->setAutoFillBackground(false);
    credits->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    credits->setPlainText(QStringLiteral(
        "Учебная программа: сети из позиций, переходов и дуг с кратностями "
        "рисуются на листе и сохраняются в файлах .qvx.\n\n"
        "При моделировании разрешённые переходы срабатывают по выбору "
        "пользователя или автоматически, а программа строит дерево "
        "достижимых состояний."));

    MakeLine(this, QFrame::HLine, QRect(107, 200, 261, 2));
    Label3 = MakeLabel(this, QString(), 107, 209, 261);
    QLabel *memoryCaption = MakeLabel(this, QStringLiteral("Доступно физической памяти:"), 107, 225, 0);
    memoryCaption->resize(memoryCaption->sizeHint().width(), 16);
    // The amount takes the rest of the line, right-aligned to x = 368.
    const int amountLeft = memoryCaption->geometry().right() + 4;
    Label4 = MakeLabel(this, QString(), amountLeft, 225, 369 - amountLeft);
    // Centred vertically like its caption, so both sit on one line.
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label5 = MakeLabel(this, QString(), 107, 242, 261);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setGeometry(293, 266, 75, 23);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    // A long system line is shortened to the room it has; the whole of it is the tooltip.
    const QString system = SystemLine();
    Label3->setText(Label3->fontMetrics().elidedText(system, Qt::ElideRight, Label3->width()));
    Label3->setToolTip(system);
    const TMemoryStatus memory = MemoryStatus();
    Label4->setText(TotalMemoryText(memory.TotalPhys));
    Label5->setText(FreeMemoryText(memory.MemoryLoad));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
}

TAboutBoxForm::TMemoryStatus TAboutBoxForm::ParseMemInfo(const QByteArray &text)
{
    // Lines such as "MemTotal:  16318776 kB"; values are in kibibytes.
    quint64 total = 0, available = 0, free = 0, buffers = 0, cached = 0;
    bool hasAvailable = false;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const quint64 kib = value.trimmed().toULongLong(&ok);
        if (!ok)
            continue;
        if (key == "MemTotal")
            total = kib;
        else if (key == "MemAvailable") {
            available = kib;
            hasAvailable = true;
        } else if (key == "MemFree")
            free = kib;
        else if (key == "Buffers")
            buffers = kib;
        else if (key == "Cached")
            cached = kib;
    }
    TMemoryStatus status;
    if (total == 0)
        return status;
    if (!hasAvailable)
        available = free + buffers + cached;
    available = qMin(available, total);
    status.TotalPhys = total * 1024;
    status.MemoryLoad = int(((total - available) * 100 + total / 2) / total);
    return status;
}

TAboutBoxForm::TMemoryStatus TAboutBoxForm::MemoryStatus()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The file reports a size of 0; read it until its end.
    return ParseMemInfo(file.readAll());
}

QString TAboutBoxForm::SystemText(const QString &family, int major, int minor, const QString &servicePack,
                                  int build)
{
    return family + QLatin1Char(' ') + QStringLiteral("Версия %1.%2").arg(major).arg(minor) + QLatin1Char(' ') +
           servicePack + QLatin1Char(' ') + QStringLiteral("(Build %1)").arg(build);
}

QString TAboutBoxForm::SystemLine()
{
    // The kernel's family and version ("6.1.0-18-amd64": version 6.1, build 0),
    // then the distribution's short name and release ("Debian 12") in place
    // of a service pack: the long pretty name does not fit the line.
    QString family = QSysInfo::kernelType();
    if (family == QLatin1String("winnt"))
        family = QStringLiteral("Windows NT");
    else if (!family.isEmpty())
        family[0] = family[0].toUpper();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(QSysInfo::kernelVersion());
    QString distribution = QSysInfo::productType();
    if (!distribution.isEmpty())
        distribution[0] = distribution[0].toUpper();
    if (!QSysInfo::productVersion().isEmpty() && QSysInfo::productVersion() != QLatin1String("unknown"))
        distribution += QLatin1Char(' ') + QSysInfo::productVersion();
    return SystemText(family, m.captured(1).toInt(), m.captured(2).toInt(), distribution,
                      m.captured(3).toInt());
}

QString TAboutBoxForm::TotalMemoryText(quint64 totalPhys)
{
    return QString::number(totalPhys / 1024) + QStringLiteral(" K");
}

QString TAboutBoxForm::FreeMemoryText(int memoryLoad)
{
    return QStringLiteral("Свободно памяти:  ") + QString::number(100 - memoryLoad) + QLatin1Char('%');
}
