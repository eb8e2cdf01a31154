// The native pass's scanner alone, over arbitrary bytes (not only page texts), compared with a
// plain implementation of its rules. One output buffer serves every input, as in a run.

#include "encoding/bytebuffer.h"
#include "encoding/native.h"
#include "host.h"
#include "options/optionset.h"
#include "support/fuzzcheck.h"
#include "support/pagebytes.h"
#include "support/reference.h"

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

// Counts what the pass reports, to check that progress only moves forward and ends at the end.
class ProgressHost final : public Host {
public:
    void setPageProgress(qint64 value, qint64 maximum) override {
        FUZZ_CHECK(maximum == length, "progress maximum is the page length");
        FUZZ_CHECK(value >= last && value <= maximum, "progress moves forward within the page");
        last = value;
    }
    qint64 length = 0;
    qint64 last = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static ByteBuffer out;
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    OptionSet options;
    options.setCheck(CheckField::chkNativ, static_cast<CheckState>(flags % 3));
    options.setCheck(CheckField::chkSeo, static_cast<CheckState>((flags / 3) % 3));
    // Copies of the bytes make pages long enough to cross the pass's blocks.
    static constexpr int kRepeat[8] = {1, 1, 1, 1, 3, 9, 40, 120};
    const int repeat = kRepeat[flags >> 5];
    const QByteArray page = in.rest().toByteArray().repeated(repeat);

    ProgressHost host;
    host.length = page.size();
    const bool changed = CrippleNative(page, options, out, host);
    if (options.check(CheckField::chkNativ) == 0) {
        FUZZ_CHECK(!changed && out.isEmpty(), "chkNativ clear leaves the page to the caller");
        checkSame(CrippleNative(page, options, host), page, "chkNativ clear returns the input");
        return 0;
    }
    FUZZ_CHECK(host.last == page.size(), "progress ends at the end of the page");
    const QByteArray expected = nativeReference(page, options.check(CheckField::chkSeo) != 0);
    FUZZ_CHECK(changed == !out.isEmpty(), "result flag matches the output");
    checkSame(changed ? out.view() : QByteArrayView(page), expected, "native pass");
    return 0;
}
