// petrinets-cli: converts, draws, describes and analyses nets without the
// editor's windows; many files in one call.

#include "AnalyseCommand.h"
#include "CliCommands.h"
#include "FileRead.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

namespace {

const char MainUsage[] =
    "использование: petrinets-cli КОМАНДА ПАРАМЕТРЫ...\n"
    "  convert ВХОД ВЫХОД                    .qvx <-> .pnml по расширениям\n"
    "  render ВХОД РИСУНОК [--states]        рисунок сети в .png, .svg или .pdf\n"
    "  info ФАЙЛ... [--json]                 имя, автор, элементы, разметка\n"
    "  analyse ФАЙЛ... [--json] [--max-states N] [--timeout S]   анализ сети\n"
    "  sample ВЫХОД.qvx                      демонстрационная сеть\n"
    "petrinets-cli КОМАНДА --help показывает справку по команде.\n"
    "Код выхода: 0 все файлы обработаны, 1 какой-то файл не открыт или не записан,\n"
    "2 неверный вызов.\n";

// Qt's own warnings (missing runtime directory and the like) would mix with the
// tool's messages on standard error; only its serious ones are kept.
void QuietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << qFormatLogMessage(type, context, message) << u'\n';
}

} // namespace

int main(int argc, char *argv[])
{
    IgnoreFileSizeSignal();
    qInstallMessageHandler(QuietMessages);
    // Drawing text needs a GUI application, but no window is ever shown:
    // the offscreen platform works with or without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Qt's own texts that reach the user (XML parse errors) in Russian too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        QTextStream(stderr) << QString::fromUtf8(MainUsage);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == u"--help" || command == u"-h" || command == u"help") {
        QTextStream(stdout) << QString::fromUtf8(MainUsage);
        return 0;
    }
    if (command == u"convert")
        return ConvertCommand(args);
    if (command == u"render")
        return RenderCommand(args);
    if (command == u"info")
        return InfoCommand(args);
    if (command == u"analyse")
        return AnalyseCommand(args);
    if (command == u"sample")
        return SampleCommand(args);
    PrintError(QStringLiteral("petrinets-cli"), QStringLiteral("неизвестная команда %1").arg(command));
    QTextStream(stderr) << QString::fromUtf8(MainUsage);
    return 2;
}
