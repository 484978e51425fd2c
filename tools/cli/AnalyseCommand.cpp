#include "AnalyseCommand.h"

#include "Analysis.h"
#include "NetFormats.h"
#include "PetryNet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace {

int Usage(const QString &problem)
{
    QTextStream err(stderr);
    err << "analyse: " << problem << '\n'
        << "usage: petrinets-cli analyse FILE... [--json] [--max-states N] [--timeout S]\n";
    return 2;
}

} // namespace

int AnalyseCommand(const QStringList &args)
{
    QStringList files;
    bool json = false;
    TAnalysisOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--json") {
            json = true;
        } else if (a == u"--max-states" || a == u"--timeout") {
            if (i + 1 == args.size())
                return Usage(QStringLiteral("%1 needs a value").arg(a));
            bool ok = false;
            if (a == u"--max-states") {
                options.MaxStates = args[++i].toLongLong(&ok);
                ok = ok && options.MaxStates > 0;
            } else {
                options.MaxSeconds = args[++i].toDouble(&ok);
                ok = ok && options.MaxSeconds > 0;
            }
            if (!ok)
                return Usage(QStringLiteral("%1 needs a positive number, not \"%2\"").arg(a, args[i]));
        } else if (a.startsWith(u"--")) {
            return Usage(QStringLiteral("unknown option %1").arg(a));
        } else {
            files << a;
        }
    }
    if (files.isEmpty())
        return Usage(QStringLiteral("no file given"));

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    QJsonArray objects;
    int code = 0;
    for (const QString &file : files) {
        TPetryNet net;
        TAnalysisNet compact;
        QString error;
        const bool loaded = LoadNetDocument(file, net, &error) && BuildAnalysisNet(net, compact, &error);
        QJsonObject o;
        o[QStringLiteral("file")] = file;
        if (!loaded) {
            code = 1;
            o[QStringLiteral("error")] = error;
            if (!json)
                err << file << ": " << error << '\n';
        } else {
            const TAnalysisResult result = AnalyseNet(compact, options);
            const QJsonObject report = AnalysisReportJson(compact, result);
            for (auto it = report.begin(); it != report.end(); ++it)
                o.insert(it.key(), it.value());
            if (!json)
                out << QStringLiteral("Файл: ") << file << '\n' << AnalysisReportText(compact, result) << '\n';
        }
        objects << o;
    }
    if (json) {
        const QJsonDocument doc = files.size() == 1 ? QJsonDocument(objects[0].toObject()) : QJsonDocument(objects);
        out << doc.toJson(QJsonDocument::Indented);
    }
    return code;
}
