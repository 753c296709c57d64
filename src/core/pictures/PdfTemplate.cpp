#include "core/pictures/PdfTemplate.h"

#include "core/files/ProgramModule.h"
#include "core/pictures/PdfModule.h"
#include "core/pictures/PictureLoader.h"
#include "core/text/TextRules.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace formulix {

namespace {

constexpr double MmPerPoint = 25.4 / 72;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

PdfOpenFunction pdfModule()
{
    static const auto open = reinterpret_cast<PdfOpenFunction>(programModuleEntry("formulix_pdf", PdfModuleEntry));
    return open;
}

std::unique_ptr<PdfDocument> openDocument(const QByteArray &data, const QString &name, QString *error)
{
    const PdfOpenFunction open = pdfModule();
    if (!open) {
        fail(error, QStringLiteral("Documentul %1 nu poate fi citit: modulul PDF al programului lipseste din instalare. "
                                   "Reinstalati Formulix sau incarcati formularul scanat ca imagine.").arg(name));
        return nullptr;
    }
    PdfOpening outcome = PdfOpening::Damaged;
    std::unique_ptr<PdfDocument> document(open(data, &outcome));
    if (outcome == PdfOpening::Locked) {
        fail(error, QStringLiteral("Documentul %1 este protejat prin parola; salvati formularul fara parola si "
                                   "incarcati-l din nou.").arg(name));
        return nullptr;
    }
    if (!document || outcome != PdfOpening::Opened) {
        fail(error, QStringLiteral("Fisierul %1 este deteriorat sau incomplet: documentul PDF nu poate fi citit.").arg(name));
        return nullptr;
    }
    if (document->pageCount() < 1) {
        fail(error, QStringLiteral("Documentul %1 nu are nicio pagina.").arg(name));
        return nullptr;
    }
    return document;
}

PdfRenderBounds g_bounds;
thread_local PdfRenderWait *t_wait = nullptr;

using End = PdfRenderWait::End;

End blockingWait(int ready, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    for (;;) {
        const qint64 left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return End::TimedOut;
        pollfd watched{ready, POLLIN, 0};
        const int seen = ::poll(&watched, 1, int(std::min<qint64>(left, INT_MAX)));
        if (seen > 0 || (seen < 0 && errno != EINTR))
            return End::Drawn; // reading tells how it ended
    }
}

// All `size` bytes through `move` (a send or a recv), past interruptions; false when the other
// end is gone.
template <typename Byte, typename Move>
bool moveAll(Byte *at, size_t size, Move move)
{
    while (size > 0) {
        const ssize_t moved = move(at, size);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return false;
        at += moved;
        size -= size_t(moved);
    }
    return true;
}

bool sendAll(int socket, const void *bytes, size_t size)
{
    return moveAll(static_cast<const char *>(bytes), size,
                   [socket](const char *at, size_t left) { return ::send(socket, at, left, MSG_NOSIGNAL); });
}

bool receiveAll(int socket, void *bytes, size_t size)
{
    return moveAll(static_cast<char *>(bytes), size, [socket](char *at, size_t left) { return ::recv(socket, at, left, 0); });
}

// A page asked of the worker, followed by the file's name and its bytes.
struct Job
{
    int page;
    double pixelsPerMm;
    qint64 memoryBytes;
    qint64 seconds;
    qint64 nameBytes;
    qint64 dataBytes;
};

// What it answers, followed by the message when there is no picture; the pixels are in the
// memory both share.
struct Answer
{
    int width = 0;
    int height = 0;
    int format = 0; // a QImage::Format
    qint64 bytesPerLine = 0;
    double widthMm = 0;
    double heightMm = 0;
    qint64 messageBytes = 0;
};

// Room for the largest picture the budget allows, with the pixel or two poppler rounds up by.
constexpr size_t SharedBytes = size_t(PixelBudget) * 4 + 8 * 1024 * 1024;
// Pixels past this many are given back once taken, so one large form does not stay in memory.
constexpr size_t KeptSharedBytes = 16 * 1024 * 1024;

// The address space the process holds now, in bytes.
qint64 addressSpace()
{
    const int statm = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (statm < 0)
        return -1;
    char text[64] = {};
    const ssize_t got = ::read(statm, text, sizeof text - 1);
    ::close(statm);
    qint64 pages = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i)
        pages = pages * 10 + (text[i] - '0');
    return pages > 0 ? pages * ::sysconf(_SC_PAGESIZE) : -1;
}

std::optional<Picture> renderHere(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                  QString *error, std::unique_ptr<PdfDocument> *kept);

// The worker's life: jobs one after another until the program closes its end. The memory it
// starts with is the program's, shared until written; a page's allocations come from memory the
// worker has already made its own, so after the first page it draws as fast as the program would.
[[noreturn]] void serve(int socket, uchar *shared, pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // a program that is gone wants no pages
    if (::getppid() != parent)
        ::_exit(1);
    // Nothing of the program's: its handlers (a test's crash report), its signal mask, its files.
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    constexpr int Socket = STDERR_FILENO + 1;
    if (socket != Socket && ::dup2(socket, Socket) == Socket)
        socket = Socket;
    if (const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC); null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO); // poppler's complaints, which the program silences too
    }
    ::close_range(unsigned(socket) + 1, ~0U, 0);

    // The last document stays open until the next one is: poppler's tables are read once.
    std::unique_ptr<PdfDocument> kept;
    rlimit memory{};
    ::getrlimit(RLIMIT_AS, &memory);
    const rlim_t unbounded = memory.rlim_cur;
    for (;;) {
        // The file itself is no drawing's doing: it comes in without the bound.
        memory.rlim_cur = unbounded;
        ::setrlimit(RLIMIT_AS, &memory);
        Job job;
        if (!receiveAll(socket, &job, sizeof job) || job.nameBytes < 0 || job.dataBytes < 0)
            ::_exit(0);
        QByteArray name(qsizetype(job.nameBytes), Qt::Uninitialized), data(qsizetype(job.dataBytes), Qt::Uninitialized);
        if (!receiveAll(socket, name.data(), size_t(name.size())) || !receiveAll(socket, data.data(), size_t(data.size())))
            ::_exit(0);
        if (const qint64 held = addressSpace(); held > 0) {
            memory.rlim_cur = std::min(rlim_t(held + job.memoryBytes), unbounded);
            ::setrlimit(RLIMIT_AS, &memory);
        }
        // The program stops it on time; this stops it should the program be unable to.
        ::alarm(unsigned(job.seconds + 2));
        QString message;
        const std::optional<Picture> picture =
            renderHere(data, job.page, QString::fromUtf8(name), job.pixelsPerMm, &message, &kept);
        Answer answer;
        if (picture && size_t(picture->image.sizeInBytes()) <= SharedBytes) {
            std::memcpy(shared, picture->image.constBits(), size_t(picture->image.sizeInBytes()));
            answer = {picture->image.width(), picture->image.height(), int(picture->image.format()),
                      picture->image.bytesPerLine(), picture->sizeMm.width(), picture->sizeMm.height(), 0};
        } else if (picture) {
            message = QStringLiteral("Pagina %1 din %2 nu poate fi desenata.").arg(job.page + 1).arg(QString::fromUtf8(name));
        }
        const QByteArray said = message.toUtf8();
        answer.messageBytes = answer.width > 0 ? 0 : said.size();
        if (!sendAll(socket, &answer, sizeof answer) || !sendAll(socket, said.constData(), size_t(answer.messageBytes)))
            ::_exit(0);
        ::alarm(0);
    }
}

// The child process that draws pages, started with the first one and kept for the pages that
// follow; stopped when a page takes too long or is cancelled, and when idle for a while, since
// until then it holds the memory the program had when it started.
class PageWorker
{
public:
    enum class Outcome { Drawn, Refused, Cancelled, TimedOut, Died, NotStarted };

    Outcome draw(const QByteArray &data, int page, const QString &name, double pixelsPerMm, const PdfRenderBounds &bounds,
                 Picture *picture, QString *message)
    {
        // One page at a time: another thread waits, and the same one asking again while it waits
        // (from an event it handles meanwhile) is refused.
        thread_local bool waiting = false;
        if (waiting)
            return Outcome::NotStarted;
        const QScopedValueRollback<bool> busy(waiting, true);
        const std::lock_guard<std::mutex> one(m_mutex);
        const QByteArray nameBytes = name.toUtf8();
        const Job job{page, pixelsPerMm, bounds.memoryBytes, qint64(std::chrono::ceil<std::chrono::seconds>(bounds.time).count()),
                      nameBytes.size(), data.size()};
        // A worker that died since its last page is found out here: one more try with a new one.
        bool sent = false;
        for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
            if (m_pid <= 0 && !start())
                return Outcome::NotStarted;
            sent = sendAll(m_socket, &job, sizeof job) && sendAll(m_socket, nameBytes.constData(), size_t(nameBytes.size()))
                && sendAll(m_socket, data.constData(), size_t(data.size()));
            if (!sent)
                stop();
        }
        if (!sent)
            return Outcome::NotStarted;
        const End end = t_wait ? t_wait->wait(m_socket, bounds.time) : blockingWait(m_socket, bounds.time);
        if (end != End::Drawn) {
            stop();
            return end == End::Cancelled ? Outcome::Cancelled : Outcome::TimedOut;
        }
        Answer answer;
        if (!receiveAll(m_socket, &answer, sizeof answer)) {
            // Out of processor time is out of time; otherwise it crashed or ran out of memory.
            const int status = stop();
            return WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM ? Outcome::TimedOut : Outcome::Died;
        }
        stopWhenIdle();
        if (answer.width <= 0) {
            QByteArray said(qsizetype(std::clamp<qint64>(answer.messageBytes, 0, 1 << 20)), Qt::Uninitialized);
            if (!receiveAll(m_socket, said.data(), size_t(said.size()))) {
                stop();
                return Outcome::Died;
            }
            *message = QString::fromUtf8(said);
            return Outcome::Refused;
        }
        const size_t bytes = size_t(answer.bytesPerLine) * size_t(std::max(answer.height, 0));
        const auto format = QImage::Format(answer.format);
        if (answer.height <= 0 || answer.bytesPerLine < qint64(answer.width) * 4 || bytes > SharedBytes
            || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)) {
            stop();
            return Outcome::Died;
        }
        const QImage drawn(m_shared, answer.width, answer.height, qsizetype(answer.bytesPerLine), format);
        picture->image = format == QImage::Format_RGB32 ? drawn.copy() : drawn.convertToFormat(QImage::Format_RGB32);
        picture->sizeMm = QSizeF(answer.widthMm, answer.heightMm);
        if (bytes > KeptSharedBytes)
            ::madvise(m_shared + KeptSharedBytes, SharedBytes - KeptSharedBytes, MADV_REMOVE);
        return picture->image.isNull() ? Outcome::Died : Outcome::Drawn;
    }

private:
    static constexpr int IdleMs = 10000;

    void stopWhenIdle()
    {
        QCoreApplication *application = QCoreApplication::instance();
        if (!application)
            return; // it goes with the program
        const quint64 job = ++m_jobs;
        QTimer::singleShot(IdleMs, application, [this, job] {
            const std::unique_lock<std::mutex> one(m_mutex, std::try_to_lock);
            if (one.owns_lock() && m_jobs == job && m_pid > 0)
                stop();
        });
    }

    bool start()
    {
        if (!m_shared) {
            void *mapped = ::mmap(nullptr, SharedBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
            if (mapped == MAP_FAILED)
                return false;
            m_shared = static_cast<uchar *>(mapped);
        }
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return false;
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ends[0]);
            serve(ends[1], m_shared, parent);
        }
        ::close(ends[1]);
        if (child < 0) {
            ::close(ends[0]);
            return false;
        }
        m_pid = child;
        m_socket = ends[0];
        return true;
    }

    // Ends the worker and says how it ended.
    int stop()
    {
        ::close(m_socket);
        m_socket = -1;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return status;
    }

    std::mutex m_mutex;
    quint64 m_jobs = 0;
    pid_t m_pid = -1;
    int m_socket = -1;
    uchar *m_shared = nullptr;
};

PageWorker &pageWorker()
{
    static PageWorker worker;
    return worker;
}

} // namespace

PdfRenderBounds pdfRenderBounds()
{
    return g_bounds;
}

void setPdfRenderBounds(const PdfRenderBounds &bounds)
{
    g_bounds = bounds;
}

PdfRenderWait::PdfRenderWait() : m_outer(t_wait)
{
    t_wait = this;
}

PdfRenderWait::~PdfRenderWait()
{
    t_wait = m_outer;
}

bool isPdf(const QByteArray &data)
{
    // Readers take the header anywhere in the first kilobyte.
    return data.left(1024).contains("%PDF-");
}

int pdfPageCount(const QByteArray &data, const QString &name, QString *error)
{
    const std::unique_ptr<PdfDocument> document = openDocument(data, name, error);
    return document ? document->pageCount() : -1;
}

namespace {

// The page drawn in this process: what the worker does with a job.
std::optional<Picture> renderHere(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                  QString *error, std::unique_ptr<PdfDocument> *kept)
{
    std::unique_ptr<PdfDocument> document = openDocument(data, name, error);
    if (!document)
        return std::nullopt;
    const QSizeF points = document->pageSizePoints(page);
    if (!points.isValid()) {
        fail(error, QStringLiteral("Documentul %1 nu are pagina %2.").arg(name).arg(page + 1));
        return std::nullopt;
    }
    const QSizeF sizeMm = points * MmPerPoint;
    if (!(sizeMm.width() >= MinTemplateSideMm && sizeMm.height() >= MinTemplateSideMm
          && sizeMm.width() <= MaxTemplateSideMm && sizeMm.height() <= MaxTemplateSideMm)) {
        fail(error, QStringLiteral("Pagina %1 din %2 masoara %3 x %4 mm; o macheta masoara intre %5 si %6 mm pe "
                                   "fiecare latura.")
                        .arg(page + 1)
                        .arg(name)
                        .arg(std::lround(sizeMm.width()))
                        .arg(std::lround(sizeMm.height()))
                        .arg(MinTemplateSideMm)
                        .arg(MaxTemplateSideMm));
        return std::nullopt;
    }
    const QSize pixels = withinPixelBudget(pictureDevicePixels(sizeMm, pixelsPerMm));
    const double dpiX = pixels.width() / (sizeMm.width() / 25.4), dpiY = pixels.height() / (sizeMm.height() / 25.4);
    QImage image = document->render(page, dpiX, dpiY);
    *kept = std::move(document);
    // The program turns it into RGB32 if need be: Qt converts on threads this copy of it lacks.
    if (image.isNull() || (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)) {
        fail(error, QStringLiteral("Pagina %1 din %2 nu poate fi desenata.").arg(page + 1).arg(name));
        return std::nullopt;
    }
    return Picture{image, sizeMm};
}

} // namespace

std::optional<Picture> renderPdfTemplate(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                         QString *error)
{
    // The worker is a copy of this process, made with the module already loaded.
    if (!pdfModule()) {
        openDocument(data, name, error); // says it is missing
        return std::nullopt;
    }
    const PdfRenderBounds bounds = g_bounds;
    Picture picture;
    QString message;
    switch (pageWorker().draw(data, page, name, pixelsPerMm, bounds, &picture, &message)) {
    case PageWorker::Outcome::Drawn:
        return picture;
    case PageWorker::Outcome::Refused:
        fail(error, message);
        break;
    case PageWorker::Outcome::Cancelled:
        fail(error, QStringLiteral("Incarcarea paginii %1 din %2 a fost anulata.").arg(page + 1).arg(name));
        break;
    case PageWorker::Outcome::TimedOut:
        fail(error, QStringLiteral("Pagina %1 din %2 nu a putut fi desenata in %3: documentul cere prea mult lucru. "
                                   "Incarcarea a fost oprita.")
                        .arg(page + 1)
                        .arg(name, countOf(std::chrono::ceil<std::chrono::seconds>(bounds.time).count(),
                                           QStringLiteral("secunda"), QStringLiteral("secunde"))));
        break;
    case PageWorker::Outcome::Died:
        fail(error, QStringLiteral("Pagina %1 din %2 nu poate fi desenata: documentul este deteriorat sau cere mai "
                                   "mult de %3 MB de memorie.")
                        .arg(page + 1)
                        .arg(name)
                        .arg(bounds.memoryBytes / (1024 * 1024)));
        break;
    case PageWorker::Outcome::NotStarted:
        fail(error, QStringLiteral("Pagina %1 din %2 nu poate fi desenata.").arg(page + 1).arg(name));
        break;
    }
    return std::nullopt;
}

} // namespace formulix
