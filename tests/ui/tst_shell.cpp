#include "UiFixtures.h"
#include "app/SingleInstance.h"
#include "app/SpalshUnit.h"
#include "controls/GKActnCtrls.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
struct TFixture : TShellFixture
{
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

// The Окно menu from the own entry on.
QStringList WindowList(TDocForm *d)
{
    QStringList names{d->Commands().ActionWndMe->text()};
    for (QAction *a : d->WindowEntries())
        names << a->text();
    return names;
}
} // namespace

class TShellTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStart();
    void windowMenusAcrossThreeDocuments();
    void windowEntryShowsItsDocument();
    void nextAndPreviousWrap();
    void closeLastByCommandLeavesEmptyFrame();
    void closeLastWithCloseBoxEnds();
    void closeAsksOnlyAboutUnsavedChanges();
    void exitCancelledAtFirstDocument();
    void exitAfterAllAgreed();
    void saveAllFollowsEveryDocument();
    void saveUnderNewNameRetitles();
    void floatingBarsOfInactiveWindowHide();
    void splashPictureDecodes();
    void secondStartWakesFirst();
};

void TShellTest::firstStart()
{
    TFixture f;
    QCOMPARE(f.Shell->DocumentCount(), 1);
    TDocForm *d = f.Doc(0);
    QCOMPARE(d->windowTitle(), u"СетьПетри1 - Сети Петри"_s);
    QCOMPARE(d->GetNet()->FileName, u"СетьПетри1.qvx"_s);
    QCOMPARE(d->GetNet()->GetTitle(), u"СетьПетри1"_s);
    QCOMPARE(Drv(d).WindowMenu()->actions().constLast(), d->Commands().ActionWndMe);
    QCOMPARE(d->Commands().ActionWndMe->text(), u"СетьПетри1"_s);
    QVERIFY(d->Commands().ActionWndMe->isChecked());
    QCOMPARE(f.Shell->NextUntitledNumber, 2);
    QCOMPARE(f.Shell->Caption(), u"Сети Петри - ApplicationForm"_s);
}

void TShellTest::windowMenusAcrossThreeDocuments()
{
    TFixture f;
    f.Shell->NewDocument();
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1), *c = f.Doc(2);
    QCOMPARE(b->windowTitle(), u"СетьПетри2 - Сети Петри"_s);
    QCOMPARE(WindowList(a), (QStringList{u"СетьПетри1"_s, u"СетьПетри2"_s, u"СетьПетри3"_s}));
    QCOMPARE(WindowList(b), (QStringList{u"СетьПетри2"_s, u"СетьПетри1"_s, u"СетьПетри3"_s}));
    QCOMPARE(WindowList(c), (QStringList{u"СетьПетри3"_s, u"СетьПетри1"_s, u"СетьПетри2"_s}));

    // Closing the middle one takes its entries away; numbering goes on.
    QPointer<TDocForm> gone = b;
    b->Execute(b->Commands().ActionWindowClose);
    TFixture::Flush();
    QVERIFY(!gone);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    QCOMPARE(WindowList(a), (QStringList{u"СетьПетри1"_s, u"СетьПетри3"_s}));
    QCOMPARE(WindowList(c), (QStringList{u"СетьПетри3"_s, u"СетьПетри1"_s}));
    f.Shell->NewDocument();
    TDocForm *d = f.Doc(2);
    QCOMPARE(d->windowTitle(), u"СетьПетри4 - Сети Петри"_s);
    QCOMPARE(WindowList(d), (QStringList{u"СетьПетри4"_s, u"СетьПетри1"_s, u"СетьПетри3"_s}));
    QCOMPARE(WindowList(a), (QStringList{u"СетьПетри1"_s, u"СетьПетри3"_s, u"СетьПетри4"_s}));
    QVERIFY(f.Prompts->Asked.isEmpty());
}

void TShellTest::windowEntryShowsItsDocument()
{
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1);
    b->showMinimized();
    a->WindowEntries().constFirst()->trigger();
    QVERIFY(!b->isMinimized());
    QTRY_COMPARE(f.Shell->ActiveDocument.data(), b);
}

void TShellTest::nextAndPreviousWrap()
{
    TFixture f;
    TDocForm *a = f.Doc(0);
    a->UpdateActions();
    QVERIFY(!a->Commands().ActionWindowNext->isEnabled());
    QVERIFY(!a->Commands().ActionWindowPrev->isEnabled());
    f.Shell->NewDocument();
    f.Shell->NewDocument();
    TDocForm *b = f.Doc(1), *c = f.Doc(2);
    QVERIFY(a->Commands().ActionWindowNext->isEnabled());
    QVERIFY(a->Commands().ActionWindowPrev->isEnabled());
    c->Execute(c->Commands().ActionWindowNext);
    QTRY_COMPARE(f.Shell->ActiveDocument.data(), a);
    a->Execute(a->Commands().ActionWindowPrev);
    QTRY_COMPARE(f.Shell->ActiveDocument.data(), c);
    c->Execute(c->Commands().ActionWindowPrev);
    QTRY_COMPARE(f.Shell->ActiveDocument.data(), b);
    b->Execute(b->Commands().ActionWindowNext);
    QTRY_COMPARE(f.Shell->ActiveDocument.data(), c);
}

void TShellTest::closeLastByCommandLeavesEmptyFrame()
{
    TFixture f;
    TDocForm *d = f.Doc(0);
    QVERIFY(QTest::qWaitForWindowExposed(d));
    d->Execute(d->Commands().ActionWindowClose);
    TFixture::Flush();
    QCOMPARE(f.Ended, 0);
    QCOMPARE(f.Shell->DocumentCount(), 0);
    QVERIFY(d->isVisible());
    QVERIFY(d->IsEmptyFrame());
    QVERIFY(!d->GetNet());
    QCOMPARE(d->windowTitle(), u"Сети Петри"_s);
    QCOMPARE(d->Commands().ActionWndMe->text(), u"Нет"_s);
    QCOMPARE(Drv(d).SelectionInfo()->Caption(), u"0 из 0(0, 0, 0) элементов выбрано."_s);
    QVERIFY(!Drv(d).SelectionInfo()->isEnabled());
    QVERIFY(!Drv(d).InfoPanel()->isEnabled());
    QCOMPARE(Drv(d).InfoPanel()->Caption(), QString());
    QVERIFY(!Drv(d).DSBPanel()->isVisible());
    QVERIFY(!Drv(d).RSBPanel()->isVisible());
    QVERIFY(!Drv(d).MainMenuBar()->HasCloseButton());
    QVERIFY(!d->Commands().ActionWindowClose->isEnabled());
    const QImage canvas = Drv(d).DocArea()->grab().toImage();
    QCOMPARE(canvas.pixelColor(canvas.width() / 2, canvas.height() / 2), AppWorkspaceColor());

    // New fills this same window again.
    d->Execute(d->Commands().ActionFileNew);
    QCOMPARE(f.Shell->DocumentCount(), 1);
    QCOMPARE(f.Doc(0), d);
    QVERIFY(!d->IsEmptyFrame());
    QCOMPARE(d->windowTitle(), u"СетьПетри2 - Сети Петри"_s);
    QVERIFY(Drv(d).SelectionInfo()->isEnabled());
    QVERIFY(Drv(d).DSBPanel()->isVisible());
    QVERIFY(Drv(d).MainMenuBar()->HasCloseButton());
    QVERIFY(d->Commands().ActionWindowClose->isEnabled());
}

void TShellTest::closeLastWithCloseBoxEnds()
{
    TFixture f;
    f.Shell->NewDocument();
    QPointer<TDocForm> a = f.Doc(0), b = f.Doc(1);
    a->GetNet()->AddPlace(100, 100);
    f.Prompts->Answers = {QMessageBox::No};
    QVERIFY(a->close());
    TFixture::Flush();
    QVERIFY(!a);
    QCOMPARE(f.Ended, 0);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QVERIFY(b->close());
    QCOMPARE(f.Ended, 1);
    TFixture::Flush();
    QVERIFY(!b);

    // The empty frame's close box ends the application too.
    TFixture g;
    QPointer<TDocForm> frame = g.Doc(0);
    frame->CloseDocument();
    QVERIFY(frame->IsEmptyFrame());
    QVERIFY(frame->close());
    QCOMPARE(g.Ended, 1);
}

void TShellTest::closeAsksOnlyAboutUnsavedChanges()
{
    TFixture f;
    f.Shell->NewDocument();
    f.Shell->NewDocument();
    TDocForm *second = f.Doc(1);
    second->CloseDocument();
    QVERIFY(f.Prompts->Asked.isEmpty());
    TDocForm *third = f.Doc(1);
    third->GetNet()->AddPlace(100, 100);
    f.Prompts->Answers = {QMessageBox::Cancel};
    third->CloseDocument();
    QCOMPARE(f.Prompts->Asked.size(), 1);
    const TTestPrompter::TQuestion &q = f.Prompts->Asked[0];
    QCOMPARE(q.Text, u"Сохранить изменения в документе СетьПетри3?    "_s);
    QCOMPARE(q.Caption, u"Сети Петри"_s);
    QCOMPARE(q.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(q.Icon, QMessageBox::Warning);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    QVERIFY(!third->ClosingByCommand());

    // Yes with a cancelled file dialog keeps the document too.
    f.Prompts->Answers = {QMessageBox::Yes};
    third->CloseDocument();
    QCOMPARE(f.Prompts->DialogTitles, QStringList{u"Сохранить как..."_s});
    QCOMPARE(f.Shell->DocumentCount(), 2);
}

void TShellTest::exitCancelledAtFirstDocument()
{
    TFixture f;
    f.Shell->NewDocument();
    f.Doc(0)->GetNet()->AddPlace(100, 100);
    f.Doc(1)->GetNet()->AddPlace(100, 100);
    f.Prompts->Answers = {QMessageBox::Cancel, QMessageBox::No};
    f.Doc(1)->Execute(f.Doc(1)->Commands().ActionFileExit);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Text, u"Сохранить изменения в документе СетьПетри1?    "_s);
    QCOMPARE(f.Ended, 0);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    QVERIFY(f.Doc(0)->isVisible() && f.Doc(1)->isVisible());
}

void TShellTest::exitAfterAllAgreed()
{
    TFixture f;
    f.Shell->NewDocument();
    QPointer<TDocForm> a = f.Doc(0), b = f.Doc(1);
    a->GetNet()->AddPlace(100, 100);
    b->GetNet()->AddPlace(100, 100);
    f.Prompts->Answers = {QMessageBox::No, QMessageBox::No};
    f.Shell->ExitApplication();
    QCOMPARE(f.Prompts->Asked.size(), 2);
    QCOMPARE(f.Ended, 1);
    TFixture::Flush();
    QVERIFY(!a && !b);
}

void TShellTest::saveAllFollowsEveryDocument()
{
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1);
    a->UpdateActions();
    QVERIFY(!a->Commands().ActionFileSaveAll->isEnabled());
    b->GetNet()->AddPlace(100, 100);
    QVERIFY(f.Shell->HasUnsavedDocuments());
    a->UpdateActions();
    QVERIFY(a->Commands().ActionFileSaveAll->isEnabled());
}

void TShellTest::saveUnderNewNameRetitles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TFixture f;
    f.Shell->NewDocument();
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1), *c = f.Doc(2);
    b->GetNet()->AddPlace(100, 100);
    f.Prompts->SaveNames = {dir.filePath(u"Моя сеть.qvx"_s)};
    b->Execute(b->Commands().ActionFileSave);
    QCOMPARE(b->windowTitle(), u"Моя сеть - Сети Петри"_s);
    QCOMPARE(b->Commands().ActionWndMe->text(), u"Моя сеть"_s);
    QVERIFY(!b->NeedsSaveAs());
    QCOMPARE(WindowList(a), (QStringList{u"СетьПетри1"_s, u"Моя сеть"_s, u"СетьПетри3"_s}));
    QCOMPARE(WindowList(c), (QStringList{u"СетьПетри3"_s, u"СетьПетри1"_s, u"Моя сеть"_s}));
    b->UpdateActions();
    QVERIFY(!b->Commands().ActionFileSave->isEnabled());
}

void TShellTest::floatingBarsOfInactiveWindowHide()
{
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1);
    a->FormActivate();
    Drv(a).NetToolBar()->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    Drv(a).NetToolBar()->show();
    QVERIFY(Drv(a).NetToolBar()->isFloating());
    b->FormActivate();
    QVERIFY(Drv(a).NetToolBar()->isHidden());
    QCOMPARE(f.Shell->ActiveDocument.data(), b);
    a->FormActivate();
    QVERIFY(!Drv(a).NetToolBar()->isHidden());
}

void TShellTest::splashPictureDecodes()
{
    const QImage picture = TSplashForm::LoadPicture();
    QCOMPARE(picture.size(), QSize(400, 300));
    TSplashForm splash;
    QCOMPARE(splash.size(), QSize(400, 300));
    QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
}

void TShellTest::secondStartWakesFirst()
{
    TSingleInstance guard;
    if (!guard.Claim())
        QSKIP("The editor already runs for this user");
    TFixture f;
    TDocForm *d = f.Doc(0);
    d->FormActivate();
    connect(&guard, &TSingleInstance::WakeUpRequested, f.Shell.get(), &TAppMainForm::MarkWakeUp);
    d->showMinimized();
    QVERIFY(d->isMinimized());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    second.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(PETRI_APP_PATH), {});
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    // It ended without showing the splash.
    QVERIFY2(clock.elapsed() < 1900, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY(!d->isMinimized());
    QCOMPARE(f.Shell->ApplicationTitle, u"Сети Петри"_s);
    QCOMPARE(f.Shell->DocumentCount(), 1);
}

QTEST_MAIN(TShellTest)
#include "tst_shell.moc"
