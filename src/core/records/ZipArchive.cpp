#include "core/records/ZipArchive.h"

#include "core/files/FileSafety.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <fcntl.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <zip.h>

namespace formulix {

namespace {

constexpr qint64 BlockSize = 64 * 1024;

bool stampOf(int fd, qint64 *size, qint64 *modified)
{
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        return false;
    *size = qint64(status.st_size);
    *modified = qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return true;
}

QString unzipFailed(const QString &name)
{
    return QStringLiteral("partea %1 nu poate fi dezarhivata").arg(name);
}

// libzip is opened with the first workbook, not linked: it and what it pulls in (OpenSSL among
// them) cost every start of the window a tenth of its time, for files many users never open.
struct LibZip
{
    decltype(&zip_fdopen) fdopen = nullptr;
    decltype(&zip_name_locate) nameLocate = nullptr;
    decltype(&zip_fopen_index) fopenIndex = nullptr;
    decltype(&zip_fread) fread = nullptr;
    decltype(&zip_fclose) fclose = nullptr;
    decltype(&zip_discard) discard = nullptr;
};

const LibZip *libzip()
{
    static const LibZip loaded = [] {
        QLibrary library(QStringLiteral("zip"), 4); // stays loaded: QLibrary does not unload on destruction
        const auto get = [&library](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            return function != nullptr;
        };
        LibZip z;
        if (get(z.fdopen, "zip_fdopen") && get(z.nameLocate, "zip_name_locate") && get(z.fopenIndex, "zip_fopen_index")
            && get(z.fread, "zip_fread") && get(z.fclose, "zip_fclose") && get(z.discard, "zip_discard"))
            return z;
        return LibZip();
    }();
    return loaded.fdopen ? &loaded : nullptr;
}

} // namespace

ZipArchive::~ZipArchive()
{
    if (m_zip)
        libzip()->discard(m_zip);
    if (m_fd >= 0)
        ::close(m_fd);
}

ZipArchive::Fault ZipArchive::open(const QString &path, QString *reason)
{
    m_path = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString &why) {
        if (reason)
            *reason = why == readReason(ENOENT) ? QStringLiteral("Fisierul %1 nu exista.").arg(m_path)
                                                : QStringLiteral("Fisierul %1 nu poate fi citit: %2.").arg(m_path, why);
        return Fault::Unreadable;
    };
    if (reason)
        reason->clear();
    if (const QString why = notRegularFile(path); !why.isEmpty())
        return unreadable(why);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return unreadable(readReason(errno));
    struct stat status;
    if (fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))
        return Fault::NotZip;
    stampOf(m_fd, &m_size, &m_modified);
    const LibZip *zip = libzip();
    if (!zip)
        return unreadable(QStringLiteral("biblioteca libzip (pachetul libzip4) lipseste din sistem"));
    char magic[4] = {};
    const bool zipMagic = ::pread(m_fd, magic, 4, 0) == 4 && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
    // libzip takes a descriptor of its own and closes it; ours stays for the file's stamp.
    const int own = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return unreadable(readReason(errno));
    int error = 0;
    m_zip = zip->fdopen(own, ZIP_RDONLY, &error);
    if (!m_zip) {
        ::close(own);
        if (error == ZIP_ER_READ || error == ZIP_ER_MEMORY)
            return unreadable(systemReason(errno));
        return zipMagic ? Fault::Damaged : Fault::NotZip;
    }
    return Fault::None;
}

qint64 ZipArchive::locate(const QString &name) const
{
    if (!m_zip)
        return -1;
    const QByteArray bytes = name.toUtf8();
    zip_int64_t index = libzip()->nameLocate(m_zip, bytes.constData(), 0);
    if (index < 0)
        index = libzip()->nameLocate(m_zip, bytes.constData(), ZIP_FL_NOCASE);
    return index;
}

bool ZipArchive::read(const QString &name, qint64 maxBytes, QByteArray *out, QString *why) const
{
    ZipStream stream;
    if (!stream.open(*this, name, why))
        return false;
    out->clear();
    for (;;) {
        const qint64 start = out->size();
        out->resize(start + BlockSize);
        const qint64 got = stream.read(out->data() + start, BlockSize);
        if (got < 0) {
            *why = stream.why();
            return false;
        }
        out->resize(start + got);
        if (got == 0)
            return true;
        if (out->size() > maxBytes) {
            *why = QStringLiteral("partea %1 are peste %2 MB").arg(name).arg(maxBytes >> 20);
            return false;
        }
    }
}

bool ZipArchive::changed() const
{
    qint64 size = -1, modified = 0;
    return !stampOf(m_fd, &size, &modified) || size != m_size || modified != m_modified;
}

ZipStream::~ZipStream()
{
    if (m_file)
        libzip()->fclose(m_file);
}

bool ZipStream::open(const ZipArchive &zip, const QString &name, QString *why)
{
    m_name = name;
    const qint64 index = zip.locate(name);
    if (index < 0) {
        *why = QStringLiteral("partea %1 lipseste").arg(name);
        return false;
    }
    m_file = libzip()->fopenIndex(zip.m_zip, zip_uint64_t(index), 0);
    if (!m_file) {
        // Encrypted members and unknown compression methods are refused here.
        *why = unzipFailed(name);
        return false;
    }
    return true;
}

qint64 ZipStream::read(char *data, qint64 size)
{
    if (!m_file)
        return -1;
    const zip_int64_t got = libzip()->fread(m_file, data, zip_uint64_t(size));
    if (got < 0)
        m_why = unzipFailed(m_name); // a corrupt stream or a wrong checksum
    return got;
}

bool XmlMember::open(const ZipArchive &zip, const QString &name, QString *why)
{
    m_name = name;
    m_stream = std::make_unique<ZipStream>();
    if (!m_stream->open(zip, name, why))
        return false;
    m_block.resize(BlockSize);
    return true;
}

bool XmlMember::feed()
{
    if (m_ended || !m_stream)
        return false;
    const qint64 got = m_stream->read(m_block.data(), m_block.size());
    if (got < 0) {
        m_why = m_stream->why();
        return false;
    }
    if (got == 0) {
        m_ended = true;
        return false;
    }
    m_xml.addData(QByteArrayView(m_block.constData(), got).toByteArray());
    return true;
}

QXmlStreamReader::TokenType XmlMember::next()
{
    for (;;) {
        if (!m_why.isEmpty() || m_done)
            return QXmlStreamReader::Invalid;
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::EndDocument)
            m_done = true;
        if (token != QXmlStreamReader::Invalid)
            return token;
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            if (feed())
                continue;
            if (m_why.isEmpty())
                m_why = QStringLiteral("partea %1 se termina inainte de sfarsitul ei").arg(m_name);
        } else {
            m_why = QStringLiteral("partea %1 nu este XML valid (linia %2)").arg(m_name).arg(m_xml.lineNumber());
        }
        return QXmlStreamReader::Invalid;
    }
}

bool XmlMember::skipElement()
{
    for (int depth = 1; depth > 0;) {
        switch (next()) {
        case QXmlStreamReader::StartElement: ++depth; break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
    return true;
}

bool XmlMember::readText(QString *text)
{
    text->resize(0); // keeping its room
    for (int depth = 1; depth > 0;) {
        switch (next()) {
        case QXmlStreamReader::StartElement: ++depth; break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference: text->append(m_xml.text()); break;
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
    return true;
}

} // namespace formulix
