#include "batchreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>

namespace veltrano {

namespace {

QJsonValue textOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonObject pageEntry(const PlannedPage& page, const PageOutcome& o, breakage::Kinds kinds) {
    QStringList messages;
    for (const PageMessage& m : o.messages)
        messages << m.title + QStringLiteral(": ") + m.prompt;
    return QJsonObject{
        {QStringLiteral("source"), page.source},
        {QStringLiteral("output"), page.output},
        {QStringLiteral("backup"), textOrNull(page.backup)},
        {QStringLiteral("inputBytes"), o.inputBytes},
        {QStringLiteral("outputBytes"), o.outputBytes},
        {QStringLiteral("encoding"), textOrNull(o.encoding)},
        {QStringLiteral("milliseconds"), o.milliseconds},
        {QStringLiteral("message"), textOrNull(messages.join(u'\n'))},
        {QStringLiteral("breaks"), QJsonArray::fromStringList(breakage::codes(kinds))},
    };
}

QJsonArray copyEntries(const QList<OtherFile>& copied) {
    QJsonArray copies;
    for (const OtherFile& f : copied) {
        copies.append(QJsonObject{{QStringLiteral("source"), f.source},
                                  {QStringLiteral("output"), f.target},
                                  {QStringLiteral("bytes"), f.size}});
    }
    return copies;
}

} // namespace

std::optional<FileError> writeReport(const QString& fileName, const QList<PlannedPage>& pages,
                                     const QList<PageOutcome>& outcomes,
                                     const QList<breakage::Kinds>& breaks, int exitCode,
                                     qint64 milliseconds, const QList<OtherFile>& copied) {
    QJsonArray list;
    qint64 inputBytes = 0;
    qint64 outputBytes = 0;
    int converted = 0;
    int skipped = 0;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        const PageOutcome& o = outcomes[i];
        list.append(pageEntry(pages[i], o, breaks.value(i)));
        inputBytes += o.inputBytes;
        outputBytes += o.outputBytes;
        converted += o.converted ? 1 : 0;
        skipped += o.notice.isEmpty() ? 0 : 1;
    }
    qint64 copiedBytes = 0;
    for (const OtherFile& f : copied)
        copiedBytes += f.size;
    const QJsonObject totals{
        {QStringLiteral("pages"), pages.size()},
        {QStringLiteral("converted"), converted},
        {QStringLiteral("skipped"), skipped},
        {QStringLiteral("failed"), outcomes.size() - converted - skipped},
        {QStringLiteral("notReached"), pages.size() - outcomes.size()},
        {QStringLiteral("inputBytes"), inputBytes},
        {QStringLiteral("outputBytes"), outputBytes},
        {QStringLiteral("milliseconds"), milliseconds},
        {QStringLiteral("exitCode"), exitCode},
        {QStringLiteral("copiedFiles"), copied.size()},
        {QStringLiteral("copiedBytes"), copiedBytes},
    };
    QSaveFile file(fileName);
    const auto failed = [&] {
        return FileError{EIO, QStringLiteral("Der Bericht %1 konnte nicht geschrieben werden: %2")
                                  .arg(fileName, file.errorString())};
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("pages"), list},
                                         {QStringLiteral("copied"), copyEntries(copied)},
                                         {QStringLiteral("totals"), totals}})
                   .toJson());
    if (!file.commit())
        return failed();
    return std::nullopt;
}

} // namespace veltrano
