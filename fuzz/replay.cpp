// Runs every input named, or found in a folder named, through the target once, without the fuzzer.
#include "support/reference.h"

#include <QDirIterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size);

int main(int argc, char** argv) {
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QFile::decodeName(argv[i]), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        if (!it.hasNext()) // a file, not a folder
            inputs.append(QFile::decodeName(argv[i]));
        while (it.hasNext())
            inputs.append(it.next());
    }
    for (const QString& name : inputs) {
        QFile file(name);
        veltrano::fuzz::check(file.open(QIODevice::ReadOnly), qPrintable(name));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return inputs.isEmpty() ? 1 : 0;
}
