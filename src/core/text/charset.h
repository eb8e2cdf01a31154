#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace veltrano {

class ByteBuffer;

// How a browser finds the encoding of a local page file, and the decoding into UTF-8 that the
// modern pages mode works on.
namespace charset {

// The standard name of the encoding a label stands for ("latin1" gives "windows-1252"), or an
// empty text when the label names no encoding. Blanks around the label and letter case do not
// matter.
QByteArray encodingForLabel(QByteArrayView label);

// The encoding declared by a meta element in the first 1024 bytes, found the way a browser
// scans them before parsing; empty when there is none. A declared UTF-16 counts as UTF-8.
QByteArray declaredEncoding(QByteArrayView bytes);

struct Detected {
    enum class From { ByteOrderMark, Declaration, Utf8Bytes, Default };
    QByteArray encoding;
    From from = From::Default;
    int bomLength = 0;
};

// Byte-order mark first, then a meta declaration, then UTF-8 when the bytes are valid UTF-8
// with at least one non-ASCII sequence, else windows-1252.
Detected detect(QByteArrayView bytes);

// Decodes a whole page file, as detect() finds its encoding, into UTF-8 without a byte-order
// mark, and returns that encoding. Bytes that do not decode become U+FFFD.
QByteArray decodeToUtf8(QByteArrayView bytes, ByteBuffer& out);

// Rewrites the charset of every meta declaration in a UTF-8 page text, and the encoding of an
// XML declaration in front of it, to utf-8, so a page written as UTF-8 never claims another
// encoding.
void declareUtf8(ByteBuffer& text);

// Gives every classic external script tag of a UTF-8 page text that names no charset the page's
// former encoding (unless that was UTF-8 or UTF-16), in which the browser read the script before.
void keepScriptEncoding(ByteBuffer& text, const QByteArray& encoding);

} // namespace charset
} // namespace veltrano
