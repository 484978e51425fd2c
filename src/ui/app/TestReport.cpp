#include "TestReport.h"

namespace TestReport {

namespace {
QStringList Shown;

class TAnsweringPrompter : public TDialogPrompter
{
public:
    QMessageBox::StandardButton MessageBox(QWidget *, const QString &text, const QString &caption,
                                           QMessageBox::StandardButtons, QMessageBox::Icon,
                                           QMessageBox::StandardButton defaultButton) override
    {
        Shown.append(caption + QLatin1Char('|') + QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')));
        return defaultButton;
    }
};
} // namespace

QString Path()
{
    return qEnvironmentVariable("PETRINETS_TEST_REPORT");
}

bool EditRequested()
{
    return qEnvironmentVariableIntValue("PETRINETS_TEST_EDIT") == 1;
}

const QStringList &Messages()
{
    return Shown;
}

std::unique_ptr<TPrompter> MakePrompter()
{
    if (Path().isEmpty())
        return std::make_unique<TDialogPrompter>();
    return std::make_unique<TAnsweringPrompter>();
}

} // namespace TestReport
