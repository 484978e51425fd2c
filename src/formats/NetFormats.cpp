#include "NetFormats.h"

#include "PetryNet.h"

bool LoadNetDocument(const QString &fileName, TPetryNet &net, QString *error, TNetFormat *format)
{
    const QString old = net.FileName;
    net.FileName = fileName;
    if (net.LoadFromFile()) {
        if (format)
            *format = TNetFormat::Qvx;
        return true;
    }
    net.FileName = old;
    if (error)
        *error = QStringLiteral("Файл повреждён или имеет неизвестный формат.");
    return false;
}
