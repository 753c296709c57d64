#pragma once
// What a failed write or read says to the user, and the clean-up after a write that was killed.

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace formulix {

// The system's reason for `code` (an errno value) in Romanian, for the common ones; the
// system's own words otherwise; `fallback` when there is no code.
QString systemReason(int code, const QString &fallback = QString());

// The same for a file that was to be read: a refused open means the user may not read it.
QString readReason(int code, const QString &fallback = QString());

// Empty when `path` names a regular file (through any symbolic link); otherwise why it is not
// one, in Romanian. Inputs are opened only after this: a FIFO blocks for ever and a device
// never ends, and neither has a size to check.
QString notRegularFile(const QString &path);

// True when both paths name one existing file, through any symbolic or hard link: compared by
// device and inode, since two different strings may name the same file.
bool sameFile(const QString &first, const QString &second);

// The name of a temporary file for `path`: hidden, and of a pattern no user writes.
QString temporaryPattern(const QString &path);

// Removes what a killed write to `path` left beside it: our own temporary files for it, made
// by this user and untouched for a minute (so a write still going on elsewhere keeps its
// file). Nothing else is touched.
void removeStaleTemporaries(const QString &path);

// The reasons below are clauses in Romanian for "Fisierul X nu poate fi scris: ...".

// Where a write to `path` really goes: the end of a chain of symbolic links, so the link stays
// a link. Empty, with the reason, when that is a folder, a device or a pipe (whose
// "replacement" would destroy it) or the link chain does not end.
QString outputTarget(const QString &path, QString *error);

// An existing file the user may not write (no write bit, or no permission): it is replaced only
// when the user says so.
bool isReadOnlyFile(const QString &path);

// A file written under a name of our own beside its target and renamed onto it only when whole,
// so a failed or killed write leaves the old file exactly as it was. The new file keeps the old
// one's permissions, or gets the umask's when there was none. Writes are buffered here, not in
// the system's library, so the first failure's errno is kept for the message.
class OutputFile final : public QIODevice
{
public:
    OutputFile() = default;
    ~OutputFile() override;

    // Opens the temporary file for `path` (through a symbolic link, beside its target). A
    // read-only target is refused unless `replaceReadOnly`. False with the reason.
    bool open(const QString &path, bool replaceReadOnly, QString *error);
    // A writer of many files into one folder sweeps what killed writes left there once, itself:
    // each open() then skips the sweep, which reads the whole folder.
    void skipStaleSweep() { m_sweep = false; }
    // The target, a symbolic link resolved.
    QString target() const { return m_target; }
    // The errno of the first write that failed, 0 while all went well.
    int failure() const { return m_errno; }
    // Something written and not yet committed or discarded, all of it without a failure.
    bool holdsWhole() const { return !m_temporary.isEmpty() && m_errno == 0; }
    // Writes out what is buffered and renames the file onto its target; false with the reason.
    bool commit(QString *error);
    // Forgets what was written: the target stays as it was.
    void discard();
    // What was written goes to a new file, never over an existing one: `wanted`, or the same name
    // with " 2", " 3"... before its extension. The name taken, or empty with the reason.
    QString keepAs(const QString &wanted, QString *error);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool flushBuffer();
    void closeHandle();

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    int m_errno = 0;
    bool m_sweep = true;
    QByteArray m_buffer;
};


} // namespace formulix
