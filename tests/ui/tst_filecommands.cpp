#include "UiFixtures.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {
struct TFixture : TShellFixture
{
    // Closes the only document with the close command: the window stays as an empty frame.
    TDocForm *EmptyFrame()
    {
        TDocForm *w = Doc();
        w->GetNet()->Saved = true;
        w->Execute(w->Commands().ActionWindowClose);
        return w;
    }
};

// Runs a save while files may grow to at most limit bytes (root ignores
// folder permissions, but not this limit).
bool SaveWithFileLimit(TDocForm *w, rlim_t limit)
{
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = w->SaveDocument();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);
    return saved;
}

const QString OpenError = u"Невозможно открыть документ!\r\nФайл поврежден или имеет неправильный формат."_s;
const QString SaveError = u"Невозможно сохранить документ!"_s;
} // namespace

class TFileCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void openDamagedFile_data();
    void openDamagedFile();
    void openIntoEmptyFrame();
    void newInEmptyFrame();
    void emptyFrameCannotSave();
    void cancelledOpenDoesNothing();
    void saveFailureKeepsPreviousFile_data();
    void saveFailureKeepsPreviousFile();
    void saveEnabling();
    void saveAsRetitlesEveryWindow();
    void cancelledSaveAsKeepsSaveEnabled();
    void undoRestoresDeletedNodeWithArcs();
    void copyInOneWindowPasteInAnother();
    void pasteAtPopupPointOnce();
    void cutAndDelete();
};

void TFileCommandsTest::openDamagedFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("emptyFrame");
    const QByteArray good = TPetryNet().SaveToBytes();
    QByteArray wrongTag = good;
    wrongTag[10] = 'x';
    QTest::newRow("empty file, empty frame") << QByteArray() << true;
    QTest::newRow("wrong magic, empty frame") << QByteArray("\x3e\x6b\x93\x03", 4) + good.mid(4) << true;
    QTest::newRow("truncated, empty frame") << good.left(good.size() - 5) << true;
    QTest::newRow("wrong tag, document") << wrongTag << false;
    QTest::newRow("truncated, document") << good.left(30) << false;
}

void TFileCommandsTest::openDamagedFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, emptyFrame);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"плохой.qvx"_s);
    WriteFile(path, bytes);
    TFixture f;
    TDocForm *w = emptyFrame ? f.EmptyFrame() : f.Doc();
    const int before = f.Shell->DocumentCount();
    f.Prompts->OpenNames = {path};
    w->Execute(w->Commands().ActionFileOpen);
    QCOMPARE(f.Prompts->DialogTitles, QStringList{u"Открыть"_s});
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Text, OpenError);
    QCOMPARE(f.Prompts->Asked[0].Caption, u"Ошибка открытия"_s);
    QCOMPARE(f.Prompts->Asked[0].Icon, QMessageBox::Critical);
    QCOMPARE(f.Prompts->Asked[0].Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(f.Shell->DocumentCount(), before);
    QVERIFY(!f.Ended);
    if (emptyFrame) {
        QVERIFY(w->IsEmptyFrame());
        QVERIFY(!w->GetNet());
        QCOMPARE(w->windowTitle(), u"Сети Петри"_s);
        QCOMPARE(w->Commands().ActionWndMe->text(), u"Нет"_s);
        QCOMPARE(Drv(w).ElementRows(), 0);
        w->UpdateActions();
        QVERIFY(!w->Commands().ActionWindowClose->isEnabled());
    } else {
        QCOMPARE(f.Doc(), w);
        QVERIFY(!w->IsEmptyFrame());
    }
}

void TFileCommandsTest::openIntoEmptyFrame()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Склад.qvx"_s);
    {
        TPetryNet net;
        net.SheetWidth = 710;
        net.SheetHeight = 510;
        net.NetName = u"Склад"_s;
        net.AddPlace(50, 50);
        net.AddTransition(120, 50);
        net.FileName = path;
        QVERIFY(net.SaveToFile());
    }
    TFixture f;
    TDocForm *w = f.EmptyFrame();
    f.Prompts->OpenNames = {path};
    w->Execute(w->Commands().ActionFileOpen);
    QVERIFY(f.Prompts->Asked.isEmpty());
    QCOMPARE(f.Shell->DocumentCount(), 1);
    QCOMPARE(f.Doc(), w);
    QVERIFY(!w->IsEmptyFrame());
    QVERIFY(!w->NeedsSaveAs());
    QCOMPARE(w->windowTitle(), u"Склад - Сети Петри"_s);
    QCOMPARE(Drv(w).InfoPanel()->Caption(), u"Склад"_s);
    QVERIFY(Drv(w).InfoPanel()->isEnabled());
    QVERIFY(Drv(w).SelectionInfo()->isEnabled());
    QCOMPARE(Drv(w).SelectionInfo()->Caption(), u"0 из 2(1, 1, 0) элементов выбрано."_s);
    QCOMPARE(ListRows(Drv(w).Elements()), (QStringList{u"Позиции:"_s, u"Позиция1"_s, u"Переходы:"_s, u"Переход1"_s}));
    w->UpdateActions();
    QVERIFY(!w->Commands().ActionFileSave->isEnabled());
}

void TFileCommandsTest::newInEmptyFrame()
{
    TFixture f;
    TDocForm *w = f.EmptyFrame();
    w->Execute(w->Commands().ActionFileNew);
    QCOMPARE(f.Shell->DocumentCount(), 1);
    QCOMPARE(f.Doc(), w);
    QVERIFY(!w->IsEmptyFrame());
    QVERIFY(w->NeedsSaveAs());
    QCOMPARE(w->windowTitle(), u"СетьПетри2 - Сети Петри"_s);
    QCOMPARE(Drv(w).InfoPanel()->Caption(), w->GetNet()->NetName);
    QVERIFY(Drv(w).DSBPanel()->isVisibleTo(w));
    // With a document, New opens another window.
    w->Execute(w->Commands().ActionFileNew);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    QVERIFY(f.Doc(1) != w);
}

void TFileCommandsTest::emptyFrameCannotSave()
{
    TFixture f;
    TDocForm *w = f.EmptyFrame();
    w->UpdateActions();
    for (QAction *a : {w->Commands().ActionFileSave, w->Commands().ActionFileSaveAs, w->Commands().ActionNetProperties, w->Commands().ActionEditPaste})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!w->SaveDocument());
    QVERIFY(f.Prompts->DialogTitles.isEmpty());
}

void TFileCommandsTest::cancelledOpenDoesNothing()
{
    TFixture f;
    TDocForm *w = f.EmptyFrame();
    w->Execute(w->Commands().ActionFileOpen);
    QCOMPARE(f.Prompts->DialogTitles, QStringList{u"Открыть"_s});
    QVERIFY(f.Prompts->Asked.isEmpty());
    QVERIFY(w->IsEmptyFrame());
    QCOMPARE(f.Shell->DocumentCount(), 0);
}

void TFileCommandsTest::saveFailureKeepsPreviousFile_data()
{
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("write runs out of room") << true;
    QTest::newRow("folder is a file") << false;
}

void TFileCommandsTest::saveFailureKeepsPreviousFile()
{
    QFETCH(bool, sizeLimit);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"сеть.qvx"_s);
    TFixture f;
    TDocForm *w = f.Doc();
    w->GetNet()->AddPlace(50, 50);
    f.Prompts->SaveNames = {path};
    QVERIFY(w->SaveDocument());
    const QByteArray before = FileBytes(path);
    QVERIFY(!before.isEmpty());

    for (int i = 0; i < 40; ++i)
        w->GetNet()->AddPlace(20 + 16 * (i % 40), 100 + 30 * (i / 40));
    bool saved = true;
    if (sizeLimit) {
        saved = SaveWithFileLimit(w, rlim_t(before.size() + 100));
    } else {
        // Save As into a "folder" that is a regular file.
        f.Prompts->SaveNames = {path + u"/другая.qvx"_s};
        w->Execute(w->Commands().ActionFileSaveAs);
        saved = w->GetNet()->Saved;
    }
    QVERIFY(!saved);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Text, SaveError);
    QCOMPARE(f.Prompts->Asked[0].Caption, u"Ошибка сохранения"_s);
    QCOMPARE(f.Prompts->Asked[0].Icon, QMessageBox::Critical);
    QCOMPARE(FileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"сеть.qvx"_s});
    QVERIFY(!w->GetNet()->Saved);
    w->UpdateActions();
    QVERIFY(w->Commands().ActionFileSave->isEnabled());
    // The title follows only a successful save.
    QCOMPARE(w->windowTitle(), u"сеть - Сети Петри"_s);
}

void TFileCommandsTest::saveEnabling()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    w->UpdateActions();
    QVERIFY(w->GetNet()->Saved);
    QVERIFY(w->Commands().ActionFileSave->isEnabled());
    f.Prompts->SaveNames = {dir.filePath(u"a.qvx"_s)};
    w->Execute(w->Commands().ActionFileSave);
    QCOMPARE(f.Prompts->DialogTitles, QStringList{u"Сохранить как..."_s});
    QVERIFY(!w->Commands().ActionFileSave->isEnabled());
    // A titled document saves without a dialog.
    w->GetNet()->AddPlace(50, 50);
    w->UpdateActions();
    QVERIFY(w->Commands().ActionFileSave->isEnabled());
    w->Execute(w->Commands().ActionFileSave);
    QCOMPARE(f.Prompts->DialogTitles.size(), 1);
    QVERIFY(!w->Commands().ActionFileSave->isEnabled());
}

void TFileCommandsTest::saveAsRetitlesEveryWindow()
{
    QTemporaryDir dir;
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1);
    f.Prompts->SaveNames = {dir.filePath(u"первая.qvx"_s), dir.filePath(u"вторая.qvx"_s)};
    QVERIFY(a->SaveDocument());
    QCOMPARE(a->windowTitle(), u"первая - Сети Петри"_s);
    // Save As on a titled document asks again and renames everywhere.
    a->Execute(a->Commands().ActionFileSaveAs);
    QCOMPARE(f.Prompts->DialogTitles, (QStringList{u"Сохранить как..."_s, u"Сохранить как..."_s}));
    QCOMPARE(a->windowTitle(), u"вторая - Сети Петри"_s);
    QCOMPARE(a->Commands().ActionWndMe->text(), u"вторая"_s);
    QCOMPARE(a->GetNet()->FileName, dir.filePath(u"вторая.qvx"_s));
    QVERIFY(QFile::exists(dir.filePath(u"вторая.qvx"_s)));
    QStringList entries;
    for (QAction *e : b->WindowEntries())
        entries << e->text();
    QCOMPARE(entries, QStringList{u"вторая"_s});
    QVERIFY(!a->NeedsSaveAs());
}

void TFileCommandsTest::cancelledSaveAsKeepsSaveEnabled()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    f.Prompts->SaveNames = {dir.filePath(u"a.qvx"_s)};
    QVERIFY(w->SaveDocument());
    w->Execute(w->Commands().ActionFileSaveAs);
    QVERIFY(w->NeedsSaveAs());
    QCOMPARE(w->windowTitle(), u"a - Сети Петри"_s);
    w->UpdateActions();
    QVERIFY(w->Commands().ActionFileSave->isEnabled());
    // Save now asks for a name.
    f.Prompts->SaveNames = {dir.filePath(u"b.qvx"_s)};
    w->Execute(w->Commands().ActionFileSave);
    QCOMPARE(f.Prompts->DialogTitles.size(), 3);
    QCOMPARE(w->windowTitle(), u"b - Сети Петри"_s);
}

void TFileCommandsTest::undoRestoresDeletedNodeWithArcs()
{
    TFixture f;
    TDocForm *w = f.Doc();
    TPetryNet *net = w->GetNet();
    TPosition *p = net->AddPlace(50, 50);
    TTransfer *t1 = net->AddTransition(150, 50);
    TTransfer *t2 = net->AddTransition(150, 150);
    net->Arcs.append(TArc::CreateBetween(net, p, t1));
    net->Arcs.append(TArc::CreateBetween(net, t2, p));
    p->SetName(u"Склад"_s);
    net->NotifyChange();
    net->ClearSelection();
    p->SetSelected(true);
    w->Execute(w->Commands().ActionEditDelete);
    QCOMPARE(net->PlaceCount(), 0);
    QCOMPARE(net->ArcCount(), 0);
    QCOMPARE(ListRows(Drv(w).Elements()), (QStringList{u"Переходы:"_s, u"Переход1"_s, u"Переход2"_s}));
    QVERIFY(w->Commands().ActionEditUndo->isEnabled());
    w->Execute(w->Commands().ActionEditUndo);
    QCOMPARE(net->PlaceCount(), 1);
    QCOMPARE(net->ArcCount(), 2);
    QCOMPARE(net->Place(0)->Name, u"Склад"_s);
    QCOMPARE(net->Place(0)->ArcCount(), 2);
    QCOMPARE(ListRows(Drv(w).Elements()), (QStringList{u"Позиции:"_s, u"Склад"_s, u"Переходы:"_s, u"Переход1"_s, u"Переход2"_s,
                                       u"Дуги:"_s, u"Дуга1"_s, u"Дуга2"_s}));
    QCOMPARE(Drv(w).CurrentElementRow(), 1);
    QCOMPARE(Drv(w).SelectionInfo()->Caption(), u"0 из 5(1, 2, 2) элементов выбрано."_s);
}

void TFileCommandsTest::copyInOneWindowPasteInAnother()
{
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *a = f.Doc(0), *b = f.Doc(1);
    TPosition *p = a->GetNet()->AddPlace(60, 60);
    p->Tokens = 3;
    a->GetNet()->AddPlace(200, 200);
    a->GetNet()->ClearSelection();
    p->SetSelected(true);
    a->UpdateActions();
    b->UpdateActions();
    QVERIFY(!b->Commands().ActionEditPaste->isEnabled());
    a->Execute(a->Commands().ActionEditCopy);
    QCOMPARE(a->GetNet()->PlaceCount(), 2);
    b->GetNet()->AddPlace(300, 300);
    b->UpdateActions();
    QVERIFY(b->Commands().ActionEditPaste->isEnabled());
    b->Execute(b->Commands().ActionEditPaste);
    QCOMPARE(b->GetNet()->PlaceCount(), 2);
    TPosition *pasted = b->GetNet()->Place(1);
    QCOMPARE(pasted->Tokens, 3);
    QCOMPARE(pasted->Name, u"Позиция2"_s);
    QVERIFY(pasted->Selected);
    QVERIFY(!b->GetNet()->Place(0)->Selected);
    QVERIFY(!b->GetNet()->Saved);
    QCOMPARE(Drv(b).CurrentElementRow(), 1);
    // Pasting twice gives a second group with fresh names.
    b->Execute(b->Commands().ActionEditPaste);
    QCOMPARE(b->GetNet()->Place(2)->Name, u"Позиция3"_s);
    QCOMPARE(a->GetNet()->PlaceCount(), 2);
}

void TFileCommandsTest::pasteAtPopupPointOnce()
{
    TFixture f;
    TDocForm *w = f.Doc();
    TPosition *p = w->GetNet()->AddPlace(60, 60);
    w->GetNet()->ClearSelection();
    p->SetSelected(true);
    w->Execute(w->Commands().ActionEditCopy);
    w->Canvas().SetClickPoint(QPoint(w->GetNet()->OriginX() + 300, w->GetNet()->OriginY() + 200), true);
    w->Execute(w->Commands().ActionEditPaste);
    QVERIFY(!w->Canvas().PasteAtPoint());
    const QRect atPoint = w->GetNet()->Place(1)->NodeRect();
    QCOMPARE(atPoint.topLeft(), w->Canvas().ClickPoint());
    w->Execute(w->Commands().ActionEditPaste);
    QVERIFY(w->GetNet()->Place(2)->NodeRect().topLeft() != w->Canvas().ClickPoint());
    QCOMPARE(w->GetNet()->Place(2)->NodeRect().topLeft(), p->NodeRect().topLeft() + QPoint(10, 10));
}

void TFileCommandsTest::cutAndDelete()
{
    TFixture f;
    TDocForm *w = f.Doc();
    TPosition *p = w->GetNet()->AddPlace(60, 60);
    w->GetNet()->AddTransition(160, 60);
    w->GetNet()->ClearSelection();
    p->SetSelected(true);
    w->Execute(w->Commands().ActionEditCut);
    QCOMPARE(w->GetNet()->PlaceCount(), 0);
    QVERIFY(w->GetNet()->CanPaste());
    QCOMPARE(ListRows(Drv(w).Elements()), (QStringList{u"Переходы:"_s, u"Переход1"_s}));
    w->Execute(w->Commands().ActionEditUndo);
    QCOMPARE(w->GetNet()->PlaceCount(), 1);
    w->GetNet()->SelectAll();
    w->Execute(w->Commands().ActionEditDelete);
    QCOMPARE(w->GetNet()->ElementCount(), 0);
    QVERIFY(!Drv(w).Elements()->isEnabled());
}

QTEST_MAIN(TFileCommandsTest)
#include "tst_filecommands.moc"
