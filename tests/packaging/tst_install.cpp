#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QHash>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// `cmake --install` into a temporary prefix: programs, desktop entry, file
// types and icons where a freedesktop desktop looks for them.
class TInstallTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programs();
    void desktopEntry();
    void fileTypes_data();
    void fileTypes();
    void icons();

private:
    QTemporaryDir Prefix;
    QString Share() const { return Prefix.filePath(QStringLiteral("share")); }
};

void TInstallTest::initTestCase()
{
    QVERIFY(Prefix.isValid());
    QProcess install;
    install.start(QStringLiteral(PETRI_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(PETRI_BUILD_DIR), QStringLiteral("--prefix"), Prefix.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    // Only the installed types, before the MIME database is first used.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(Share()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Prefix.filePath(QStringLiteral("home"))));
}

void TInstallTest::programs()
{
    QStringList programs{QStringLiteral("petrinets")};
    if (PETRI_HAS_CLI)
        programs << QStringLiteral("petrinets-cli");
    for (const QString &name : programs)
        QVERIFY2(QFileInfo(Prefix.filePath(QStringLiteral("bin/") + name)).isExecutable(), qPrintable(name));
}

void TInstallTest::desktopEntry()
{
    const QString path = Share() + QStringLiteral("/applications/petrinets.desktop");
    // Read by hand: QSettings takes the ';' of list values for comments.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> entry;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (const qsizetype eq = line.indexOf(u'='); eq > 0)
            entry.insert(line.left(eq), line.mid(eq + 1));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Сети Петри"));
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("petrinets %F"));
    // Every type the entry claims is one the installed definition knows, and back.
    QStringList claimed = entry.value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
    claimed.sort();
    QCOMPARE(claimed, (QStringList{QStringLiteral("application/x-petri-net"), QStringLiteral("application/x-pnml+xml")}));
    for (const QString &type : claimed)
        QVERIFY2(QMimeDatabase().mimeTypeForName(type).isValid(), qPrintable(type));

    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    QProcess validate;
    validate.start(validator, {path});
    QVERIFY(validate.waitForFinished(30000));
    QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
}

void TInstallTest::fileTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("type");

    const QByteArray document = QByteArray("\x3E\x6B\x93\x02\x2A\x00", 6) + "<QV-Document-File-V1.0::QV-Document-Data::";
    const QByteArray pnml = "<?xml version=\"1.0\"?>\n<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\"/>\n";
    const QString qvx = QStringLiteral("application/x-petri-net");
    QTest::newRow("by name") << QStringLiteral("сеть.qvx") << document << qvx;
    QTest::newRow("by magic, no extension") << QStringLiteral("сеть") << document << qvx;
    QTest::newRow("by magic, other extension") << QStringLiteral("net.dat") << document << qvx;
    QTest::newRow("magic off by one byte") << QStringLiteral("net.dat") << QByteArray(document).replace(3, 1, "\x03") << QString();
    QTest::newRow("pnml") << QStringLiteral("net.pnml") << pnml << QStringLiteral("application/x-pnml+xml");
}

void TInstallTest::fileTypes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, type);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    const QString found = QMimeDatabase().mimeTypeForFile(path).name();
    if (type.isEmpty())
        QVERIFY2(!found.startsWith(QStringLiteral("application/x-petri")), qPrintable(found));
    else
        QCOMPARE(found, type);
}

void TInstallTest::icons()
{
    const QString hicolor = Share() + QStringLiteral("/icons/hicolor/");
    for (const QString &icon : {QStringLiteral("apps/petrinets"), QStringLiteral("mimetypes/application-x-petri-net")}) {
        QVERIFY(QFile::exists(hicolor + QStringLiteral("scalable/") + icon + QStringLiteral(".svg")));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString path = hicolor + QStringLiteral("%1x%1/").arg(size) + icon + QStringLiteral(".png");
            const QImage image(path);
            QCOMPARE(image.size(), QSize(size, size));
            // Drawn, not an empty canvas: the centre pixel is opaque.
            QVERIFY2(qAlpha(image.pixel(size / 2, size / 2)) > 0, qPrintable(path));
        }
    }
}

QTEST_GUILESS_MAIN(TInstallTest)
#include "tst_install.moc"
