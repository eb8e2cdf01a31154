#include "pagesource.h"

#include "bytebuffer.h"
#include "charset.h"
#include "host.h"
#include "textops.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <utility>

namespace veltrano {

namespace {

// Which kinds of markup a line opens and closes, for the Quelltextzange.
struct LineMarks {
    bool script = false;          // "script" anywhere
    bool scriptEnd = false;       // "/script"
    bool scriptOpenAtEnd = false; // the last "script" of the line is no "/script"
    bool preStart = false;        // "<pre", "<textarea", "<listing"
    bool preEnd = false;          // "</pre", "</textarea", "</listing"
};

bool startsNoCase(const char* p, const char* end, const char* lower) {
    for (; *lower; ++lower, ++p) {
        if (p == end)
            return false;
        char c = *p;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != *lower)
            return false;
    }
    return true;
}

bool preformattedName(const char* p, const char* end) {
    return startsNoCase(p, end, "pre") || startsNoCase(p, end, "textarea") ||
           startsNoCase(p, end, "listing");
}

// The next byte in [p, end) that may anchor a mark: a "<", or the "p" of "script" in any case.
const char* nextAnchor(const char* p, const char* end) {
#ifdef __SSE2__
    const __m128i less = _mm_set1_epi8('<');
    const __m128i letter = _mm_set1_epi8('p');
    const __m128i lower = _mm_set1_epi8(0x20);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(v, less), _mm_cmpeq_epi8(_mm_or_si128(v, lower), letter)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    while (p < end && *p != '<' && (*p | 0x20) != 'p')
        ++p;
    return p;
}

LineMarks markLine(const char* begin, const char* end, Host& host) {
    LineMarks m;
    const char* pumpAt = begin + PageProgress::kStep;
    for (const char* p = begin; p < end; ++p) {
        const char* stop = qMin(end, pumpAt);
        p = nextAnchor(p, stop);
        if (p == stop) {
            if (stop == end)
                break;
            host.pump();
            pumpAt += PageProgress::kStep;
            --p; // the byte at stop is still to be looked at
            continue;
        }
        if (*p == '<') {
            if (p + 1 < end && p[1] == '/') {
                if (preformattedName(p + 2, end))
                    m.preEnd = true;
            } else if (preformattedName(p + 1, end)) {
                m.preStart = true;
            }
        } else if (p - begin >= 4 && startsNoCase(p - 4, end, "script")) {
            const bool closing = p - 4 > begin && p[-5] == '/';
            m.script = true;
            m.scriptEnd = m.scriptEnd || closing;
            m.scriptOpenAtEnd = !closing;
        }
    }
    return m;
}

} // namespace

void splitPageLines(QByteArrayView file, CheckState chkZange, ByteBuffer& page, Host& host) {
    page.clear();
    // Every line end may grow by one byte (a lone CR becomes CR LF): room for that at once.
    page.reserve(2 * file.size() + 2);
    const char* p = file.data();
    const char* const end = p + file.size();
    bool inScript = false;
    bool inPre = false;
    qint64 nextPump = PageProgress::kStep;
    while (p < end) {
        const void* cr = p < end ? std::memchr(p, '\r', static_cast<size_t>(end - p)) : nullptr;
        const char* lineEnd = cr ? static_cast<const char*>(cr) : end;
        const char* next = lineEnd;
        if (cr) {
            ++next;
            if (next < end && *next == '\n')
                ++next;
        }
        const bool last = next >= end;
        bool keepsBreak = true;
        if (isSet(chkZange) && !last) {
            const LineMarks m = markLine(p, lineEnd, host);
            const bool scriptLine = inScript || m.script;
            // A line that closes one script and opens the next ("</script><script>") leaves
            // the next lines inside a script: their line ends are part of the code.
            if (m.scriptEnd)
                inScript = m.scriptOpenAtEnd;
            else if (m.script)
                inScript = true;
            const bool preLine = inPre || m.preStart || m.preEnd;
            if (m.preEnd)
                inPre = false;
            else if (m.preStart)
                inPre = true;
            keepsBreak = scriptLine || preLine;
        }
        // A very long line is copied in pieces, so the window keeps up with it too.
        for (const char* q = p; q < lineEnd; q += PageProgress::kStep) {
            page.append(q, qMin<qsizetype>(lineEnd - q, PageProgress::kStep));
            if (lineEnd - q > PageProgress::kStep)
                host.pump();
        }
        if (keepsBreak)
            page.append("\r\n", 2);
        else
            page.append(' ');
        p = next;
        if (p - file.data() >= nextPump) {
            host.pump();
            nextPump = (p - file.data()) + PageProgress::kStep;
        }
        if (last)
            break;
    }
}

std::optional<FileError> readWholeFile(const QString& path, ByteBuffer& buffer, Host* host) {
    buffer.clear();
    // One open, one look at the size and the reads: a small page costs four calls.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileError{EIO, qt_error_string(errno)};
    struct stat st {};
    std::optional<FileError> error;
    if (::fstat(fd, &st) != 0)
        error = FileError{EIO, qt_error_string(errno)};
    else if (S_ISDIR(st.st_mode))
        error = FileError{EIO, qt_error_string(EISDIR)};
    else if (st.st_size > 0)
        buffer.reserve(st.st_size + 1);
    while (!error) {
        constexpr qsizetype kChunk = 1 << 20;
        char* at = buffer.room(kChunk);
        const ssize_t n = ::read(fd, at, kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = FileError{EIO, qt_error_string(errno)};
        if (n <= 0)
            break;
        buffer.commit(at + n);
        // A short read that brings a file to the size it had when opened is its end.
        if (S_ISREG(st.st_mode) && st.st_size > 0 && buffer.size() >= st.st_size && n < kChunk)
            break;
        if (host)
            host->pump();
    }
    ::close(fd);
    return error;
}

Result<QByteArray, FileError> ReadPageSource(const QString& path, const OptionSet& options,
                                             ByteBuffer& page, ByteBuffer& scratch, Host& host,
                                             bool findEncoding) {
    const CheckState zange = options.check(CheckField::chkZange);
    const bool modern = options.modern();
    if (auto error = readWholeFile(path, scratch, &host))
        return *error;
    QByteArray encoding;
    if (modern) {
        // The page is read in its own encoding and worked on as UTF-8, which it then declares.
        // The decoding touches no option and calls no host: the host's blocking work, so a
        // window keeps handling its events while a large page is decoded.
        host.runBlocking([&] {
            encoding = charset::decodeToUtf8(scratch.view(), page);
            charset::declareUtf8(page);
            charset::keepScriptEncoding(page, encoding);
        });
        std::swap(scratch, page);
    } else if (findEncoding) {
        encoding = charset::detect(scratch.view()).encoding;
    }
    splitPageLines(scratch.view(), zange, page, host);
    return encoding;
}

} // namespace veltrano
