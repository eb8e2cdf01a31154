#pragma once

#include "options/optionset.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace veltrano {

// What the conversion of a page without "Moderne Seiten" breaks for a visitor, found before the
// run from the page's bytes and the options that decide how it is read and encoded (chkZange,
// chkNativ, chkJava, chkSeo). The mode repairs all of it; with the mode on the same analysis
// tells what it repaired.
namespace breakage {

// One bit per kind of damage, in the order of the codes.
enum Kind : unsigned {
    Utf8 = 1u << 0,      // "utf8": UTF-8 text read byte by byte turns into "Ã¤"
    Utf16 = 1u << 1,     // "utf16": a UTF-16 page comes out unreadable
    Charset = 1u << 2,   // "charset": text of another code page gets Windows-1252 codes
    CharTable = 1u << 3, // "char-table": € „ “ – … and ÿ written wrongly by the script
    CommentMarkup = 1u << 4,    // "comment-markup": a comment holding a tag hides the page
    ScriptAttributes = 1u << 5, // "script-attributes": a script with attributes stops running
    StyleRules = 1u << 6,       // "style-rules": the rules of a style element stop working
    LineBreaks = 1u << 7,       // "line-breaks": words at line ends, pre lines run together
    SpaceReferences = 1u << 8,  // "space-references": the page's own &#32; and &#13;&#10; go
    Doctype = 1u << 9,          // "doctype": the page loses standards mode
    HeadScriptEnd = 1u << 10,   // "head-script-end": "</head>" in a head script or comment
};
using Kinds = unsigned;
constexpr int kKindCount = 11;

// The short codes of the kinds, in the order of the bits.
QStringList codes(Kinds kinds);
// The code of one kind (a single bit).
QString code(Kinds kind);
// What a kind does to the page, in a few German words ("UTF-8-Text wird zu "Ã¤"").
QString description(Kinds kind);
// What a kind concerns, in one or two words ("UTF-8", "Kommentare").
QString label(Kinds kind);

// The kinds for a page file's bytes with these options; the reading mode is not looked at.
Kinds findBreakage(QByteArrayView file, const OptionValues& options);

// The same for the page file at path, read whole; 0 when it is no plain file or cannot be read.
Kinds findBreakageOfFile(const QString& path, const OptionValues& options);

} // namespace breakage
} // namespace veltrano
