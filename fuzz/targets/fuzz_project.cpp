// Project files: arbitrary files are read without harm, and a project written and read back
// equals itself: every option and every live page of the list, in order.
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "support/reference.h"
#include "text/codepage.h"

#include <QFile>

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "read the project file");
    return file.readAll();
}

// Writes the project, reads it back into fresh records, compares, and writes it again.
void checkRoundTrip(const QString& file, const OptionSet& options, const FileList& list) {
    check(!WriteProject(file, options, list), "a project of writable texts is written");
    const QByteArray first = bytesOf(file);
    OptionSet again;
    FileList listAgain;
    check(ReadProject(file, again, listAgain).ok(), "a written project reads");
    check(again.values() == options.values(), "every option comes back");
    int read = 0;
    for (int i = 0; i < list.count(); ++i)
        check(list.removed(i) ||
                  (read < listAgain.count() && listAgain.path(read++) == list.path(i)),
              "every live page comes back in order");
    check(read == listAgain.count(), "no other page comes back");
    check(!WriteProject(file, again, listAgain), "written again");
    checkSame(bytesOf(file), first, "writing what was read gives the same file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    QByteArrayView in(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    OptionSet options;
    FileList list;
    if (pick(in, 2) == 0) {
        // Any file at all: read without harm; what reads as a project writes and reads back.
        const QString path = scratchFile(QStringLiteral("projekt.vtp"), in);
        const ProjectRead read = ReadProject(path, options, list);
        check(read || read.error().kind != ProjectError::Kind::Damaged ||
                  !read.error().text.isEmpty(),
              "damage explained");
        check(read || list.count() == 0, "no page from an unread project");
        if (read)
            checkRoundTrip(path, options, list);
        return 0;
    }
    // A project made from the input: every field, and pages of which some are removed.
    const auto lineText = [&in](int maxLength) { // a text that a project line can hold
        QByteArray bytes = slice(in, pick(in, maxLength + 1)).toByteArray();
        return codepage::toUnicode(bytes.replace('\r', ' ').replace('\n', ' '));
    };
    for (int c = 0; c < kCheckFieldCount; ++c)
        options.setCheck(static_cast<CheckField>(c), static_cast<CheckState>(pick(in, 3)));
    const int pair = pick(in, 3);
    options.setNewFiles(pair == 1);
    options.setOverwrite(pair == 2);
    for (int t = 0; t < kTextFieldCount; ++t)
        options.setText(static_cast<TextField>(t), lineText(40));
    for (int pages = pick(in, 12); pages > 0; --pages) {
        const QString page = lineText(60);
        list.Append(page.isEmpty() ? QStringLiteral("/leer") : page);
        if (pick(in, 4) == 0)
            list.RemoveCurrent();
    }
    checkRoundTrip(scratchFile(QStringLiteral("projekt.vtp"), {}), options, list);
    return 0;
}
