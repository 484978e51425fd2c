#include "Application.h"

#include "DesktopSession.h"
#include "MainUnit.h"
#include "SingleInstance.h"
#include "SpalshUnit.h"
#include "TerminationSignals.h"
#include "TestReport.h"
#include "controls/MenuImages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QTranslator>
#include <QSettings>
#include <QThread>

namespace {
// The files named on the command line; Qt has taken its own options out.
QStringList CommandLineFiles(const QStringList &arguments)
{
    QStringList files;
    for (const QString &a : arguments.mid(1))
        if (!a.isEmpty() && !a.startsWith(QLatin1Char('-')))
            files.append(QDir::cleanPath(QDir::current().absoluteFilePath(a)));
    return files;
}
} // namespace

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
    // The documents are written for recovery first: the next start offers them.
    if (mainForm && mainForm->Session)
        mainForm->Session->WriteCopiesBeforeExit();
    TPrompter &prompter = mainForm ? mainForm->Prompter() : static_cast<TPrompter &>(fallback);
    prompter.MessageBox(nullptr, InternalErrorText(), DocTexts::AppTitle(), QMessageBox::Ok, QMessageBox::Critical,
                        QMessageBox::Ok);
    // No document is asked about: their recovery copies are kept.
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

    const QStringList files = CommandLineFiles(app.arguments());
    TSingleInstance guard;
    if (!guard.Claim()) {
        TSingleInstance::WakeRunningInstance(guard.Key(), 3000, files);
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

    // ~/.config/petrinets/petrinets.conf: the program has no organisation name.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("petrinets"),
                       QStringLiteral("petrinets"));
    TAppMainForm mainForm(TestReport::MakePrompter());
    TDesktopSession session(mainForm, settings);
    mainForm.Session = &session;
    QObject::connect(&guard, &TSingleInstance::WakeUpRequested, &mainForm, &TAppMainForm::MarkWakeUp);
    QObject::connect(&guard, &TSingleInstance::FilesRequested, &mainForm, &TAppMainForm::OpenFiles);
    // Ended from outside (logout, kill): unsaved nets are kept for the next start.
    TTerminationSignals termination;
    QObject::connect(&termination, &TTerminationSignals::Requested, &mainForm, [&] {
        session.WriteCopiesBeforeExit();
        mainForm.EndApplication();
        QCoreApplication::exit(0);
    });
    session.Start(files);
    const int result = app.exec();
    mainForm.Session = nullptr;
    return result;
}
