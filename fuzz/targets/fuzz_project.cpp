// Project files: arbitrary files are read without harm, and a project written and read back
// equals itself: every option and every page of the list, in order.

#include "encoding/codepage.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "support/fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

struct Files {
    std::unique_ptr<QTemporaryDir> folder;
    QString input;
    QString written;
};

Files& files() {
    static Files f;
    if (!f.folder) {
        const QString shm = QStringLiteral("/dev/shm");
        f.folder = std::make_unique<QTemporaryDir>((QDir(shm).exists() ? shm : QDir::tempPath()) +
                                                   QStringLiteral("/fuzz-vtp-XXXXXX"));
        FUZZ_CHECK(f.folder->isValid(), "temporary folder");
        f.input = f.folder->filePath(QStringLiteral("eingabe.vtp"));
        f.written = f.folder->filePath(QStringLiteral("geschrieben.vtp"));
    }
    return f;
}

void writeBytes(const QString& path, QByteArrayView bytes) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "write project file");
    FUZZ_CHECK(f.write(bytes.data(), bytes.size()) == bytes.size(), "write project file");
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly), "read project file");
    return f.readAll();
}

QStringList livePaths(const FileList& list) {
    QStringList paths;
    for (int i = 0; i < list.count(); ++i) {
        if (!list.removed(i))
            paths.append(list.path(i));
    }
    return paths;
}

// A text from the input that a project line can hold: no line break.
QString lineText(FuzzInput& in, int maxLength) {
    QByteArray bytes = in.slice(in.pick(maxLength + 1)).toByteArray();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return codepage::toUnicode(bytes);
}

// Writes the project, reads it back into fresh records and compares.
void checkRoundTrip(const OptionSet& options, const FileList& list) {
    Files& f = files();
    const QString error = WriteProject(f.written, options, list);
    FUZZ_CHECK(error.isEmpty(), "a project of writable texts is written");
    const QByteArray first = readBytes(f.written);

    OptionSet again;
    FileList listAgain;
    listAgain.Initialise();
    const ProjectReadResult result = ReadProject(f.written, again, listAgain);
    FUZZ_CHECK(result.status == ProjectReadResult::Status::Ok, "a written project reads back");
    FUZZ_CHECK(again.values() == options.values(), "every option comes back");
    FUZZ_CHECK(livePaths(listAgain) == livePaths(list), "every live page comes back in order");

    FUZZ_CHECK(WriteProject(f.written, again, listAgain).isEmpty(), "written again");
    checkSame(readBytes(f.written), first, "writing what was read gives the same file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Files& f = files();
    FuzzInput in(data, size);
    if (in.pick(2) == 0) {
        // Any file at all: read without harm; what reads as a project writes and reads back.
        writeBytes(f.input, in.rest());
        OptionSet options;
        FileList list;
        list.Initialise();
        const ProjectReadResult result = ReadProject(f.input, options, list);
        if (result.status == ProjectReadResult::Status::Damaged)
            FUZZ_CHECK(!result.message.isEmpty(), "a damaged project is explained");
        if (result.status != ProjectReadResult::Status::Ok) {
            FUZZ_CHECK(list.count() == 0, "a project that is not read adds no page");
            return 0;
        }
        checkRoundTrip(options, list);
        return 0;
    }

    // A project made from the input: every field, and pages of which some are removed.
    OptionSet options;
    for (int c = 0; c < kCheckFieldCount; ++c)
        options.setCheck(static_cast<CheckField>(c), static_cast<CheckState>(in.pick(3)));
    const int pair = in.pick(3);
    options.setNewFiles(pair == 1);
    options.setOverwrite(pair == 2);
    for (int t = 0; t < kTextFieldCount; ++t)
        options.setText(static_cast<TextField>(t), lineText(in, 40));
    FileList list;
    list.Initialise();
    const int pages = in.pick(12);
    for (int i = 0; i < pages; ++i) {
        QString path = lineText(in, 60);
        if (path.isEmpty())
            path = QStringLiteral("/leer");
        list.Append(path);
        if (in.pick(4) == 0)
            list.RemoveCurrent();
    }
    checkRoundTrip(options, list);
    return 0;
}
