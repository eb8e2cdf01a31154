// The native pass's scanner alone, over arbitrary bytes (not only page texts), compared with a
// plain implementation of its rules. One output buffer serves every input, as in a run.
#include "host.h"
#include "passes/native.h"
#include "support/reference.h"
#include "text/bytebuffer.h"

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

// The page bar moves only forward, within the page, and ends at its end.
struct ProgressHost final : Host {
    void setPageProgress(qint64 value, qint64 maximum) override {
        check(maximum == length && value >= last && value <= maximum, "the page bar");
        last = value;
    }
    qint64 length = 0, last = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static ByteBuffer out;
    QByteArrayView in(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int flags = pick(in, 256);
    OptionSet options;
    options.setCheck(CheckField::chkNativ, static_cast<CheckState>(flags % 3));
    options.setCheck(CheckField::chkSeo, static_cast<CheckState>((flags / 3) % 3));
    // Copies of the bytes make pages long enough to cross the pass's blocks.
    static constexpr int kRepeat[8] = {1, 1, 1, 1, 3, 9, 40, 120};
    const QByteArray page = in.toByteArray().repeated(kRepeat[flags >> 5]);
    ProgressHost host;
    host.length = page.size();
    const bool changed = CrippleNative(page, options, out, host);
    const bool nativ = isSet(options.check(CheckField::chkNativ));
    check(changed == !out.isEmpty() && (nativ || !changed), "a new text only with chkNativ set");
    check(!nativ || host.last == page.size(), "the page bar ends at the end of the page");
    checkSame(changed ? out.view() : QByteArrayView(page),
              nativ ? nativeReference(page, isSet(options.check(CheckField::chkSeo))) : page,
              "native pass");
    return 0;
}
