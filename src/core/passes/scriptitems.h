#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace veltrano {

class PageSink;
class Random;

// The table form's write calls, written as the text to encode arrives: start writes what stands
// in front of the items, feed encodes one piece of the text, finish closes the last call and
// writes the notice. The positions and the generator run on across pieces, so a text cut into
// pieces of any size gives the same bytes as the text fed whole.
class ScriptItems {
public:
    ScriptItems(Random& random, PageSink& out) : random_(random), out_(out) {}

    // The part of the page that stays readable (empty when all of it is encoded), then the header
    // and the character table. The items count their positions from the readable part's end.
    void start(QByteArrayView readable, QByteArrayView header);
    // One item per byte of the piece, a call cut wherever the generator's draw says; the
    // generator is left at the last item's state.
    void feed(QByteArrayView piece);
    // The closing of the last call, a line end and the noscript notice with txtJava.
    void finish(const QString& txtJava);

private:
    void writeBlock(const unsigned char* text, std::uint32_t n);

    Random& random_;
    PageSink& out_;
    std::uint32_t state_ = 0;    // the generator's state at the last item
    std::uint64_t position_ = 0; // the last item's position, counted from the page's start
    bool open_ = false;          // a call is open and holds at least one item
};

} // namespace veltrano
