#include "scriptitems.h"

#include "codetable.h"
#include "io/pagesink.h"
#include "javascript.h"
#include "random.h"
#include "text/textops.h"

#include <array>
#include <bit>
#include <cstring>

namespace veltrano {

namespace {

constexpr char kTable[] = "<!--crippled with Veltrano--><script>\r\n"
                          "c = new Array(255);\r\n"
                          "var z = 0\r\n"
                          "while (z < 255){\r\n"
                          " c[z] = String.fromCharCode(z)\r\n"
                          " z++;\r\n"
                          "}\r\n";
// A call opens with "document.write", its first item brings the " (" in front of its code; a
// call ends with ");". At a split both follow each other, so the split's text is one word.
constexpr char kOpening[] = "document.write";
constexpr std::size_t kOpeningLength = sizeof(kOpening) - 1;
constexpr char kSplit[] = ");document.write";
constexpr std::size_t kSplitLength = sizeof(kSplit) - 1;
static_assert(kSplitLength == 16);

// The items: the first 256 with the comma in front (",c[65]"), the next 256 the first items of a
// call (" (c[65]"), each held in eight bytes so it can be copied whole.
struct ItemTable {
    std::array<std::uint64_t, 512> texts{};
    std::array<std::uint8_t, 512> lengths{};
};

constexpr ItemTable makeItemTable() {
    ItemTable table;
    const std::array<CodeText, 256> next = makeCodeTexts(",c[", ']');
    const std::array<CodeText, 256> first = makeCodeTexts(" (c[", ']');
    for (std::size_t c = 0; c < 256; ++c) {
        table.texts[c] = std::bit_cast<std::uint64_t>(next[c].text);
        table.lengths[c] = next[c].length;
        table.texts[256 + c] = std::bit_cast<std::uint64_t>(first[c].text);
        table.lengths[256 + c] = first[c].length;
    }
    return table;
}

constexpr ItemTable kItems = makeItemTable();

// Items are written a block at a time: the block's splits are found first, then the items are
// copied in one loop that writes a split's text behind every item and keeps it only at a split.
constexpr std::uint32_t kBlock = 4096;
// Per item at most the opening, the item and the split's text.
constexpr qsizetype kRoomPerItem = kOpeningLength + 8 + kSplitLength;

constexpr std::uint32_t kFirstDivisor = 20;
constexpr std::uint32_t kDivisors = 20;

// k steps of the generator as one map t -> a t + c (mod 2^32) on a state held in the top 24 bits
// of t: shifted up, the map needs no mask, and what a step carries past 24 bits falls out.
struct Steps {
    std::uint32_t a = 1;
    std::uint32_t c = 0;

    constexpr Steps() = default;
    constexpr explicit Steps(std::uint32_t k) {
        const std::uint32_t stepC = Random::step(0) << 8;
        const std::uint32_t stepA = Random::step(1) - Random::step(0);
        for (std::uint32_t n = 0; n < k; ++n) {
            a *= stepA;
            c = c * stepA + stepC;
        }
    }
    constexpr std::uint32_t operator()(std::uint32_t t) const { return t * a + c; }
};

// Steps(first + k * stride) for k from 0 to Count - 1.
template <std::uint32_t Count>
constexpr std::array<Steps, Count> makeSteps(std::uint32_t first, std::uint32_t stride) {
    std::array<Steps, Count> steps{};
    for (std::uint32_t k = 0; k < Count; ++k)
        steps[k] = Steps(first + k * stride);
    return steps;
}

// The way from a block's last state to a divisor's first candidate, at most one divisor away.
constexpr auto kSteps = makeSteps<kFirstDivisor + kDivisors>(0, 1);
// From one candidate of the divisor 20 + k to the next, and to the fourth after it.
constexpr auto kDivisorSteps = makeSteps<kDivisors>(kFirstDivisor, 1);
constexpr auto kFourDivisorSteps = makeSteps<kDivisors>(4 * kFirstDivisor, 4);

// The states whose draw gives the divisor d form one interval [low, low + width), shifted up.
struct Draws {
    std::uint32_t low = 0;
    std::uint32_t width = 0;
};

constexpr std::array<Draws, kDivisors> makeDraws() {
    std::array<Draws, kDivisors> draws{};
    for (std::uint32_t k = 0; k < kDivisors; ++k) {
        // The least state whose draw gives at least d = 20 + k is ceil(k 2^24 / 20).
        const auto least = [](std::uint64_t i) { return (i * (1u << 24) + 19) / 20; };
        draws[k].low = static_cast<std::uint32_t>(least(k) << 8);
        draws[k].width = static_cast<std::uint32_t>((least(k + 1) - least(k)) << 8);
    }
    return draws;
}

constexpr auto kDraws = makeDraws();

constexpr bool drawsMatchDivisors() {
    for (std::uint32_t k = 0; k < kDivisors; ++k) {
        const std::uint32_t low = kDraws[k].low >> 8;
        const std::uint32_t last = low + (kDraws[k].width >> 8) - 1;
        if (Random::splitDivisor(low) != kFirstDivisor + k ||
            Random::splitDivisor(last) != kFirstDivisor + k)
            return false;
    }
    return true;
}
static_assert(drawsMatchDivisors());

// Marks in splits (byte j - 1) every item j from 1 to n after which a call ends: the item's
// position is a multiple of the divisor its state draws. Only the multiples of each divisor
// are candidates; the states of one divisor's candidates lie the same number of steps apart.
// The state and position are the block's last ones before item 1.
void findSplits(std::uint32_t state, std::uint64_t position, std::uint32_t n,
                std::array<std::uint8_t, kBlock>& splits) {
    std::array<std::uint32_t, kBlock + 1> found; // every candidate is stored, only a split counts
    std::uint32_t count = 0;
    const std::uint32_t t = state << 8;
    for (std::uint32_t k = 0; k < kDivisors; ++k) {
        const std::uint32_t d = kFirstDivisor + k;
        std::uint32_t j = d - static_cast<std::uint32_t>(position % d);
        if (j > n)
            continue;
        const std::uint32_t low = kDraws[k].low;
        const std::uint32_t width = kDraws[k].width;
        const Steps one = kDivisorSteps[k];
        const Steps four = kFourDivisorSteps[k];
        // Four candidates at a time, so that their states need not wait for one another.
        std::uint32_t t0 = kSteps[j](t);
        std::uint32_t t1 = one(t0);
        std::uint32_t t2 = one(t1);
        std::uint32_t t3 = one(t2);
        for (; j + 3 * d <= n; j += 4 * d) {
            found[count] = j;
            count += t0 - low < width;
            found[count] = j + d;
            count += t1 - low < width;
            found[count] = j + 2 * d;
            count += t2 - low < width;
            found[count] = j + 3 * d;
            count += t3 - low < width;
            t0 = four(t0);
            t1 = four(t1);
            t2 = four(t2);
            t3 = four(t3);
        }
        for (; j <= n; j += d) {
            found[count] = j;
            count += t0 - low < width;
            t0 = one(t0);
        }
    }
    std::memset(splits.data(), 0, n);
    for (std::uint32_t i = 0; i < count; ++i)
        splits[found[i] - 1] = 1;
}

} // namespace

void ScriptItems::start(QByteArrayView readable, QByteArrayView header) {
    if (!readable.isEmpty())
        out_.append(removeAll(readable, kEmptyCall));
    out_.append(removeAll(header, kEmptyCall));
    out_.append(QByteArrayView(kTable, sizeof(kTable) - 1));
    state_ = random_.state();
    position_ = static_cast<std::uint64_t>(readable.size());
    open_ = false;
}

void ScriptItems::writeBlock(const unsigned char* text, std::uint32_t n) {
    std::array<std::uint8_t, kBlock> splits;
    findSplits(state_, position_, n, splits);
    char* at = out_.room(n * kRoomPerItem + 64);
    // 256 while the next item is a call's first.
    std::uint32_t first = 0;
    if (!open_) {
        std::memcpy(at, kOpening, kOpeningLength);
        at += kOpeningLength;
        first = 256;
    }
    // Every write starts at or behind the end of the bytes kept before it, so what a split's
    // text leaves where no split is gets overwritten by the items that follow.
    const auto item = [&](std::uint32_t i) {
        const std::uint32_t k = text[i] + first;
        const std::uint32_t length = kItems.lengths[k];
        const std::uint32_t split = splits[i];
        std::memcpy(at, &kItems.texts[k], 8);
        std::memcpy(at + length, kSplit, kSplitLength);
        at += length + split * kSplitLength;
        first = split * 256;
    };
    std::uint32_t i = 0;
    for (; n - i >= 4; i += 4) {
        item(i);
        item(i + 1);
        item(i + 2);
        item(i + 3);
    }
    for (; i < n; ++i)
        item(i);
    // A split at the block's last item keeps only its ");" until another item comes.
    open_ = first == 0;
    if (!open_)
        at -= kOpeningLength;
    out_.commit(at);
    state_ = Random::jump(state_, n);
    position_ += n;
}

void ScriptItems::feed(QByteArrayView piece) {
    const auto* text = reinterpret_cast<const unsigned char*>(piece.data());
    for (qsizetype left = piece.size(); left > 0;) {
        const auto n = static_cast<std::uint32_t>(qMin<qsizetype>(left, kBlock));
        writeBlock(text, n);
        text += n;
        left -= n;
    }
    random_.setState(state_);
}

void ScriptItems::finish(const QString& txtJava) {
    if (open_)
        out_.append(QByteArrayView(");"));
    out_.append(QByteArrayView("\r\n"));
    out_.append(javaScriptNotice(txtJava, false));
}

} // namespace veltrano
