#include "platform/FileSafety.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

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

void removeStaleTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QRegularExpression ours(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfoList entries = target.absoluteDir().entryInfoList({target.fileName() + QStringLiteral(".*")},
                                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (ours.match(entry.fileName()).hasMatch() && entry.lastModified().secsTo(now) >= 60)
            QFile::remove(entry.absoluteFilePath());
    }
}

} // namespace formulix
