#include "DocShell.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QStringList>

namespace {
// "Name (*.a)|*.a|All|*.*" pairs become the dialog's own filter lines.
QString DialogFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList lines;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains(QLatin1Char('(')))
            name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        lines << name;
    }
    return lines.join(QStringLiteral(";;"));
}
} // namespace

QMessageBox::StandardButton TDialogPrompter::MessageBox(QWidget *parent, const QString &text, const QString &caption,
                                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                                        QMessageBox::StandardButton defaultButton)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, caption, shown, buttons, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(defaultButton);
    if (QAbstractButton *b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("&Да"));
    if (QAbstractButton *b = box.button(QMessageBox::No))
        b->setText(QStringLiteral("&Нет"));
    if (QAbstractButton *b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("Отмена"));
    return QMessageBox::StandardButton(box.exec());
}

QString TDialogPrompter::OpenFileName(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), DialogFilter(filter), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString TDialogPrompter::SaveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    QFileDialog dialog(parent, title, QString(), DialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension takes the one of the chosen file type.
    auto followType = [&dialog](const QString &type) {
        const qsizetype star = type.indexOf(QStringLiteral("(*."));
        const QString suffix = star < 0 ? QString() : type.mid(star + 3).chopped(1);
        if (!suffix.isEmpty() && suffix != QLatin1String("*"))
            dialog.setDefaultSuffix(suffix);
    };
    followType(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followType);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
