#include "pageheader.h"

#include "io/pagesink.h"
#include "protectionscript.h"
#include "text/codepage.h"
#include "text/textops.h"

namespace veltrano {

qint64 startLineCount(const OptionValues& values) {
    if (!isSet(values.check(CheckField::chkLine)))
        return 0;
    return qMax<qint64>(0, countValue(values.text(TextField::txtStart)));
}

qint64 endLineCount(const OptionValues& values) {
    if (!isSet(values.check(CheckField::chkFake)))
        return 0;
    return qMax<qint64>(0, countValue(values.text(TextField::txtEnd)));
}

QByteArray BuildPageHeader(const OptionSet& options) {
    const OptionValues& v = options.values();
    QByteArray header;
    if (isSet(v.check(CheckField::chkFake))) {
        header += "<!--";
        const QString& text = v.text(TextField::txt404);
        header += options.modern() ? text.toUtf8() : codepage::fromUnicode(text);
        header += "-->";
    }
    const qint64 lines = startLineCount(v);
    if (lines > 0) {
        const qsizetype at = header.size();
        header.resize(at + 2 * lines);
        char* p = header.data() + at;
        for (qint64 i = 0; i < lines; ++i) {
            *p++ = '\r';
            *p++ = '\n';
        }
    }
    header += BuildProtectionScript(v.check(CheckField::chkRClick), v.check(CheckField::chkSel),
                                    v.check(CheckField::chkPrint), options.modern());
    return header;
}

void AppendEndLines(PageSink& page, const OptionSet& options) {
    page.appendRepeated("\r\n", endLineCount(options.values()));
}

} // namespace veltrano
