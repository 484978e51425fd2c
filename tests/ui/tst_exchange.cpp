// The window's side of other formats and of the analysis: PNML documents,
// pictures and printing, the Анализ menu, and the window details that a real
// screen showed (minimum width, inspector height, hints under popups).
#include "UiFixtures.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "AnalysisDialog.h"
#include "NetFormats.h"
#include "PetryNet.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {
// P1 (one token) -> T1 -> P2, with or without positions.
QByteArray SmallPnml(bool positions, const QByteArray &netType = "http://www.pnml.org/version-2009/grammar/ptnet")
{
    const QByteArray at1 = positions ? "<graphics><position x=\"60\" y=\"60\"/></graphics>" : "";
    const QByteArray at2 = positions ? "<graphics><position x=\"160\" y=\"60\"/></graphics>" : "";
    const QByteArray at3 = positions ? "<graphics><position x=\"260\" y=\"60\"/></graphics>" : "";
    return "<?xml version=\"1.0\"?><pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">"
           "<net id=\"n\" type=\"" + netType + "\"><page id=\"pg\">"
           "<place id=\"p1\"><name><text>P1</text></name>" + at1 +
           "<initialMarking><text>1</text></initialMarking></place>"
           "<transition id=\"t1\"><name><text>T1</text></name>" + at2 + "</transition>"
           "<place id=\"p2\"><name><text>P2</text></name>" + at3 + "</place>"
           "<arc id=\"a1\" source=\"p1\" target=\"t1\"/><arc id=\"a2\" source=\"t1\" target=\"p2\"/>"
           "</page></net></pnml>";
}

// A chain P1 (one token) -> T1 -> P2 -> T2 -> P3 drawn in the window's net.
void BuildChain(TPetryNet &net)
{
    TPosition *p1 = net.AddPlace(40, 40);
    TTransfer *t1 = net.AddTransition(100, 40);
    TPosition *p2 = net.AddPlace(160, 40);
    TTransfer *t2 = net.AddTransition(220, 40);
    TPosition *p3 = net.AddPlace(280, 40);
    p1->SetTokens(1);
    net.Arcs << TArc::CreateBetween(&net, p1, t1) << TArc::CreateBetween(&net, t1, p2)
             << TArc::CreateBetween(&net, p2, t2) << TArc::CreateBetween(&net, t2, p3);
}

TAnalysisDialog *AnalysisDialogOf(TDocForm *w)
{
    const auto dialogs = w->findChildren<TAnalysisDialog *>();
    return dialogs.isEmpty() ? nullptr : dialogs.constLast();
}
} // namespace

class TExchangeTest : public QObject
{
    Q_OBJECT

private slots:
    void openPnml_data();
    void openPnml();
    void openBenchmarkNet();
    void saveKeepsAndSwitchesFormat();
    void exportPicture_data();
    void exportPicture();
    void printPaintsSheetOnPage();
    void analysisCommandsFollowModelling();
    void showInModellingPlaysPath();
    void windowNarrowsTo160AndInspectorKeepsHeight();
    void hintHidesUnderPopup();
};

void TExchangeTest::openPnml_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("saved");
    QTest::newRow("with positions") << SmallPnml(true) << true << true;
    // A laid-out picture is new, so the document starts unsaved.
    QTest::newRow("no graphics") << SmallPnml(false) << true << false;
    QTest::newRow("coloured net") << SmallPnml(true, "http://www.pnml.org/version-2009/grammar/symmetricnet") << false
                                  << false;
    QTest::newRow("malformed") << QByteArray("<pnml><net id=\"n\"") << false << false;
}

void TExchangeTest::openPnml()
{
    QFETCH(QByteArray, xml);
    QFETCH(bool, opens);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"сеть.pnml"_s);
    WriteFile(path, xml);
    TShellFixture f;
    TDocForm *w = f.Doc();
    f.Prompts->OpenNames = {path};
    w->Execute(w->Commands().ActionFileOpen);
    if (!opens) {
        QCOMPARE(f.Prompts->Asked.size(), 1);
        QCOMPARE(f.Prompts->Asked[0].Caption, u"Ошибка открытия"_s);
        QCOMPARE(f.Prompts->Asked[0].Icon, QMessageBox::Critical);
        QVERIFY(f.Prompts->Asked[0].Text.startsWith(u"Невозможно открыть документ!"_s));
        QCOMPARE(f.Shell->DocumentCount(), 1);
        return;
    }
    QVERIFY(f.Prompts->Asked.isEmpty());
    QCOMPARE(f.Shell->DocumentCount(), 2);
    TDocForm *opened = f.Doc(1);
    QCOMPARE(opened->windowTitle(), u"сеть - Сети Петри"_s);
    QCOMPARE(opened->GetNet()->Places.size(), 2);
    QCOMPARE(opened->GetNet()->Places[0]->Tokens, 1);
    QCOMPARE(opened->GetNet()->Saved, saved);
}

void TExchangeTest::openBenchmarkNet()
{
    // Every node of this public net sits at one point: it opens laid out, hence unsaved.
    const QString path = QStringLiteral(PETRI_TEST_DATA "/../../../shared/data/nets/Philosophers-PT-000005.pnml");
    if (!QFile::exists(path))
        QSKIP("The shared benchmark nets are not there.");
    TShellFixture f;
    f.Prompts->OpenNames = {path};
    f.Doc()->Execute(f.Doc()->Commands().ActionFileOpen);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    const TPetryNet &net = *f.Doc(1)->GetNet();
    QCOMPARE(net.Places.size(), 25);
    QCOMPARE(net.Transitions.size(), 25);
    QVERIFY(!net.Saved);
    QCOMPARE(f.Doc(1)->windowTitle(), u"Philosophers-PT-000005 - Сети Петри"_s);
}

void TExchangeTest::saveKeepsAndSwitchesFormat()
{
    QTemporaryDir dir;
    const QString pnml = dir.filePath(u"сеть.pnml"_s), qvx = dir.filePath(u"копия.qvx"_s);
    WriteFile(pnml, SmallPnml(true));
    TShellFixture f;
    TDocForm *w = f.Doc();
    f.Prompts->OpenNames = {pnml};
    w->Execute(w->Commands().ActionFileOpen);
    QCOMPARE(f.Shell->DocumentCount(), 2);
    TDocForm *d = f.Doc(1);
    f.Prompts->DialogTitles.clear();
    d->GetNet()->AddPlace(300, 200);
    d->Execute(d->Commands().ActionFileSave);
    QVERIFY(f.Prompts->DialogTitles.isEmpty()); // saved where it came from
    QVERIFY(d->GetNet()->Saved);
    TPetryNet back;
    QVERIFY(LoadNetDocument(pnml, back));
    QCOMPARE(back.Places.size(), 3);
    QVERIFY(FileBytes(pnml).contains("http://www.pnml.org/version-2009/grammar/pnml"));

    // Save As picks the document type by the name's extension, and Save keeps it.
    f.Prompts->SaveNames = {qvx};
    d->Execute(d->Commands().ActionFileSaveAs);
    QCOMPARE(d->windowTitle(), u"копия - Сети Петри"_s);
    d->GetNet()->AddPlace(300, 100);
    d->Execute(d->Commands().ActionFileSave);
    const QByteArray bytes = FileBytes(qvx);
    QVERIFY(!bytes.trimmed().startsWith('<'));
    TPetryNet fromQvx;
    fromQvx.FileName = qvx;
    QVERIFY(fromQvx.LoadFromFile());
    QCOMPARE(fromQvx.Places.size(), 4);
}

void TExchangeTest::exportPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("png") << u"рисунок.png"_s << QByteArray("\x89PNG");
    QTest::newRow("svg") << u"рисунок.svg"_s << QByteArray("<?xml");
    QTest::newRow("pdf") << u"рисунок.pdf"_s << QByteArray("%PDF");
    QTest::newRow("unknown type") << u"рисунок.bmp"_s << QByteArray();
}

void TExchangeTest::exportPicture()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    QTemporaryDir dir;
    TShellFixture f;
    TDocForm *w = f.Doc();
    BuildChain(*w->GetNet());
    w->GetNet()->Places[0]->SetSelected(true); // selection marks stay out of the picture
    f.Prompts->SaveNames = {dir.filePath(name)};
    w->Execute(w->Commands().ActionFileExport);
    QCOMPARE(f.Prompts->DialogTitles, QStringList{u"Экспорт рисунка"_s});
    if (magic.isEmpty()) {
        QCOMPARE(f.Prompts->Asked.size(), 1);
        QCOMPARE(f.Prompts->Asked[0].Caption, u"Ошибка сохранения"_s);
        QVERIFY(!QFile::exists(dir.filePath(name)));
        return;
    }
    QVERIFY(f.Prompts->Asked.isEmpty());
    QVERIFY(FileBytes(dir.filePath(name)).startsWith(magic));
    // Exporting is not saving: the document stays as it was.
    QVERIFY(!w->GetNet()->Saved);
}

void TExchangeTest::printPaintsSheetOnPage()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"печать.pdf"_s);
    TShellFixture f;
    TDocForm *w = f.Doc();
    BuildChain(*w->GetNet());
    bool previewed = false;
    w->RunDialog = [&](QDialog &dialog) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(&dialog);
        if (!preview)
            return int(QDialog::Rejected);
        previewed = true;
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(pdf);
        emit preview->paintRequested(preview->printer());
        return int(QDialog::Accepted);
    };
    QCOMPARE(w->Commands().ActionFilePrint->shortcut(), QKeySequence(u"Ctrl+P"_s));
    w->Execute(w->Commands().ActionFilePrint);
    QVERIFY(previewed);
    QVERIFY(FileBytes(pdf).startsWith("%PDF"));
}

void TExchangeTest::analysisCommandsFollowModelling()
{
    TShellFixture f;
    TDocForm *w = f.Doc();
    BuildChain(*w->GetNet());
    const QList<QMenu *> menus = w->Menus();
    const auto analysis = std::find_if(menus.begin(), menus.end(),
                                       [](QMenu *m) { return m->objectName() == u"AnalysisMenu"_s; });
    QVERIFY(analysis != menus.end());
    QCOMPARE((*analysis)->title(), u"&Анализ"_s);
    QCOMPARE((*(analysis - 1))->objectName(), u"ModelingMenu"_s);
    QStringList captions;
    for (QAction *a : (*analysis)->actions())
        captions << a->objectName() + u' ' + a->text();
    QCOMPARE(captions, (QStringList{u"ActionAnalysisProperties &Свойства сети..."_s,
                                    u"ActionAnalysisGraph &Граф достижимости..."_s,
                                    u"ActionAnalysisInvariants &Инварианты..."_s}));

    auto enabled = [w] {
        w->UpdateActions();
        const TDocCommands &c = w->Commands();
        const bool all = c.ActionAnalysisProperties->isEnabled();
        return all == c.ActionAnalysisGraph->isEnabled() && all == c.ActionAnalysisInvariants->isEnabled()
                   ? int(all)
                   : -1;
    };
    QCOMPARE(enabled(), 1); // editing
    w->Execute(w->Commands().ActionModelingStart);
    QCOMPARE(enabled(), 1); // paused
    w->Execute(w->Commands().ActionModelingPause);
    QCOMPARE(enabled(), 0); // running
    w->Execute(w->Commands().ActionModelingPause);
    f.Prompts->Answers = {QMessageBox::No};
    w->Execute(w->Commands().ActionModelingEnd);
    w->GetNet()->Saved = true;
    w->Execute(w->Commands().ActionWindowClose);
    QCOMPARE(enabled(), 0); // empty frame
}

void TExchangeTest::showInModellingPlaysPath()
{
    TShellFixture f;
    TDocForm *w = f.Doc();
    BuildChain(*w->GetNet());
    w->Execute(w->Commands().ActionAnalysisProperties);
    TAnalysisDialog *dialog = AnalysisDialogOf(w);
    QVERIFY(dialog);
    QTRY_VERIFY(!dialog->IsRunning());

    // From editing: the modelling starts and the path appears in the state tree.
    emit dialog->ShowInModelling({0, 1});
    QVERIFY(w->GetNet()->Modelling);
    QCOMPARE(w->GetNet()->CurrentState->Path(), (QList<qint32>{0, 1}));
    QCOMPARE(Drv(w).StateTree()->topLevelItemCount(), 1);
    QCOMPARE(Drv(w).StateTree()->topLevelItem(0)->child(0)->childCount(), 1);
    // While running: the run pauses, goes back to the start marking and plays the new path.
    w->Execute(w->Commands().ActionModelingPause);
    QVERIFY(w->ModellingRunning());
    emit dialog->ShowInModelling({0});
    QVERIFY(!w->ModellingRunning());
    QVERIFY(!Drv(w).ExecTimer()->isActive());
    QCOMPARE(w->GetNet()->CurrentState->Path(), QList<qint32>{0});
    QCOMPARE(w->GetNet()->Places[1]->Tokens, 1);

    // Editing the net outdates the analysis; closing the document closes its dialog.
    f.Prompts->Answers = {QMessageBox::No};
    w->Execute(w->Commands().ActionModelingEnd);
    w->Execute(w->Commands().ActionAnalysisGraph);
    QTRY_VERIFY(!dialog->IsRunning());
    w->GetNet()->AddPlace(300, 200);
    w->UpdateActions();
    QVERIFY(dialog->ProgressText().contains(u"Сеть изменилась"_s));
    const QPointer<TAnalysisDialog> watched(dialog);
    w->GetNet()->Saved = true;
    w->Execute(w->Commands().ActionWindowClose);
    QTRY_VERIFY(!watched || !watched->isVisible());
}

void TExchangeTest::windowNarrowsTo160AndInspectorKeepsHeight()
{
    TShellFixture f;
    TDocForm *w = f.Doc();
    BuildChain(*w->GetNet());
    ShowActive(w);
    w->resize(100, 300);
    QTRY_COMPARE(w->width(), 160);
    w->resize(639, 341);
    w->Execute(w->Commands().ActionModelingStart); // shows the state panel below the inspector
    QTRY_VERIFY(Drv(w).NetState()->isVisible());
    const int inspector = Drv(w).NetInspector()->height();
    const int state = Drv(w).NetState()->height();
    w->resize(900, 900);
    QTRY_COMPARE(w->height(), 900);
    QCOMPARE(Drv(w).NetInspector()->height(), inspector);
    QVERIFY(Drv(w).NetState()->height() > state + 400);
    f.Prompts->Answers = {QMessageBox::No};
    w->Execute(w->Commands().ActionModelingEnd);
}

void TExchangeTest::hintHidesUnderPopup()
{
    TShellFixture f;
    TDocForm *w = f.Doc();
    TPosition *place = w->GetNet()->AddPlace(60, 60);
    w->GetNet()->ClearSelection();
    ShowActive(w);
    QWidget *area = Drv(w).DocArea();
    const QPoint at = place->CanvasCenter();
    QVERIFY(!w->Canvas().CanvasHintText(at).isEmpty());
    QTest::mouseMove(area, at);
    QTRY_VERIFY(QToolTip::isVisible());
    QMenu *popup = Drv(w).CanvasPopup();
    popup->popup(area->mapToGlobal(at + QPoint(2, 2)));
    QTRY_VERIFY(QApplication::activePopupWidget());
    // The hint's timer runs several times meanwhile; none of them brings it back.
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2000);
    QTest::qWait(400);
    QVERIFY(!QToolTip::isVisible());
    popup->close();
}

QTEST_MAIN(TExchangeTest)
#include "tst_exchange.moc"
