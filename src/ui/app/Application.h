#pragma once

#include <QApplication>

// The application object: start-up, and the last resort for errors that no
// handler caught.
class TPetriApplication : public QApplication
{
public:
    TPetriApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The whole program: guard, splash, document manager, message loop.
    static int Run(int &argc, char **argv);
    // How long the splash stays up.
    static inline int SplashDelayMs = 2000;

    static QString InternalErrorText() { return QStringLiteral("Внутренняя ошибка. Приложение будет закрыто."); }

private:
    void ApplicationEventsException();
    bool Failing = false;
};
