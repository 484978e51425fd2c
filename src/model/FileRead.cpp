#include "FileRead.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every way out of ReadFileBytes.
class TFileDescriptor
{
public:
    explicit TFileDescriptor(int fd) : Fd(fd) {}
    ~TFileDescriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;
    const int Fd;
};

// Reads until `size` bytes arrived or the file ends; false on an I/O error.
bool ReadFully(int fd, char *data, qint64 size, qint64 &got)
{
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size_t(size - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    return true;
}

TFileReadResult ReadOpened(int fd, qint64 maxSize, QByteArray &bytes, const QByteArray &expectedMagic)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return TFileReadResult::OpenFailed;
    if (!S_ISREG(st.st_mode))
        return TFileReadResult::NotRegularFile;
    const qint64 size = st.st_size;
    if (size > maxSize)
        return TFileReadResult::TooLarge;
    if (size < expectedMagic.size())
        return TFileReadResult::WrongMagic;

    QByteArray data;
    try {
        data.resize(size);
    } catch (const std::bad_alloc &) {
        return TFileReadResult::ReadFailed;
    }
    // The magic comes first, so a foreign file costs one small read.
    qint64 got = 0;
    const qint64 head = expectedMagic.size();
    if (!ReadFully(fd, data.data(), head, got))
        return TFileReadResult::ReadFailed;
    if (got < head || QByteArrayView(data.constData(), head) != expectedMagic)
        return TFileReadResult::WrongMagic;
    // Exactly the size seen at open: growth after that is not read, and a file
    // that shrank meanwhile is being rewritten, so what was read is not trusted.
    qint64 rest = 0;
    if (!ReadFully(fd, data.data() + head, size - head, rest) || head + rest != size)
        return TFileReadResult::ReadFailed;
    bytes = std::move(data);
    return TFileReadResult::Ok;
}

} // namespace

TFileReadResult ReadFileBytes(const QString &path, qint64 maxSize, QByteArray &bytes,
                              const QByteArray &expectedMagic)
{
    bytes.clear();
    if (path.isEmpty())
        return TFileReadResult::OpenFailed;
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return TFileReadResult::OpenFailed;
    const TFileDescriptor guard(fd);
    return ReadOpened(guard.Fd, maxSize, bytes, expectedMagic);
}

void IgnoreFileSizeSignal()
{
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}
