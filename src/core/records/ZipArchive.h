#pragma once
// The zip container of a workbook, read through libzip: a member whole (the small parts that
// describe a workbook) or a block at a time (a sheet, which may be hundreds of megabytes), and
// a member's XML parsed as it is needed.
//
// The reasons given here are clauses in Romanian ("partea xl/workbook.xml lipseste"); the kind
// that opened the file puts them into a sentence naming it.

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

struct zip;
struct zip_file;

namespace formulix {

class ZipArchive
{
public:
    enum class Fault { None, Unreadable, NotZip, Damaged };

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Opens a regular file (never waiting on a FIFO) and reads its directory. On failure
    // `reason` is a whole sentence naming the file for Unreadable, and empty otherwise: the
    // caller knows what the file should have been. A file that begins as a zip and has no
    // readable directory is Damaged (cut short), one that does not begin as a zip NotZip.
    Fault open(const QString &path, QString *reason);
    // As messages name it.
    const QString &path() const { return m_path; }

    // The member's index (an exact name first, then ignoring case, as some writers spell parts
    // differently from their references); -1 when absent.
    qint64 locate(const QString &name) const;
    bool contains(const QString &name) const { return locate(name) >= 0; }
    // The member whole, refused (with `why`) when absent, damaged or above `maxBytes`.
    bool read(const QString &name, qint64 maxBytes, QByteArray *out, QString *why) const;
    // The file is no longer the one opened: rewritten or cut in place.
    bool changed() const;

private:
    friend class ZipStream;
    QString m_path;
    zip *m_zip = nullptr;
    int m_fd = -1; // the same open file as libzip's, for its size and time
    qint64 m_size = -1;
    qint64 m_modified = 0;
};

// One member, uncompressed a block at a time.
class ZipStream
{
public:
    ZipStream() = default;
    ~ZipStream();
    ZipStream(const ZipStream &) = delete;
    ZipStream &operator=(const ZipStream &) = delete;

    bool open(const ZipArchive &zip, const QString &name, QString *why);
    // Up to `size` more bytes; 0 at the member's end, -1 on a fault (why()).
    qint64 read(char *data, qint64 size);
    QString why() const { return m_why; }

private:
    QString m_name;
    zip_file *m_file = nullptr;
    QString m_why;
};

// A member's XML, fed to the parser as the parser needs it, so a sheet's first rows come
// before the rest of it is uncompressed.
class XmlMember
{
public:
    bool open(const ZipArchive &zip, const QString &name, QString *why);
    // The next token; Invalid at a fault (why()) and after EndDocument.
    QXmlStreamReader::TokenType next();
    // Reads to the end of the element just started.
    bool skipElement();
    // The text inside the element just started (text of its children included), to its end.
    bool readText(QString *text);
    QXmlStreamReader &xml() { return m_xml; }
    bool failed() const { return !m_why.isEmpty(); }
    QString why() const { return m_why; }
    const QString &name() const { return m_name; }

private:
    bool feed();

    QString m_name;
    std::unique_ptr<ZipStream> m_stream;
    QXmlStreamReader m_xml;
    QByteArray m_block;
    bool m_ended = false;
    bool m_done = false; // the document's end was read
    QString m_why;
};

} // namespace formulix
