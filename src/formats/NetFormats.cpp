#include "NetFormats.h"

#include "FileRead.h"
#include "Pnml.h"
#include "PetryNet.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString OpenFailure = QStringLiteral("Невозможно открыть документ!\r\n");

// PNML is XML: after an optional byte order mark and white space it starts with '<'.
bool LooksLikeXml(const QByteArray &bytes)
{
    QByteArrayView v(bytes);
    if (v.startsWith("\xEF\xBB\xBF"))
        v = v.sliced(3);
    return v.trimmed().startsWith('<');
}

QString ReadFailureText(TFileReadResult result)
{
    switch (result) {
    case TFileReadResult::NotRegularFile:
        return QStringLiteral("Это не обычный файл.");
    case TFileReadResult::TooLarge:
        return QStringLiteral("Файл слишком велик.");
    case TFileReadResult::OpenFailed:
        return QStringLiteral("Файл не найден или недоступен для чтения.");
    default:
        return QStringLiteral("Ошибка чтения файла.");
    }
}

} // namespace

QString QvxFileFilter()
{
    return QStringLiteral("Сеть Петри (*.qvx)");
}

QString PnmlFileFilter()
{
    return QStringLiteral("Сеть Петри PNML (*.pnml)");
}

TNetFormat FormatForFileName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(u"pnml", Qt::CaseInsensitive) == 0 ? TNetFormat::Pnml
                                                                                     : TNetFormat::Qvx;
}

bool LoadNetDocument(const QString &fileName, TPetryNet &net, QString *error, TNetFormat *format)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = OpenFailure + reason;
        return false;
    };
    const bool pnmlName = FormatForFileName(fileName) == TNetFormat::Pnml;
    QByteArray bytes;
    const TFileReadResult read = ReadFileBytes(fileName, pnmlName ? MaxPnmlSize : MaxDocumentSize, bytes);
    if (read != TFileReadResult::Ok)
        return fail(ReadFailureText(read));

    if (pnmlName || LooksLikeXml(bytes)) {
        QString reason;
        bool laidOut = false;
        if (!ImportPnml(bytes, net, &reason, &laidOut))
            return fail(reason);
        net.FileName = fileName;
        if (laidOut)
            net.MarkChanged();
        if (format)
            *format = TNetFormat::Pnml;
        return true;
    }
    if (!net.LoadFromBytes(bytes))
        return fail(QStringLiteral("Файл поврежден или имеет неправильный формат."));
    net.FileName = fileName;
    if (format)
        *format = TNetFormat::Qvx;
    return true;
}

bool SaveNetDocument(TPetryNet &net, const QString &fileName, TNetFormat format, QString *error)
{
    const QByteArray bytes = format == TNetFormat::Pnml ? ExportPnml(net) : net.SaveToBytes();
    // Unbuffered, so a short write (disk full, size limit) shows in write()'s
    // result; the previous file is replaced only by commit().
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        if (error)
            *error = QStringLiteral("Невозможно сохранить документ!\r\n") + file.errorString();
        return false;
    }
    net.FileName = fileName;
    net.Saved = true;
    return true;
}
