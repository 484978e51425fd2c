// The program on the user's desktop: redo, the recent files, files handed to
// the program, and recovery copies, in process and between real processes.
#include "UiFixtures.h"

#include "PetryNet.h"
#include "RecoveryStore.h"
#include "app/DesktopSession.h"
#include "doc/DocCommands.h"

#include <QMenu>
#include <QProcess>
#include <QSplitter>
#include <QSettings>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {
QString Copy(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(PETRI_TEST_DATA "/sample.qvx"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QStringList Titles(const TAppMainForm &shell)
{
    QStringList titles;
    for (TDocForm *d : shell.Documents)
        titles << d->windowTitle();
    return titles;
}

// The real program in a private home, socket folder and settings, so a
// running editor of the user and remembered windows play no part.
struct TProgram
{
    explicit TProgram(const QTemporaryDir &home)
        : Report(home.filePath(u"report.txt"_s))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(name), home.path());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"PETRINETS_TEST_REPORT"_s, Report);
        env.insert(u"PETRINETS_AUTOSAVE_MS"_s, u"200"_s);
        Process.setProcessEnvironment(env);
        Process.setWorkingDirectory(home.path());
    }
    ~TProgram()
    {
        Process.kill();
        Process.waitForFinished();
    }
    QString ReadReport() const
    {
        QFile file(Report);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString Report;
    QProcess Process;
};
} // namespace

class TDesktopWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void redo_data();
    void redo();
    void filesAndRecentFiles();
    void recoveredDocumentSavesToItsFile();
    void handOverBetweenProcesses();
    void recoveryAfterKill_data();
    void recoveryAfterKill();
};

void TDesktopWindowTest::redo_data()
{
    QTest::addColumn<int>("undos");
    QTest::addColumn<bool>("changeAfterUndo");
    QTest::addColumn<bool>("modelling");
    QTest::addColumn<bool>("redoEnabled");
    QTest::newRow("as deep as undo") << 3 << false << false << true;
    QTest::newRow("one step back") << 1 << false << false << true;
    QTest::newRow("nothing undone") << 0 << false << false << false;
    QTest::newRow("a new change clears it") << 2 << true << false << false;
    QTest::newRow("disabled while modelling") << 2 << false << true << false;
}

void TDesktopWindowTest::redo()
{
    QFETCH(int, undos);
    QFETCH(bool, changeAfterUndo);
    QFETCH(bool, modelling);
    QFETCH(bool, redoEnabled);
    TShellFixture f;
    TDocForm *w = f.Doc();
    const TDocCommands &c = w->Commands();
    w->GetNet()->AddTransition(300, 300); // lets modelling start
    for (int i = 0; i < 3; ++i)
        w->Execute(c.ActionNetCreatePos);
    for (int i = 0; i < undos; ++i)
        w->Execute(c.ActionEditUndo);
    if (changeAfterUndo)
        w->Execute(c.ActionNetCreateTransfer);
    if (modelling)
        w->Execute(c.ActionModelingStart);
    QCOMPARE(w->GetNet()->Modelling, modelling);
    w->UpdateActions();
    QCOMPARE(c.ActionEditRedo->isEnabled(), redoEnabled);
    if (!redoEnabled)
        return;
    QCOMPARE(w->GetNet()->PlaceCount(), 3 - undos);
    w->GetNet()->Saved = true;
    for (int i = 0; i < undos; ++i)
        w->Execute(c.ActionEditRedo);
    QCOMPARE(w->GetNet()->PlaceCount(), 3);
    QVERIFY(!w->GetNet()->Saved);
    QVERIFY(!c.ActionEditRedo->isEnabled());
    QVERIFY(c.ActionEditUndo->isEnabled());
}

void TDesktopWindowTest::filesAndRecentFiles()
{
    QTemporaryDir dir;
    const QString a = Copy(dir, u"a.qvx"_s), b = Copy(dir, u"b.qvx"_s);
    QDir().mkpath(dir.filePath(u"sub"_s));
    QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
    TShellFixture f;
    f.Prompts->Unscripted = QMessageBox::Ok;
    TDesktopSession session(*f.Shell, settings, dir.filePath(u"recovery"_s));
    f.Shell->Session = &session;
    // A missing file is reported and the rest still open; a file named again
    // by another path is brought to the front, not opened twice.
    session.Start({a, dir.filePath(u"missing.qvx"_s), b, dir.filePath(u"sub/../a.qvx"_s)});
    QCOMPARE(Titles(*f.Shell), (QStringList{u"СетьПетри1 - Сети Петри"_s, u"a - Сети Петри"_s, u"b - Сети Петри"_s}));
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Caption, u"Ошибка открытия"_s);
    QCOMPARE(f.Shell->ActiveDocument.data(), f.Doc(1));
    QCOMPARE(session.RecentFiles(), (QStringList{b, a}));

    auto *menu = f.Doc(0)->findChild<QMenu *>(u"RecentFilesMenu"_s);
    QVERIFY(menu);
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions()[0]->text(), u"&1 "_s + b);
    // A file gone since is dropped with a message when chosen.
    QFile::remove(b);
    menu->actions()[0]->trigger();
    QCOMPARE(f.Prompts->Asked.size(), 2);
    QCOMPARE(f.Prompts->Asked[1].Caption, u"Последние файлы"_s);
    QCOMPARE(session.RecentFiles(), QStringList{a});
    QCOMPARE(f.Shell->DocumentCount(), 3);

    // The last window's size and side-panel width are those of the next one.
    TDocForm *last = f.Doc(2);
    last->resize(700, 420);
    auto *splitter = last->findChild<QSplitter *>(u"Splitter"_s);
    splitter->setSizes({150, 550});
    const QList<int> widths = splitter->sizes();
    last->CloseDocument();
    f.Shell->NewDocument();
    TDocForm *next = f.Shell->Documents.last();
    QCOMPARE(next->size(), QSize(700, 420));
    QCOMPARE(next->findChild<QSplitter *>(u"Splitter"_s)->sizes(), widths);
    f.Shell->Session = nullptr;
}

void TDesktopWindowTest::recoveredDocumentSavesToItsFile()
{
    QTemporaryDir dir;
    const QString a = Copy(dir, u"a.qvx"_s);
    QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
    const QString folder = dir.filePath(u"recovery"_s);
    QByteArray edited;
    {
        // A run that edits a file and an untitled net, then ends without saving.
        TShellFixture f;
        TDesktopSession session(*f.Shell, settings, folder);
        f.Shell->Session = &session;
        session.Start({a});
        for (TDocForm *d : f.Shell->Documents)
            d->Execute(d->Commands().ActionNetCreatePos);
        edited = f.Doc(1)->GetNet()->SaveToBytes();
        session.WriteCopiesBeforeExit();
        f.Shell->Session = nullptr;
    }
    QCOMPARE(TRecoveryStore(folder).Entries().size(), 2);

    TShellFixture f;
    f.Prompts->Answers = {QMessageBox::Yes};
    TDesktopSession session(*f.Shell, settings, folder);
    f.Shell->Session = &session;
    session.Start({});
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QVERIFY(f.Prompts->Asked[0].Text.startsWith(u"Восстановить несохранённые сети?\n\nСетьПетри1 — "_s));
    QVERIFY(f.Prompts->Asked[0].Text.contains(u"\na — "_s));
    QCOMPARE(f.Shell->DocumentCount(), 3);
    // The recovered untitled net does not repeat the title of the window opened at start.
    QStringList titles = Titles(*f.Shell);
    titles.removeDuplicates();
    QCOMPARE(titles.size(), 3);
    TDocForm *recovered = nullptr;
    for (TDocForm *d : f.Shell->Documents)
        if (d->windowTitle() == u"a - Сети Петри"_s)
            recovered = d;
    QVERIFY(recovered);
    QVERIFY(recovered->HasUnsavedChanges());
    QCOMPARE(recovered->GetNet()->FileName, a);
    recovered->Execute(recovered->Commands().ActionFileSave);
    QCOMPARE(f.Prompts->DialogTitles.size(), 0);
    QFile file(a);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), edited);
    // The saved document's copy goes; the untitled one's stays while unsaved.
    QTRY_COMPARE_WITH_TIMEOUT(TRecoveryStore(folder).Entries().size(), 1, 15000);
    QCOMPARE(TRecoveryStore(folder).Entries()[0].Title, u"СетьПетри1"_s);
    f.Shell->Session = nullptr;
}

void TDesktopWindowTest::handOverBetweenProcesses()
{
    QTemporaryDir home;
    const QString a = Copy(home, u"a.qvx"_s);
    QDir().mkpath(home.filePath(u"sub"_s));
    Copy(home, u"sub/b.qvx"_s);
    TProgram first(home);
    first.Process.start(QStringLiteral(PETRI_APP_PATH), {a});
    QVERIFY(first.Process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(first.ReadReport().contains(u"window|a - Сети Петри|saved"_s), 15000);

    // Relative names are the second start's; a file open already is not opened twice.
    TProgram second(home);
    second.Process.setWorkingDirectory(home.filePath(u"sub"_s));
    second.Process.start(QStringLiteral(PETRI_APP_PATH), {u"b.qvx"_s, u"../a.qvx"_s, u"gone.qvx"_s});
    QVERIFY(second.Process.waitForFinished(15000));
    QCOMPARE(second.Process.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(first.ReadReport().contains(u"window|b - Сети Петри|saved|"_s + home.filePath(u"sub/b.qvx"_s)),
                             15000);
    QTRY_VERIFY_WITH_TIMEOUT(first.ReadReport().contains(u"message|Ошибка открытия|"_s), 5000);
    const QString report = first.ReadReport();
    QCOMPARE(report.count(u"window|"_s), 3);
    QVERIFY2(report.contains(u"front|a - Сети Петри"_s), qPrintable(report));

    // An old-style wake-up without files still works.
    TProgram third(home);
    third.Process.start(QStringLiteral(PETRI_APP_PATH), {});
    QVERIFY(third.Process.waitForFinished(15000));
    QCOMPARE(third.Process.exitCode(), 0);
    QCOMPARE(first.Process.state(), QProcess::Running);
}

void TDesktopWindowTest::recoveryAfterKill_data()
{
    QTest::addColumn<bool>("asked");
    // SIGKILL: nothing of the program runs any more; the periodic copy is what is left.
    QTest::newRow("killed") << false;
    // SIGTERM (logout, kill): the program writes its copies before it ends.
    QTest::newRow("terminated") << true;
}

void TDesktopWindowTest::recoveryAfterKill()
{
    QFETCH(bool, asked);
    QTemporaryDir home;
    const QString a = Copy(home, u"a.qvx"_s);
    {
        TProgram first(home);
        QProcessEnvironment env = first.Process.processEnvironment();
        env.insert(u"PETRINETS_TEST_EDIT"_s, u"1"_s);
        if (asked)
            env.insert(u"PETRINETS_AUTOSAVE_MS"_s, u"600000"_s);
        first.Process.setProcessEnvironment(env);
        first.Process.start(QStringLiteral(PETRI_APP_PATH), {a});
        QVERIFY(first.Process.waitForStarted());
        if (asked) {
            QTRY_VERIFY_WITH_TIMEOUT(first.ReadReport().contains(u"window|a - Сети Петри|unsaved"_s), 15000);
            QVERIFY(!first.ReadReport().contains(u"copy|a"_s));
            first.Process.terminate();
            QVERIFY(first.Process.waitForFinished(15000));
            QCOMPARE(first.Process.exitStatus(), QProcess::NormalExit);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(first.ReadReport().contains(u"copy|a"_s), 15000);
            first.Process.kill();
            QVERIFY(first.Process.waitForFinished());
            QCOMPARE(first.Process.exitStatus(), QProcess::CrashExit);
        }
    }
    QFile::remove(home.filePath(u"report.txt"_s));
    TProgram next(home);
    next.Process.start(QStringLiteral(PETRI_APP_PATH), {});
    QVERIFY(next.Process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(next.ReadReport().contains(u"window|a - Сети Петри|unsaved|"_s + a), 15000);
    QVERIFY(next.ReadReport().contains(u"message|Сети Петри|Восстановить несохранённые сети?||a — "_s));
}

QTEST_MAIN(TDesktopWindowTest)
#include "tst_desktopwindow.moc"
