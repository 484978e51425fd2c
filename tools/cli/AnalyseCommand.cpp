#include "AnalyseCommand.h"

#include "Analysis.h"
#include "CliCommands.h"
#include "NetFormats.h"
#include "PetryNet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace {

const char AnalyseUsage[] =
    "использование: petrinets-cli analyse ФАЙЛ... [--json] [--max-states N] [--timeout S] [--threads N]\n"
    "  Граф достижимости (или покрытия для неограниченной сети), свойства сети\n"
    "  с их свидетельствами и инварианты, по блоку на файл (.qvx или .pnml).\n"
    "  --max-states N  предел числа состояний (по умолчанию 10000000);\n"
    "  --timeout S     предел времени на один файл, в секундах;\n"
    "  --threads N     сколько потоков ищут состояния (по умолчанию 1; ответ тот же).\n"
    "  С --json выводит объект JSON на файл (массив, если файлов несколько);\n"
    "  ключи описаны в README. Анализ, остановленный пределом, помечен complete: false.\n";

int Usage(const QString &problem)
{
    PrintError(QStringLiteral("analyse"), problem);
    QTextStream(stderr) << QString::fromUtf8(AnalyseUsage);
    return 2;
}

} // namespace

int AnalyseCommand(const QStringList &args)
{
    if (args.contains(u"--help") || args.contains(u"-h")) {
        QTextStream(stdout) << QString::fromUtf8(AnalyseUsage);
        return 0;
    }
    QStringList files;
    bool json = false;
    TAnalysisOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--json") {
            json = true;
        } else if (a == u"--max-states" || a == u"--timeout" || a == u"--threads") {
            if (i + 1 == args.size())
                return Usage(QStringLiteral("после %1 нужно число").arg(a));
            bool ok = false;
            if (a == u"--max-states") {
                options.MaxStates = args[++i].toLongLong(&ok);
                ok = ok && options.MaxStates > 0;
            } else if (a == u"--threads") {
                options.Threads = args[++i].toInt(&ok);
                ok = ok && options.Threads > 0 && options.Threads <= 16;
            } else {
                options.MaxSeconds = args[++i].toDouble(&ok);
                ok = ok && options.MaxSeconds > 0 && options.MaxSeconds < 1e9;
            }
            if (!ok)
                return Usage(QStringLiteral("после %1 нужно положительное число, а не «%2»").arg(a, args[i]));
        } else if (a.startsWith(u"--")) {
            return Usage(QStringLiteral("неизвестный параметр %1").arg(a));
        } else {
            files << a;
        }
    }
    if (files.isEmpty())
        return Usage(QStringLiteral("не указан ни один файл"));

    QTextStream out(stdout);
    QJsonArray objects;
    int status = 0;
    for (const QString &file : files) {
        TPetryNet net;
        TAnalysisNet compact;
        QString error;
        QJsonObject o;
        o[QStringLiteral("file")] = file;
        if (!LoadNetDocument(file, net, &error) || !BuildAnalysisNet(net, compact, &error)) {
            PrintError(QStringLiteral("analyse"), file + QStringLiteral(": ") + error);
            o[QStringLiteral("error")] = QString(error).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            objects << o;
            status = 1;
            continue;
        }
        const TAnalysisResult result = AnalyseNet(compact, options);
        const QJsonObject report = AnalysisReportJson(compact, result);
        for (auto it = report.begin(); it != report.end(); ++it)
            o.insert(it.key(), it.value());
        objects << o;
        if (!json)
            out << QStringLiteral("Файл: ") << file << u'\n' << AnalysisReportText(compact, result) << u'\n';
        out.flush();
    }
    if (json) {
        const QJsonDocument doc = files.size() == 1 ? QJsonDocument(objects[0].toObject()) : QJsonDocument(objects);
        out << QString::fromUtf8(doc.toJson(QJsonDocument::Indented));
    }
    return status;
}
