#include "UiFixtures.h"
#include "app/AboutUnit.h"
#include "doc/PropUnit.h"
#include "app/WindowListUnit.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
struct TFixture : TShellFixture
{
    // Opens the window list; script runs while it is shown, with real clicks.
    void WindowList(const std::function<void(TWindowListForm &)> &script)
    {
        bool ran = false;
        Shell->RunDialog = [&](QDialog &dialog) {
            auto &form = static_cast<TWindowListForm &>(dialog);
            ShowActive(&form);
            script(form);
            ran = true;
            return dialog.result();
        };
        Shell->ShowWindowList();
        QVERIFY(ran);
    }
};

void Click(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Opens the properties dialog of w; script runs while it is shown, then the
// dialog ends with OK or Отмена.
void Properties(TDocForm *w, bool ok, const std::function<void(TPropForm &)> &script)
{
    bool ran = false;
    w->RunDialog = [&](QDialog &dialog) {
        auto &form = static_cast<TPropForm &>(dialog);
        ShowActive(&form);
        script(form);
        Click(ok ? form.OkButton : form.CancelButton);
        ran = true;
        return dialog.result();
    };
    w->Execute(w->Commands().ActionNetProperties);
    QVERIFY(ran);
}
} // namespace

class TDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void windowListWithoutDocuments();
    void windowListRows();
    void windowListSave();
    void windowListChoose();
    void windowListCloseOnlyDocument();
    void windowListCloseOneOfTwo();
    void propertiesOfNewDocument();
    void propertiesOfSavedDocument();
    void propertiesWhenFileIsGone();
    void propertiesOkMarksUnsaved();
    void propertiesCancelChangesNothing();
    void aboutBox();
    void systemText();
    void memoryStatus_data();
    void memoryStatus();
};

void TDialogsTest::windowListWithoutDocuments()
{
    TFixture f;
    TDocForm *w = f.Doc();
    w->Execute(w->Commands().ActionWindowClose);
    QVERIFY(w->IsEmptyFrame());
    f.WindowList([](TWindowListForm &form) {
        QCOMPARE(form.windowTitle(), u"Список окон"_s);
        QCOMPARE(ListRows(form.WinListBox), QStringList{u"Нет открытых документов"_s});
        QVERIFY(!form.WinListBox->isEnabled());
        QVERIFY(!form.OkBtn->isEnabled());
        QVERIFY(!form.SaveButton->isEnabled());
        QVERIFY(!form.CloseButton->isEnabled());
        QVERIFY(form.CancelButton->isEnabled());
        QVERIFY(form.CancelButton->isDefault());
        QVERIFY(!form.OkBtn->isDefault());
        Click(form.CancelButton);
        QCOMPARE(form.result(), int(QDialog::Rejected));
    });
}

void TDialogsTest::windowListRows()
{
    TFixture f;
    f.Shell->NewDocument();
    f.Doc(1)->GetNet()->Saved = true;
    f.Doc(1)->SetNeedsSaveAs(false);
    f.WindowList([&](TWindowListForm &form) {
        QCOMPARE(form.size(), QSize(397, 222));
        QCOMPARE(ListRows(form.WinListBox), (QStringList{u"СетьПетри1"_s, u"СетьПетри2"_s}));
        QCOMPARE(form.WinListBox->currentRow(), 0);
        QCOMPARE(form.WinListBox->visualItemRect(form.WinListBox->item(0)).height(), 34);
        QVERIFY(form.OkBtn->isDefault());
        // A never saved document can be saved; a saved one cannot.
        QVERIFY(form.SaveButton->isEnabled());
        QTest::keyClick(form.WinListBox, Qt::Key_Down);
        QCOMPARE(form.ChosenDocument(), f.Doc(1));
        QVERIFY(!form.SaveButton->isEnabled());
        Click(form.CancelButton);
    });
}

void TDialogsTest::windowListSave()
{
    QTemporaryDir dir;
    TFixture f;
    f.WindowList([&](TWindowListForm &form) {
        // Cancelled save dialog: the button stays enabled.
        Click(form.SaveButton);
        QVERIFY(form.SaveButton->isEnabled());
        QVERIFY(form.WinListBox->hasFocus());
        f.Prompts->SaveNames = {dir.filePath(u"список.qvx"_s)};
        Click(form.SaveButton);
        QVERIFY(!form.SaveButton->isEnabled());
        QVERIFY(f.Doc()->GetNet()->Saved);
        QCOMPARE(f.Doc()->windowTitle(), u"список - Сети Петри"_s);
        Click(form.CancelButton);
    });
    QCOMPARE(f.Prompts->DialogTitles.size(), 2);
}

void TDialogsTest::windowListChoose()
{
    TFixture f;
    f.Shell->NewDocument();
    f.Shell->NewDocument();
    f.WindowList([&](TWindowListForm &form) {
        QListWidget *list = form.WinListBox;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(form.ChosenDocument(), f.Doc(1));
        Click(form.OkBtn);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(form.isHidden());
    });
    QVERIFY(f.Doc(1)->isVisible());
}

void TDialogsTest::windowListCloseOnlyDocument()
{
    TFixture f;
    TDocForm *w = f.Doc();
    w->GetNet()->AddPlace(50, 50);
    f.Prompts->Answers = {QMessageBox::No};
    f.WindowList([&](TWindowListForm &form) {
        Click(form.CloseButton);
        QCOMPARE(ListRows(form.WinListBox), QStringList{u"Нет открытых документов"_s});
        QVERIFY(!form.WinListBox->isEnabled());
        QVERIFY(form.CancelButton->isDefault());
        Click(form.CancelButton);
    });
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QVERIFY(f.Prompts->Asked[0].Text.startsWith(u"Сохранить изменения в документе СетьПетри1?"_s));
    QVERIFY(w->IsEmptyFrame());
    QCOMPARE(w->windowTitle(), u"Сети Петри"_s);
    QVERIFY(!f.Ended);
}

void TDialogsTest::windowListCloseOneOfTwo()
{
    TFixture f;
    f.Shell->NewDocument();
    TDocForm *second = f.Doc(1);
    second->GetNet()->AddPlace(50, 50);
    f.WindowList([&](TWindowListForm &form) {
        QTest::keyClick(form.WinListBox, Qt::Key_Down);
        // Cancelling the save question keeps the document listed.
        f.Prompts->Answers = {QMessageBox::Cancel};
        Click(form.CloseButton);
        QCOMPARE(ListRows(form.WinListBox), (QStringList{u"СетьПетри1"_s, u"СетьПетри2"_s}));
        QTest::keyClick(form.WinListBox, Qt::Key_Down);
        f.Prompts->Answers = {QMessageBox::No};
        Click(form.CloseButton);
        QCOMPARE(ListRows(form.WinListBox), QStringList{u"СетьПетри1"_s});
        QVERIFY(form.WinListBox->isEnabled());
        Click(form.CancelButton);
    });
    QCOMPARE(f.Shell->DocumentCount(), 1);
    QVERIFY(!f.Ended);
}

void TDialogsTest::propertiesOfNewDocument()
{
    TFixture f;
    TDocForm *w = f.Doc();
    Properties(w, false, [&](TPropForm &form) {
        QCOMPARE(form.windowTitle(), u"Свойства: СетьПетри1"_s);
        QCOMPARE(form.size(), QSize(358, 421));
        QCOMPARE(form.Pages->currentWidget(), form.DocumentPage);
        QCOMPARE(form.Pages->tabText(0), u"Общие"_s);
        QCOMPARE(form.Pages->tabText(1), u"Документ"_s);
        QVERIFY(form.NameEdit->hasFocus());
        QCOMPARE(form.NameEdit->text(), u"Сеть Петри"_s);
        for (QWidget *hidden : {static_cast<QWidget *>(form.DocImage), static_cast<QWidget *>(form.NameLabel),
                                static_cast<QWidget *>(form.FolderLabel),
                                static_cast<QWidget *>(form.SizeInfLabel)})
            QVERIFY(hidden->isHidden());
        for (QLabel *disabled : {form.TypeLabel, form.FolderCaption, form.SizeCaption})
            QVERIFY(!disabled->isEnabled());
        QVERIFY(form.TypeLabel->text().startsWith(u"Тип:"_s));
    });
}

void TDialogsTest::propertiesOfSavedDocument()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    w->GetNet()->AddPlace(50, 50);
    const QString path = dir.filePath(u"сеть.qvx"_s);
    f.Prompts->SaveNames = {path};
    QVERIFY(w->SaveDocument());
    const qint64 stored = QFileInfo(path).size();
    // The net grows in memory; the dialog tells the size on disk.
    w->GetNet()->AddPlace(150, 50);
    Properties(w, false, [&](TPropForm &form) {
        QCOMPARE(form.windowTitle(), u"Свойства: сеть"_s);
        QVERIFY(!form.NameLabel->isHidden());
        QCOMPARE(form.NameLabel->text(), u"сеть"_s);
        QCOMPARE(form.FolderLabel->text(), QDir::toNativeSeparators(dir.path() + u"/"_s));
        QCOMPARE(form.SizeInfLabel->text(), QString::number(stored) + u" байт."_s);
        QVERIFY(form.TypeLabel->isEnabled());
    });
}

void TDialogsTest::propertiesWhenFileIsGone()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    const QString path = dir.filePath(u"пропала.qvx"_s);
    f.Prompts->SaveNames = {path};
    QVERIFY(w->SaveDocument());
    QVERIFY(QFile::remove(path));
    Properties(w, true, [&](TPropForm &form) {
        QCOMPARE(form.SizeInfLabel->text(), u"файл не найден"_s);
        QCOMPARE(form.FolderLabel->text(), QDir::toNativeSeparators(dir.path() + u"/"_s));
    });
    QVERIFY(!w->GetNet()->Saved);
}

void TDialogsTest::propertiesOkMarksUnsaved()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    f.Prompts->SaveNames = {dir.filePath(u"a.qvx"_s)};
    QVERIFY(w->SaveDocument());
    w->UpdateActions();
    QVERIFY(!w->Commands().ActionFileSaveAll->isEnabled());
    // OK without any change still counts as a change.
    Properties(w, true, [](TPropForm &) {});
    QVERIFY(!w->GetNet()->Saved);
    w->UpdateActions();
    QVERIFY(w->Commands().ActionFileSaveAll->isEnabled());
    QVERIFY(w->Commands().ActionFileSave->isEnabled());

    // Typed texts are stored and the status line shows the new name at once.
    Properties(w, true, [](TPropForm &form) {
        form.NameEdit->selectAll();
        TypeText(form.NameEdit, u"Производство"_s);
        TypeText(form.AuthorEdit, u"Группа 3"_s);
        form.Description->setFocus();
        TypeText(form.Description, u"Учебная сеть"_s);
    });
    QCOMPARE(w->GetNet()->NetName, u"Производство"_s);
    QCOMPARE(w->GetNet()->Author, u"Группа 3"_s);
    QCOMPARE(w->GetNet()->Description, u"Учебная сеть"_s);
    QCOMPARE(Drv(w).InfoPanel()->Caption(), u"Производство"_s);
}

void TDialogsTest::propertiesCancelChangesNothing()
{
    QTemporaryDir dir;
    TFixture f;
    TDocForm *w = f.Doc();
    f.Prompts->SaveNames = {dir.filePath(u"a.qvx"_s)};
    QVERIFY(w->SaveDocument());
    Properties(w, false, [](TPropForm &form) {
        form.NameEdit->setText(u"другое"_s);
    });
    QVERIFY(w->GetNet()->Saved);
    QCOMPARE(w->GetNet()->NetName, u"Сеть Петри"_s);
}

void TDialogsTest::aboutBox()
{
    TFixture f;
    bool ran = false;
    f.Shell->RunDialog = [&](QDialog &dialog) {
        auto &form = static_cast<TAboutBoxForm &>(dialog);
        ShowActive(&form);
        // QCOMPARE returns on failure, which this function cannot.
        [&] {
            QCOMPARE(form.windowTitle(), u"О программе..."_s);
            QCOMPARE(form.size(), QSize(375, 296));
            QCOMPARE(form.Picture->pixmap().size(), QSize(100, 300));
            QVERIFY(!form.Label3->text().isEmpty());
            QVERIFY(form.Label4->text().endsWith(u" K"_s));
            QVERIFY(form.Label5->text().startsWith(u"Свободно памяти:  "_s));
            QVERIFY(form.Label5->text().endsWith(u"%"_s));
            QTest::keyClick(&form, Qt::Key_Escape);
            QVERIFY(form.isHidden());
        }();
        ran = true;
        return form.result();
    };
    f.Doc()->Execute(f.Doc()->Commands().ActionAbout);
    QVERIFY(ran);
}

void TDialogsTest::systemText()
{
    QCOMPARE(TAboutBoxForm::SystemText(u"Windows NT"_s, 5, 1, u"Service Pack 2"_s, 2600),
             u"Windows NT Версия 5.1 Service Pack 2 (Build 2600)"_s);
    QCOMPARE(TAboutBoxForm::SystemText(u"Windows 95/98"_s, 4, 10, QString(), 2222),
             u"Windows 95/98 Версия 4.10  (Build 2222)"_s);
    QVERIFY(TAboutBoxForm::SystemLine().contains(u"Версия "_s));
}

void TDialogsTest::memoryStatus_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("free");
    QTest::newRow("available")
        << QByteArray("MemTotal:       16000000 kB\nMemFree:         1000000 kB\nMemAvailable:    4000000 kB\n")
        << u"16000000 K"_s << u"Свободно памяти:  25%"_s;
    QTest::newRow("without available")
        << QByteArray("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 350 kB\n") << u"1000 K"_s
        << u"Свободно памяти:  50%"_s;
    QTest::newRow("unreadable") << QByteArray("garbage") << u"0 K"_s << u"Свободно памяти:  100%"_s;
}

void TDialogsTest::memoryStatus()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(QString, total);
    QFETCH(QString, free);
    const TAboutBoxForm::TMemoryStatus status = TAboutBoxForm::ParseMemInfo(meminfo);
    QCOMPARE(TAboutBoxForm::TotalMemoryText(status.TotalPhys), total);
    QCOMPARE(TAboutBoxForm::FreeMemoryText(status.MemoryLoad), free);
}

QTEST_MAIN(TDialogsTest)
#include "tst_dialogs.moc"
