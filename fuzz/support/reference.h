#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>

// Plain, slow implementations of the page rules, written from the rules themselves and not from
// the engine, so the fuzz targets can compare the engine's fast code with them.
namespace veltrano::fuzz {

// The lines of a page file: a line ends at a carriage return, and a line feed right after it
// belongs to the line end. The last line needs no line end.
QList<QByteArray> pageLines(QByteArrayView file);

// Every occurrence of pattern removed in one left-to-right pass.
QByteArray removeEvery(QByteArrayView text, QByteArrayView pattern);

// The native pass over a page text: characters of readable content become "&#" code ";";
// with seo set the page head stays as it is. Returns the page unchanged when nothing is left.
QByteArray nativeReference(QByteArrayView page, bool seo);

// The JavaScript form taken apart again.
struct ScriptForm {
    QByteArray front;        // everything before the script table: readable head and header
    QList<QByteArray> calls; // the character codes of every document.write call, in order
    QByteArray notice;       // from "</script><noscript>" to the end
};

// Splits a converted page into its parts; returns false (with why set) when its layout is broken.
bool parseScriptForm(QByteArrayView page, ScriptForm& form, const char** why);

// The text the table look-ups of the calls spell.
QByteArray spelledText(const ScriptForm& form);

// The first "</head>" in any letter case; -1 when there is none.
qsizetype headEnd(QByteArrayView page);

} // namespace veltrano::fuzz
