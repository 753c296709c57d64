#include "core/files/FileSafety.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace formulix {

QString systemReason(int code, const QString &fallback)
{
    switch (code) {
    case 0:
        return fallback.isEmpty() ? QStringLiteral("eroare necunoscuta") : fallback;
    case ENOSPC:
        return QStringLiteral("discul este plin");
    case EDQUOT:
        return QStringLiteral("spatiul pe disc al utilizatorului este epuizat");
    case EACCES:
    case EPERM:
        return QStringLiteral("nu aveti drept de scriere acolo");
    case EROFS:
        return QStringLiteral("discul poate fi doar citit");
    case ENOENT:
        return QStringLiteral("folderul nu exista");
    case ENOTDIR:
        return QStringLiteral("calea trece printr-un fisier, nu printr-un folder");
    case EISDIR:
        return QStringLiteral("numele este al unui folder");
    case EFBIG:
        return QStringLiteral("fisierul depaseste marimea permisa");
    case EIO:
        return QStringLiteral("eroare de citire sau scriere pe disc");
    case ENAMETOOLONG:
        return QStringLiteral("numele fisierului este prea lung");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

QString readReason(int code, const QString &fallback)
{
    switch (code) {
    case ENOENT:
        return QStringLiteral("fisierul nu exista");
    case EACCES:
    case EPERM:
        return QStringLiteral("nu aveti dreptul sa cititi fisierul");
    case EIO:
        return QStringLiteral("eroare de citire pe disc");
    case ELOOP:
        return QStringLiteral("calea are prea multe legaturi simbolice");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("prea multe fisiere deschise");
    default: // a folder, a path through a file, a name too long: as for a write
        return systemReason(code, fallback);
    }
}

QString notRegularFile(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return readReason(errno);
    if (S_ISREG(status.st_mode))
        return QString();
    if (S_ISDIR(status.st_mode))
        return readReason(EISDIR);
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return QStringLiteral("este un canal de comunicare, nu un fisier");
    return QStringLiteral("este un dispozitiv, nu un fisier");
}

bool sameFile(const QString &first, const QString &second)
{
    struct stat one;
    struct stat other;
    return ::stat(QFile::encodeName(first).constData(), &one) == 0
        && ::stat(QFile::encodeName(second).constData(), &other) == 0 && one.st_dev == other.st_dev
        && one.st_ino == other.st_ino;
}

QString temporaryPattern(const QString &path)
{
    const QFileInfo target(path);
    return target.absoluteDir().filePath(QStringLiteral(".%1.formulix-XXXXXX").arg(target.fileName()));
}

void removeStaleTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QRegularExpression ours(
        QStringLiteral("^\\.%1\\.formulix-[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    const QDir folder = target.absoluteDir();
    const QStringList names = folder.entryList({QStringLiteral(".") + target.fileName() + QStringLiteral(".formulix-*")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    const time_t now = std::time(nullptr);
    for (const QString &name : names) {
        if (!ours.match(name).hasMatch())
            continue;
        const QByteArray entry = QFile::encodeName(folder.filePath(name));
        struct stat status;
        // Ours: a plain file of this user's, not a link to something else, and left for a minute.
        if (::lstat(entry.constData(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
            && now - status.st_mtime >= 60)
            ::unlink(entry.constData());
    }
}

namespace {

// The umask, read without changing it (umask(2) can only be read by setting it).
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

QString notAFile(const struct stat &status)
{
    if (S_ISDIR(status.st_mode))
        return systemReason(EISDIR);
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return QStringLiteral("este un canal de comunicare, nu un fisier");
    return QStringLiteral("este un dispozitiv, nu un fisier");
}

const QString ReadOnlyReason = QStringLiteral("fisierul poate fi doar citit");

constexpr qsizetype WriteBlock = 256 * 1024;

} // namespace

QString outputTarget(const QString &path, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QString();
    };
    QString current = QFileInfo(path).absoluteFilePath();
    for (int links = 0;; ++links) {
        const QByteArray encoded = QFile::encodeName(current);
        struct stat status;
        if (::lstat(encoded.constData(), &status) != 0)
            return current; // a new file (its folder is checked when it is made)
        if (S_ISREG(status.st_mode))
            return current;
        if (!S_ISLNK(status.st_mode))
            return fail(notAFile(status));
        if (links == 40)
            return fail(QStringLiteral("legatura simbolica nu duce la un fisier"));
        QByteArray next(4096, Qt::Uninitialized);
        const ssize_t length = ::readlink(encoded.constData(), next.data(), size_t(next.size()));
        if (length < 0 || length >= next.size())
            return fail(QStringLiteral("legatura simbolica nu poate fi citita"));
        next.truncate(length);
        const QString pointed = QFile::decodeName(next);
        current = QDir::cleanPath(QDir::isAbsolutePath(pointed) ? pointed : QFileInfo(current).absoluteDir().filePath(pointed));
    }
}

bool isReadOnlyFile(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status;
    if (::stat(encoded.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    // Root may write anything; a file without any write bit is still meant to be kept.
    return (status.st_mode & 0222) == 0 || ::access(encoded.constData(), W_OK) != 0;
}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open(const QString &path, bool replaceReadOnly, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    discard();
    m_target = outputTarget(path, error);
    if (m_target.isEmpty())
        return false;
    if (!replaceReadOnly && isReadOnlyFile(m_target))
        return fail(ReadOnlyReason);

    struct stat old;
    const bool existed = ::stat(QFile::encodeName(m_target).constData(), &old) == 0;
    // A killed write of an earlier day may have left its file beside the target.
    if (m_sweep)
        removeStaleTemporaries(m_target);
    QByteArray pattern = QFile::encodeName(temporaryPattern(m_target));
    errno = 0;
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail(systemReason(errno));
    m_temporary = QFile::decodeName(pattern);
    if (existed) {
        // The group first: giving it clears the set-group-ID bit the mode may then restore. Only
        // a member of the group may give it, and the file is still the user's own if not.
        [[maybe_unused]] const int grouped = ::fchown(m_fd, uid_t(-1), old.st_gid);
        ::fchmod(m_fd, old.st_mode & 07777);
    } else {
        ::fchmod(m_fd, 0666 & ~currentUmask());
    }
    m_errno = 0;
    m_buffer.clear();
    m_buffer.reserve(WriteBlock);
    QIODevice::open(QIODevice::WriteOnly);
    return true;
}

qint64 OutputFile::writeData(const char *data, qint64 size)
{
    if (m_fd < 0 || m_errno != 0)
        return -1;
    if (m_buffer.size() + size > WriteBlock && !flushBuffer())
        return -1;
    if (size >= WriteBlock) {
        for (qint64 done = 0; done < size;) {
            const ssize_t written = ::write(m_fd, data + done, size_t(size - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                m_errno = written < 0 ? errno : ENOSPC;
                return -1;
            }
            done += written;
        }
        return size;
    }
    m_buffer.append(data, size);
    return size;
}

bool OutputFile::flushBuffer()
{
    for (qsizetype done = 0; done < m_buffer.size();) {
        const ssize_t written = ::write(m_fd, m_buffer.constData() + done, size_t(m_buffer.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_errno = written < 0 ? errno : ENOSPC;
            return false;
        }
        done += written;
    }
    m_buffer.clear();
    return true;
}

void OutputFile::closeHandle()
{
    if (isOpen())
        QIODevice::close();
    if (m_fd >= 0) {
        if (m_errno == 0)
            flushBuffer();
        if (::close(m_fd) != 0 && m_errno == 0)
            m_errno = errno;
        m_fd = -1;
    }
}

bool OutputFile::commit(QString *error)
{
    if (m_temporary.isEmpty()) {
        if (error)
            *error = systemReason(m_errno);
        return false;
    }
    closeHandle();
    if (m_errno == 0
        && ::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0)
        m_errno = errno;
    if (m_errno != 0) {
        if (error)
            *error = systemReason(m_errno);
        discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void OutputFile::discard()
{
    closeHandle();
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
    m_temporary.clear();
}

QString OutputFile::keepAs(const QString &wanted, QString *error)
{
    closeHandle();
    if (m_temporary.isEmpty() || m_errno != 0) {
        if (error)
            *error = systemReason(m_errno);
        return QString();
    }
    const QFileInfo info(wanted);
    const QString stem = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    const QByteArray from = QFile::encodeName(m_temporary);
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? wanted : info.dir().filePath(QStringLiteral("%1 %2%3").arg(stem).arg(n).arg(suffix));
        const QByteArray to = QFile::encodeName(name);
        // Never over a file that exists, not even one made a moment ago.
        int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) { // a file system without it
            result = ::link(from.constData(), to.constData());
            if (result == 0)
                ::unlink(from.constData());
        }
        if (result == 0) {
            m_temporary.clear();
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    if (error)
        *error = systemReason(errno);
    discard();
    return QString();
}

} // namespace formulix
