#include "Application.h"

#include "MainUnit.h"
#include "SingleInstance.h"
#include "SpalshUnit.h"
#include "controls/MenuImages.h"

#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QTranslator>
#include <QThread>

TPetriApplication::TPetriApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("petrinets"));
    setQuitOnLastWindowClosed(false);
}

bool TPetriApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ApplicationEventsException();
    }
    return false;
}

void TPetriApplication::ApplicationEventsException()
{
    if (Failing)
        return;
    Failing = true;
    TDialogPrompter fallback;
    TAppMainForm *mainForm = TAppMainForm::Instance();
    TPrompter &prompter = mainForm ? mainForm->Prompter() : static_cast<TPrompter &>(fallback);
    prompter.MessageBox(nullptr, InternalErrorText(), DocTexts::AppTitle(), QMessageBox::Ok, QMessageBox::Critical,
                        QMessageBox::Ok);
    // Unsaved changes are lost: no document is asked about.
    if (mainForm)
        mainForm->EndApplication();
    exit(1);
}

int TPetriApplication::Run(int &argc, char **argv)
{
    TPetriApplication app(argc, argv);
    InitUiResources();
    // Qt's own texts (file dialogs, standard buttons) in Russian, like the rest of the program.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    app.setWindowIcon(AppImage());

    TSingleInstance guard;
    if (!guard.Claim()) {
        TSingleInstance::WakeRunningInstance(guard.Key());
        return 0;
    }
    if (SplashDelayMs > 0) {
        TSplashForm splash;
        splash.show();
        splash.repaint();
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < SplashDelayMs) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
            QThread::msleep(10);
        }
    }

    TAppMainForm mainForm;
    QObject::connect(&guard, &TSingleInstance::WakeUpRequested, &mainForm, &TAppMainForm::MarkWakeUp);
    return app.exec();
}
