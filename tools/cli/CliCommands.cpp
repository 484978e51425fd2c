#include "CliCommands.h"

#include "NetFormats.h"
#include "NetPicture.h"
#include "PetryNet.h"
#include "SampleNet.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

bool WantsHelp(const QStringList &args)
{
    return args.contains(u"--help") || args.contains(u"-h");
}

int Help(const char *text)
{
    QTextStream(stdout) << QString::fromUtf8(text);
    return 0;
}

int Usage(const QString &command, const QString &problem, const char *usage)
{
    PrintError(command, problem);
    QTextStream(stderr) << QString::fromUtf8(usage);
    return 2;
}

// Splits the arguments into files and the flags it knows; an unknown option
// is wrong usage.
bool SplitArgs(const QStringList &args, const QStringList &flags, QStringList &files, QStringList &set,
               QString &unknown)
{
    for (const QString &a : args) {
        if (flags.contains(a))
            set << a;
        else if (a.startsWith(u"--")) {
            unknown = a;
            return false;
        } else
            files << a;
    }
    return true;
}

bool Load(const QString &command, const QString &fileName, TPetryNet &net)
{
    QString error;
    if (LoadNetDocument(fileName, net, &error))
        return true;
    PrintError(command, fileName + QStringLiteral(": ") + error);
    return false;
}

const char ConvertUsage[] =
    "использование: petrinets-cli convert ВХОД ВЫХОД\n"
    "  Преобразует сеть между документом .qvx и PNML (.pnml); форматы выбираются\n"
    "  по расширениям. Сеть PNML без расположения узлов раскладывается автоматически.\n";

const char RenderUsage[] =
    "использование: petrinets-cli render ВХОД РИСУНОК.png|svg|pdf [--states]\n"
    "  Рисует лист сети так же, как редактор. --states показывает режим моделирования,\n"
    "  выделение каждого второго элемента и подсветку последних позиции и перехода.\n"
    "  Рисунки PNG больше 100 мегапикселей не создаются (выберите SVG или PDF).\n";

const char InfoUsage[] =
    "использование: petrinets-cli info ФАЙЛ... [--json]\n"
    "  Имя сети, автор, число позиций, переходов и дуг, имена узлов и разметка.\n"
    "  С --json выводит массив JSON, по объекту на файл, с ключами file, format, name,\n"
    "  author, places, transitions, arcs, place_names, transition_names, marking.\n"
    "  Файл, который не открывается, пропускается с сообщением; код выхода тогда 1.\n";

const char SampleUsage[] =
    "использование: petrinets-cli sample ВЫХОД.qvx\n"
    "  Записывает демонстрационную сеть со всеми видами элементов.\n";

} // namespace

void PrintError(const QString &command, const QString &message)
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    QTextStream(stderr) << command << QStringLiteral(": ") << text << u'\n';
}

int ConvertCommand(const QStringList &args)
{
    const QString cmd = QStringLiteral("convert");
    if (WantsHelp(args))
        return Help(ConvertUsage);
    QStringList files, flags;
    QString unknown;
    if (!SplitArgs(args, {}, files, flags, unknown))
        return Usage(cmd, QStringLiteral("неизвестный параметр %1").arg(unknown), ConvertUsage);
    if (files.size() != 2)
        return Usage(cmd, QStringLiteral("нужны два файла: ВХОД и ВЫХОД"), ConvertUsage);
    const QString suffix = QFileInfo(files[1]).suffix().toLower();
    if (suffix != u"qvx" && suffix != u"pnml")
        return Usage(cmd, QStringLiteral("у выходного файла должно быть расширение .qvx или .pnml"), ConvertUsage);
    TPetryNet net;
    if (!Load(cmd, files[0], net))
        return 1;
    QString error;
    if (!SaveNetDocument(net, files[1], FormatForFileName(files[1]), &error)) {
        PrintError(cmd, files[1] + QStringLiteral(": ") + error);
        return 1;
    }
    return 0;
}

int RenderCommand(const QStringList &args)
{
    const QString cmd = QStringLiteral("render");
    if (WantsHelp(args))
        return Help(RenderUsage);
    QStringList files, flags;
    QString unknown;
    if (!SplitArgs(args, {QStringLiteral("--states")}, files, flags, unknown))
        return Usage(cmd, QStringLiteral("неизвестный параметр %1").arg(unknown), RenderUsage);
    if (files.size() != 2)
        return Usage(cmd, QStringLiteral("нужны два файла: ВХОД и РИСУНОК"), RenderUsage);
    if (!PictureFormatForFileName(files[1], nullptr))
        return Usage(cmd, QStringLiteral("у рисунка должно быть расширение .png, .svg или .pdf"), RenderUsage);
    TPetryNet net;
    if (!Load(cmd, files[0], net))
        return 1;
    const bool states = !flags.isEmpty();
    if (states)
        ApplySampleStates(net);
    QString error;
    if (!ExportNetPicture(net, files[1], &error, states)) {
        PrintError(cmd, files[1] + QStringLiteral(": ") + error);
        return 1;
    }
    return 0;
}

int InfoCommand(const QStringList &args)
{
    const QString cmd = QStringLiteral("info");
    if (WantsHelp(args))
        return Help(InfoUsage);
    QStringList files, flags;
    QString unknown;
    if (!SplitArgs(args, {QStringLiteral("--json")}, files, flags, unknown))
        return Usage(cmd, QStringLiteral("неизвестный параметр %1").arg(unknown), InfoUsage);
    if (files.isEmpty())
        return Usage(cmd, QStringLiteral("не указан ни один файл"), InfoUsage);
    const bool json = !flags.isEmpty();
    QTextStream out(stdout);
    QJsonArray results;
    int status = 0;
    for (const QString &file : files) {
        TPetryNet net;
        TNetFormat format = TNetFormat::Qvx;
        QString error;
        if (!LoadNetDocument(file, net, &error, &format)) {
            PrintError(cmd, file + QStringLiteral(": ") + error);
            status = 1;
            continue;
        }
        QStringList placeNames, transitionNames;
        QJsonArray marking;
        for (const TPosition *p : net.Places) {
            placeNames << p->Name;
            marking.append(p->Tokens);
        }
        for (const TTransfer *t : net.Transitions)
            transitionNames << t->Name;
        if (json) {
            results.append(QJsonObject{
                {QStringLiteral("file"), file},
                {QStringLiteral("format"), format == TNetFormat::Pnml ? QStringLiteral("pnml") : QStringLiteral("qvx")},
                {QStringLiteral("name"), net.NetName},
                {QStringLiteral("author"), net.Author},
                {QStringLiteral("description"), net.Description},
                {QStringLiteral("places"), net.PlaceCount()},
                {QStringLiteral("transitions"), net.TransitionCount()},
                {QStringLiteral("arcs"), net.ArcCount()},
                {QStringLiteral("place_names"), QJsonArray::fromStringList(placeNames)},
                {QStringLiteral("transition_names"), QJsonArray::fromStringList(transitionNames)},
                {QStringLiteral("marking"), marking},
            });
            continue;
        }
        QStringList tokens;
        for (const TPosition *p : net.Places)
            tokens << QString::number(p->Tokens);
        out << QStringLiteral("Файл: ") << file << u'\n'
            << QStringLiteral("Сеть: ") << net.NetName << u'\n'
            << QStringLiteral("Автор: ") << net.Author << u'\n'
            << QStringLiteral("Позиций: %1, переходов: %2, дуг: %3\n")
                   .arg(net.PlaceCount()).arg(net.TransitionCount()).arg(net.ArcCount())
            << QStringLiteral("Позиции: ") << placeNames.join(QStringLiteral(", ")) << u'\n'
            << QStringLiteral("Переходы: ") << transitionNames.join(QStringLiteral(", ")) << u'\n'
            << QStringLiteral("Разметка: (") << tokens.join(QStringLiteral(", ")) << QStringLiteral(")\n\n");
    }
    if (json)
        out << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return status;
}

int SampleCommand(const QStringList &args)
{
    const QString cmd = QStringLiteral("sample");
    if (WantsHelp(args))
        return Help(SampleUsage);
    if (args.size() != 1 || args[0].startsWith(u"--"))
        return Usage(cmd, QStringLiteral("нужен один выходной файл"), SampleUsage);
    TPetryNet net;
    BuildSampleNet(net);
    QString error;
    if (!SaveNetDocument(net, args[0], FormatForFileName(args[0]), &error)) {
        PrintError(cmd, args[0] + QStringLiteral(": ") + error);
        return 1;
    }
    return 0;
}
