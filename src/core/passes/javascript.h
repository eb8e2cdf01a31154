#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QByteArrayView>

namespace veltrano {

class Host;
class PageSink;
class Random;

// The address of the maker's home page, as written into pages and opened from the window.
inline constexpr char kHomePage[] = "http://www.veltrano.example/";

// Writes a page in the host code page back through document.write calls that look every
// character up in a table, cut at random places (modern pages take the light form instead). The
// header text stands in front of the script, or after the readable head when chkSeo is 1. The
// result has no line end after the noscript notice.
void EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                       Random& random, PageSink& out, Host& host);

// A write call without an argument: taken out of what stands in front of the script, where it
// would break the page.
inline constexpr char kEmptyCall[] = "document.write );";

// Behind the first "</head>" (in any case) of text from `from` on, where the table form's items
// begin while the head stays readable; -1 when there is none.
qsizetype scriptHeadEnd(QByteArrayView text, qsizetype from = 0);

// Where the items begin in a page text (after the native pass): behind the first "</head>" when
// chkSeo keeps the head readable, else at 0. What stands in front goes to ScriptItems::start.
qsizetype javaScriptStart(QByteArrayView page, const OptionSet& options);

// The closing tag of the script and the noscript notice with txtJava, in UTF-8 when modern.
QByteArray javaScriptNotice(const QString& txtJava, bool modern);

// The number of draws the pass takes from the generator for this page text (after the native
// pass): one per byte it encodes, none when chkJava is clear. Nothing is encoded.
qint64 javaScriptDrawCount(QByteArrayView page, const OptionSet& options);

} // namespace veltrano
