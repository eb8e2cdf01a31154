// Every pass of the page conversion together, over arbitrary page bytes and option values drawn
// from the input: the page file is written, read back and converted as a run converts it, and the
// result is taken apart and checked against plain implementations of the page rules.

#include "encoding/bytebuffer.h"
#include "encoding/codepage.h"
#include "encoding/encodepage.h"
#include "encoding/javascript.h"
#include "encoding/native.h"
#include "encoding/pagesink.h"
#include "encoding/pagesource.h"
#include "encoding/random.h"
#include "host.h"
#include "options/optionset.h"
#include "run/pageheader.h"
#include "support/fuzzcheck.h"
#include "support/pagebytes.h"
#include "support/reference.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

struct Setup {
    NullHost host;
    Random random;
    // One encoder for every input, as a run keeps one for all its pages: buffers left over from
    // an earlier page must never show in a later one.
    PageEncoder encoder{random, host};
    ByteBuffer output;
    std::unique_ptr<QTemporaryDir> folder;
    QString pagePath;
};

Setup& setup() {
    static Setup s;
    if (!s.folder) {
        const QString shm = QStringLiteral("/dev/shm");
        s.folder = std::make_unique<QTemporaryDir>((QDir(shm).exists() ? shm : QDir::tempPath()) +
                                                   QStringLiteral("/fuzz-page-XXXXXX"));
        FUZZ_CHECK(s.folder->isValid(), "temporary folder");
        s.pagePath = s.folder->filePath(QStringLiteral("seite.htm"));
    }
    return s;
}

// The page text as the rules read it: every line followed by CR LF; with chkZange set a line
// end may become one blank instead, but never after a script line or the last line.
void checkPageText(QByteArrayView file, CheckState zange, QByteArrayView page) {
    const QList<QByteArray> lines = pageLines(file);
    FUZZ_CHECK(page.endsWith("\r\n"), "page text ends with CR LF");
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        FUZZ_CHECK(page.sliced(at).startsWith(line), "page text holds the lines in order");
        at += line.size();
        const bool crlf = page.sliced(at).startsWith("\r\n");
        if (zange == 0 || i + 1 == lines.size() || line.toLower().contains("script")) {
            FUZZ_CHECK(crlf, "line followed by CR LF");
        } else {
            FUZZ_CHECK(crlf || page.sliced(at).startsWith(" "), "line followed by CR LF or blank");
        }
        at += crlf ? 2 : 1;
    }
    FUZZ_CHECK(at == page.size(), "page text holds nothing but the lines");
}

// The JavaScript form: the readable head (chkSeo 1) and header in front, then the table, then
// the calls, whose look-ups spell the page from where encoding starts, cut where the program's
// generator says.
void checkScriptForm(QByteArrayView result, QByteArrayView text, QByteArrayView header,
                     const OptionValues& v, std::uint32_t randomStart, std::uint32_t randomEnd) {
    qsizetype start = 0;
    if (v.check(CheckField::chkSeo) == 1) {
        const qsizetype k = headEnd(text);
        if (k >= 0)
            start = k + 7;
    }
    ScriptForm form;
    const char* why = "";
    if (!parseScriptForm(result, form, &why)) {
        std::fprintf(stderr, "%s\n", why);
        FUZZ_CHECK(false, "JavaScript form parses");
    }
    const QByteArray empty = "document.write );";
    checkSame(form.front, removeEvery(text.first(start), empty) + removeEvery(header, empty),
              "readable head and header in front of the script");
    checkSame(spelledText(form), text.sliced(start), "the calls spell the encoded text");

    Random expected;
    expected.setState(randomStart);
    qsizetype position = start;
    for (qsizetype c = 0; c < form.calls.size(); ++c) {
        const qsizetype callEnd = position + form.calls[c].size();
        for (qsizetype p = position + 1; p <= callEnd; ++p) {
            const int divisor = expected.nextSplitDivisor();
            const bool split = p % divisor == 0;
            if (p < callEnd)
                FUZZ_CHECK(!split, "no cut inside a call");
            else if (p < text.size())
                FUZZ_CHECK(split, "a call ends only where the generator cuts");
        }
        position = callEnd;
    }
    FUZZ_CHECK(expected.state() == randomEnd, "one draw per encoded character");

    const QByteArray notice =
        "</script><noscript>" + codepage::fromUnicode(v.text(TextField::txtJava)) +
        "<br><br>Diese Seite wurde mit <a href=" + kHomePage + ">Veltrano</a>";
    FUZZ_CHECK(form.notice.startsWith(notice), "noscript notice");
    FUZZ_CHECK(form.notice.endsWith("</center></noscript>"), "noscript notice ends the result");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Setup& s = setup();
    FuzzInput in(data, size);

    OptionSet options(QStringLiteral("/programm"));
    options.setCheck(CheckField::chkNativ, static_cast<CheckState>(in.pick(3)));
    options.setCheck(CheckField::chkZange, static_cast<CheckState>(in.pick(3)));
    options.setCheck(CheckField::chkJava, static_cast<CheckState>(in.pick(3)));
    options.setCheck(CheckField::chkSeo, static_cast<CheckState>(in.pick(3)));
    const std::uint8_t flags = in.byte();
    options.setCheck(CheckField::chkFake, flags & 1);
    options.setCheck(CheckField::chkLine, (flags >> 1) & 1);
    options.setCheck(CheckField::chkRClick, (flags >> 2) & 1);
    options.setCheck(CheckField::chkSel, (flags >> 3) & 1);
    options.setCheck(CheckField::chkPrint, (flags >> 4) & 1);
    const bool rawHeader = (flags >> 5) & 1;
    const int repeat = 1 + ((flags >> 6) & 3) * 5; // 1, 6, 11 or 16 copies of the page bytes
    options.setText(TextField::txtStart, QString::number(in.pick(8)));
    options.setText(TextField::txtEnd, QString::number(in.pick(8)));
    options.setText(TextField::txt404, codepage::toUnicode(in.slice(in.pick(24))));
    options.setText(TextField::txtJava, codepage::toUnicode(in.slice(in.pick(24))));
    std::uint32_t randomStart = in.byte();
    randomStart = (randomStart << 8) | in.byte();
    randomStart = (randomStart << 8) | in.byte();
    const QByteArray header =
        rawHeader ? in.slice(in.pick(64)).toByteArray() : BuildPageHeader(options);

    QByteArray file = in.rest().toByteArray().repeated(repeat);
    if (file.isEmpty())
        return 0; // an empty page never reaches the conversion: the run stops before it
    {
        QFile f(s.pagePath);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "write page file");
        FUZZ_CHECK(f.write(file) == file.size(), "write page file");
    }
    const OptionValues& v = options.values();

    // Reading, with the page text checked on its own.
    const QByteArray page = ReadPageSource(s.pagePath, options, s.host);
    checkPageText(file, v.check(CheckField::chkZange), page);

    // The native pass: unchanged with chkNativ clear, as the rules say otherwise.
    const QByteArray text = CrippleNative(page, options, s.host);
    if (v.check(CheckField::chkNativ) == 0)
        checkSame(text, page, "native pass with chkNativ clear returns its input");
    else
        checkSame(text, nativeReference(page, v.check(CheckField::chkSeo) != 0), "native pass");

    // All passes together, through the encoder a run uses, then the end lines.
    s.random.setState(randomStart);
    PageSink sink(s.output);
    FUZZ_CHECK(s.encoder.ReadPage(s.pagePath, options).isEmpty(), "page file reads");
    s.encoder.EncodeReadPage(header, options, sink);
    AppendEndLines(sink, options);
    const QByteArray endLines = QByteArray("\r\n").repeated(endLineCount(v));
    QByteArrayView result = s.output.view();
    FUZZ_CHECK(result.endsWith(endLines), "end lines close the page");
    result.chop(endLines.size());

    if (v.check(CheckField::chkJava) != 0)
        checkScriptForm(result, text, header, v, randomStart, s.random.state());
    else
        checkSame(result, header + text, "header followed by the page text");
    return 0;
}
