#include "PropUnit.h"

#include "controls/MenuImages.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace {
QLabel *MakeLabel(QWidget *parent, const QString &text, int x, int y, int width = 80)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 16);
    return label;
}

QFrame *MakeRule(QWidget *parent, int y)
{
    auto *rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(12, y, 316, 2);
    return rule;
}
} // namespace

TPropForm::TPropForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    InitUiResources();
    setObjectName(QStringLiteral("PropForm"));
    // The fixed layout is made for a small 8-point font, as the document window's.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setWindowTitle(QStringLiteral("Свойства"));
    setFixedSize(358, 421);

    Pages = new QTabWidget(this);
    Pages->setGeometry(6, 6, 346, 374);

    GeneralPage = new QWidget;
    DocImage = new QLabel(GeneralPage);
    DocImage->setGeometry(14, 14, 32, 32);
    DocImage->setPixmap(DocumentImage().pixmap(32, 32));
    NameLabel = MakeLabel(GeneralPage, QString(), 64, 22, 260);
    MakeRule(GeneralPage, 58);
    TypeLabel = MakeLabel(GeneralPage, QStringLiteral("Тип:  документ сети Петри (*.qvx)"), 14, 72, 310);
    MakeRule(GeneralPage, 98);
    FolderCaption = MakeLabel(GeneralPage, QStringLiteral("Папка:"), 14, 112, 60);
    FolderLabel = new QLabel(GeneralPage);
    FolderLabel->setGeometry(78, 112, 246, 48);
    FolderLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FolderLabel->setWordWrap(true);
    FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SizeCaption = MakeLabel(GeneralPage, QStringLiteral("Размер:"), 14, 164, 60);
    SizeInfLabel = MakeLabel(GeneralPage, QString(), 78, 164, 246);

    DocumentPage = new QWidget;
    auto *nameCaption = MakeLabel(DocumentPage, QStringLiteral("&Название:"), 10, 12, 200);
    NameEdit = new QLineEdit(DocumentPage);
    NameEdit->setGeometry(10, 30, 320, 21);
    nameCaption->setBuddy(NameEdit);
    auto *authorCaption = MakeLabel(DocumentPage, QStringLiteral("&Автор:"), 10, 62, 200);
    AuthorEdit = new QLineEdit(DocumentPage);
    AuthorEdit->setGeometry(10, 80, 320, 21);
    authorCaption->setBuddy(AuthorEdit);
    auto *descriptionCaption = MakeLabel(DocumentPage, QStringLiteral("&Описание:"), 10, 112, 200);
    Description = new QPlainTextEdit(DocumentPage);
    Description->setGeometry(10, 130, 320, 206);
    Description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Description->setTabChangesFocus(true);
    descriptionCaption->setBuddy(Description);

    Pages->addTab(GeneralPage, QStringLiteral("Общие"));
    Pages->addTab(DocumentPage, QStringLiteral("Документ"));
    Pages->setCurrentWidget(DocumentPage);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setGeometry(196, 390, 75, 23);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    CancelButton->setGeometry(277, 390, 75, 23);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(NameEdit, AuthorEdit);
    setTabOrder(AuthorEdit, Description);
    setTabOrder(Description, OkButton);
    setTabOrder(OkButton, CancelButton);
}

void TPropForm::SetDocument(const QString &title, const QString &path)
{
    Title = title;
    Path = path;
}

QString TPropForm::SizeText(const QString &path)
{
    // Measured when the dialog opens, so the line tells what is on disk now.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return QStringLiteral("файл не найден");
    return QString::number(info.size()) + QStringLiteral(" байт.");
}

void TPropForm::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPropForm::FormShow()
{
    setWindowTitle(QStringLiteral("Свойства: ") + Title);
    const bool stored = !Path.isEmpty();
    for (QWidget *w : {static_cast<QWidget *>(DocImage), static_cast<QWidget *>(NameLabel),
                       static_cast<QWidget *>(FolderLabel), static_cast<QWidget *>(SizeInfLabel)})
        w->setVisible(stored);
    for (QWidget *w : {TypeLabel, FolderCaption, SizeCaption})
        w->setEnabled(stored);
    if (stored) {
        const QFileInfo info(Path);
        NameLabel->setText(Title);
        FolderLabel->setText(QDir::toNativeSeparators(info.absolutePath() + QLatin1Char('/')));
        SizeInfLabel->setText(SizeText(Path));
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    NameEdit->setFocus();
}
