// Every pass of the page conversion together, over arbitrary page bytes and option values drawn
// from the input, compared with plain implementations of the page rules.
#include "host.h"
#include "io/pagesink.h"
#include "passes/encodepage.h"
#include "passes/pageheader.h"
#include "support/reference.h"
#include "text/codepage.h"
#include "text/pagesource.h"

using namespace veltrano;
using namespace veltrano::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    using enum CheckField;
    QByteArrayView in(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The input's layout. New fields go behind the last one, so the seed corpus keeps its meaning.
    OptionSet options(QStringLiteral("/programm"));
    for (const CheckField f : {chkNativ, chkZange, chkJava, chkSeo})
        options.setCheck(f, static_cast<CheckState>(pick(in, 3)));
    const int flags = pick(in, 256);
    for (int bit = 0; const CheckField f : {chkFake, chkLine, chkRClick, chkSel, chkPrint})
        options.setCheck(f, (flags >> bit++) & 1);
    options.setText(TextField::txtStart, QString::number(pick(in, 8)));
    options.setText(TextField::txtEnd, QString::number(pick(in, 8)));
    options.setText(TextField::txt404, codepage::toUnicode(slice(in, pick(in, 24))));
    options.setText(TextField::txtJava, codepage::toUnicode(slice(in, pick(in, 24))));
    Random expectedRandom;
    for (int i = 0; i < 3; ++i)
        expectedRandom.setState(expectedRandom.state() << 8 | pick(in, 256));
    const QByteArray header =
        (flags >> 5) & 1 ? slice(in, pick(in, 64)).toByteArray() : BuildPageHeader(options);
    const QByteArray file = in.toByteArray().repeated(1 + ((flags >> 6) & 3) * 5);
    if (file.isEmpty())
        return 0; // an empty page never reaches the conversion: the run stops before it

    // One encoder for every input, as a run keeps one from page to page.
    static NullHost host;
    static Random random;
    static PageEncoder encoder(random, host);
    static ByteBuffer page, output;
    // The page text: the file's lines, each with CR LF; with chkZange a blank may end a text line.
    splitPageLines(file, options.check(chkZange), page, host);
    const QList<QByteArray> lines = pageLines(file);
    QByteArray pageText;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        pageText += lines[i];
        const bool blank = isSet(options.check(chkZange)) && i + 1 < lines.size() &&
                           !lines[i].toLower().contains("script");
        const bool isBlank = pageText.size() < page.size() && page.view()[pageText.size()] == ' ';
        pageText += blank && isBlank ? " " : "\r\n";
    }
    checkSame(page.view(), pageText, "the page text");
    random.setState(expectedRandom.state());
    check(encoder.readPage(scratchFile(QStringLiteral("seite.htm"), file), options).ok(),
          "the page file reads");
    PageSink sink(output);
    encoder.encodeReadPage(header, options, sink);
    AppendEndLines(sink, options);

    const QByteArray text = !isSet(options.check(chkNativ))
                                ? pageText
                                : nativeReference(pageText, isSet(options.check(chkSeo)));
    const QByteArray end = QByteArray("\r\n").repeated(endLineCount(options.values()));
    QByteArray expected = header + text + end;
    QByteArrayView result = output.view();
    if (isSet(options.check(chkJava))) {
        expected = scriptReference(text, header, isOn(options.check(chkSeo)), expectedRandom) +
                   codepage::fromUnicode(options.text(TextField::txtJava)) +
                   "<br><br>Diese Seite wurde mit <a href=";
        check(result.endsWith("</center></noscript>" + end), "the notice, then the end lines");
        result.truncate(qMin(result.size(), expected.size()));
    }
    check(random.state() == expectedRandom.state(), "one draw per encoded character");
    checkSame(result, expected, "the converted page");
    return 0;
}
