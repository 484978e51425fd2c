#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about dialog: the program's picture, title and credits, and a few lines
// about the operating system and the machine's memory.
class TAboutBoxForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBoxForm(QWidget *parent = nullptr);

    // The memory of the machine: total physical bytes and the percentage in use.
    struct TMemoryStatus
    {
        quint64 TotalPhys = 0;
        int MemoryLoad = 0;
    };
    // Reads the kernel's memory table (the text of /proc/meminfo).
    static TMemoryStatus ParseMemInfo(const QByteArray &text);
    static TMemoryStatus MemoryStatus();
    // "<family> Версия <major>.<minor> <service pack> (Build <build>)".
    static QString SystemText(const QString &family, int major, int minor, const QString &servicePack, int build);
    // The system line of the running system.
    static QString SystemLine();
    static QString TotalMemoryText(quint64 totalPhys);
    static QString FreeMemoryText(int memoryLoad);

    QLabel *Picture = nullptr;
    QLabel *TitleLabel = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *OkButton = nullptr;
};
