#include "javascript.h"

#include "host.h"
#include "scriptitems.h"
#include "text/codepage.h"
#include "text/textops.h"

namespace veltrano {

QByteArray javaScriptNotice(const QString& txtJava, bool modern) {
    const auto encode = [modern](QStringView text) {
        return modern ? text.toUtf8() : codepage::fromUnicode(text);
    };
    QByteArray text = "</script><noscript>";
    text += encode(txtJava);
    text += "<br><br>Diese Seite wurde mit <a href=";
    text += kHomePage;
    text += encode(
        u">Veltrano</a> [3.00] verschlüsselt, da der Webmaster die Javaskript Option gewählt hat "
        u"müssen Sie leider Javaskript aktivieren um sich diese Seite "
        u"anzusehen.</center></noscript>");
    return text;
}

qsizetype scriptHeadEnd(QByteArrayView text, qsizetype from) {
    const qsizetype k = indexOfAsciiNoCase(text.sliced(from), "</head>");
    return k >= 0 ? from + k + 7 : -1;
}

// This pass keeps the head readable only for exactly 1; the dimmed 2 counts as clear.
qsizetype javaScriptStart(QByteArrayView page, const OptionSet& options) {
    if (!isOn(options.check(CheckField::chkSeo)))
        return 0;
    return qMax<qsizetype>(scriptHeadEnd(page), 0);
}

qint64 javaScriptDrawCount(QByteArrayView page, const OptionSet& options) {
    if (!isSet(options.check(CheckField::chkJava)))
        return 0;
    return page.size() - javaScriptStart(page, options);
}

// The page's items, fed in steps of the page bar so that the window can show how far it got.
void EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                       Random& random, PageSink& out, Host& host) {
    const qsizetype start = javaScriptStart(page, options);
    ScriptItems items(random, out);
    items.start(page.first(start), header);
    const qsizetype length = page.size();
    PageProgress progress(host, length);
    for (qsizetype i = start; i < length;) {
        const qsizetype end = qMin(length, i + PageProgress::kStep);
        items.feed(page.sliced(i, end - i));
        i = end;
        if (i < length)
            progress.at(i);
    }
    progress.done();
    items.finish(options.text(TextField::txtJava));
}

} // namespace veltrano
