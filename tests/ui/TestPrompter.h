#pragma once

#include "doc/DocShell.h"

#include <QList>
#include <QStringList>

// Answers message boxes and file dialogs from a script and records what was asked.
class TTestPrompter : public TPrompter
{
public:
    struct TQuestion
    {
        QString Text;
        QString Caption;
        QMessageBox::StandardButtons Buttons;
        QMessageBox::Icon Icon;
        QMessageBox::StandardButton Default;
    };

    QMessageBox::StandardButton MessageBox(QWidget *, const QString &text, const QString &caption,
                                           QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                           QMessageBox::StandardButton defaultButton) override
    {
        Asked.append({text, caption, buttons, icon, defaultButton});
        return Answers.isEmpty() ? Unscripted : Answers.takeFirst();
    }
    QString OpenFileName(QWidget *, const QString &title, const QString &) override
    {
        DialogTitles << title;
        return OpenNames.isEmpty() ? QString() : OpenNames.takeFirst();
    }
    QString SaveFileName(QWidget *, const QString &title, const QString &) override
    {
        DialogTitles << title;
        return SaveNames.isEmpty() ? QString() : SaveNames.takeFirst();
    }

    QList<TQuestion> Asked;
    QList<QMessageBox::StandardButton> Answers;
    // The answer once Answers has run out.
    QMessageBox::StandardButton Unscripted = QMessageBox::Cancel;
    QStringList OpenNames;
    QStringList SaveNames;
    QStringList DialogTitles;
};
