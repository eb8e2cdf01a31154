#include "testfiles.h"

#include "options/optionset.h"
#include "passes/random.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <algorithm>

namespace veltrano::test {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

qsizetype fileCount(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).size();
}

QMap<QString, QByteArray> tree(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        files.insert(path.mid(folder.size() + 1), readFile(path));
    }
    return files;
}

QByteArray expand(const QString& text) {
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const qsizetype close = in.indexOf('}', i);
        if (in[i] == '{' && !out.isEmpty() && close > i) {
            out += QByteArray(in.mid(i + 1, close - i - 1).toInt() - 1, out.back());
            i = close;
        } else if (in[i] == '\\' && i + 1 < in.size()) {
            const char c = in[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == '0' ? '\0' : c;
            if (c == 'x')
                out.back() = static_cast<char>(in.mid(i + 1, 2).toInt(nullptr, 16)), i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

void TestFolder::reset() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dir_.path()));
}

bool applyOption(QByteArrayView line, OptionSet& options, Random* random) {
    const qsizetype eq = line.indexOf('=');
    if (line.isEmpty() || line.startsWith('#'))
        return true;
    const QByteArrayView key = line.first(qMax<qsizetype>(eq, 0));
    const QString value = QString::fromUtf8(line.sliced(eq + 1));
    for (int c = 0; c < kCheckFieldCount; ++c) {
        if (key == fieldName(CheckField(c))) {
            options.setCheck(CheckField(c), CheckState(value.toShort()));
            return true;
        }
    }
    for (int t = 0; t < kTextFieldCount; ++t) {
        if (key == fieldName(TextField(t))) {
            options.setText(TextField(t), value);
            return true;
        }
    }
    if (key == "modern")
        options.setModern(value == u"1");
    else if (key == "random" && random)
        random->setState(value.toUInt());
    return key == "modern" || (key == "random" && random);
}

int runCases(QObject& cases, int argc, char** argv) {
    char** end = std::remove_if(argv + 1, argv + argc,
                                [](const char* arg) { return qstrcmp(arg, "--update") == 0; });
    updating = end != argv + argc;
    const int failed = QTest::qExec(&cases, static_cast<int>(end - argv), argv);
    if (updating)
        qWarning("expectations rewritten where they differed: review git diff tests/data");
    return updating ? 1 : failed;
}

void addCaseRows(const QString& text) {
    for (const QString& block : text.split(QStringLiteral("\ncase ")).mid(1)) {
        QStringList lines = block.split(u'\n', Qt::SkipEmptyParts);
        QTest::newRow(qPrintable(lines.takeFirst())) << lines;
    }
}

QHash<QString, QStringList> directives(const QStringList& lines) {
    QHash<QString, QStringList> byWord;
    for (const QString& line : lines)
        byWord[line.section(u' ', 0, 0)] << line.section(u' ', 1);
    return byWord;
}

} // namespace veltrano::test
