#pragma once

// Shared set-up of the window tests: the shell with its first document, and
// small helpers for typing and reading lists.

#include "DocDriver.h"
#include "TestPrompter.h"
#include "app/MainUnit.h"
#include "doc/DocForm.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>

#include <memory>

// The application shell as it starts, with one untitled document. Prompts are
// answered from the script in Prompts; ending the application is only counted.
struct TShellFixture
{
    TShellFixture()
    {
        auto prompter = std::make_unique<TTestPrompter>();
        Prompts = prompter.get();
        Shell = std::make_unique<TAppMainForm>(std::move(prompter));
        Shell->OnEnd = [this] { ++Ended; };
    }
    TShellFixture(const TShellFixture &) = delete;
    TShellFixture &operator=(const TShellFixture &) = delete;

    TDocForm *Doc(int i = 0) const { return Shell->DocumentAt(i); }

    TTestPrompter *Prompts = nullptr;
    std::unique_ptr<TAppMainForm> Shell;
    int Ended = 0;
};

// A file's bytes; empty when it cannot be read.
inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Shows a window and waits until it is the active one; for a dialog, what
// exec would do, without the modal loop.
inline void ShowActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Types text as key presses; QTest::keyClicks takes only ASCII.
inline void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(widget, &press);
    }
}

inline QStringList ListRows(const QAbstractItemView *list)
{
    QStringList rows;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        rows << list->model()->index(i, 0).data().toString();
    return rows;
}
