#include "runsummary.h"

#include "pagesteps.h"

#include <QFileInfo>

namespace veltrano {

namespace {

const QString kCompletionTitle = QStringLiteral("Abschluss");

QString pages(int n, const char* one, const char* many) {
    return n == 1 ? QString::fromUtf8(one) : QString::fromUtf8(many).arg(n);
}

} // namespace

QString missingSourcePrompt(const QString& source, bool modern) {
    const QFileInfo info(source);
    if (modern && info.exists() && info.size() < 1)
        return QStringLiteral("Die Datei ist leer: ") + source;
    return QStringLiteral("Datei konnte nicht gefunden werden: ") + source;
}

PageMessage fatalMessage(const QString& prompt) {
    return {prompt, QStringLiteral("Schwerwiegender Fehler"), Host::Icon::Information};
}

QString tallyText(const RunTally& tally) {
    QString text = pages(tally.converted, "1 Seite verschlüsselt", "%1 Seiten verschlüsselt");
    if (tally.skipped > 0)
        text += QStringLiteral(", %1 übersprungen").arg(tally.skipped);
    if (tally.failed > 0)
        text += QStringLiteral(", %1 Fehler").arg(tally.failed);
    return text;
}

void finishRun(Host& host, const RunTally& tally, bool modern, bool completionMessage) {
    if (modern && !tally.notices.isEmpty()) {
        host.message(pages(tally.notices.size(), "Diese Seite wurde übersprungen:",
                           "Diese %1 Seiten wurden übersprungen:") +
                         QStringLiteral("\r\n- ") + tally.notices.join(QStringLiteral("\r\n- ")),
                     QStringLiteral("Hinweis"), Host::Icon::Information);
    }
    if (tally.stopped()) {
        const PageMessage m = fatalMessage(tally.stop);
        host.message(m.prompt, m.title, m.icon);
    }
    if (!modern) {
        if (completionMessage && !tally.stopped())
            host.message(
                QStringLiteral("Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!"),
                kCompletionTitle, Host::Icon::Information);
        return;
    }
    const bool failed = tally.failed > 0 || tally.stopped() || tally.interrupted;
    if (!completionMessage && !failed)
        return;
    QString how = QStringLiteral("ist erfolgreich abgeschlossen");
    if (tally.interrupted)
        how = QStringLiteral("wurde abgebrochen");
    else if (tally.stopped())
        how = QStringLiteral("wurde angehalten");
    else if (failed)
        how = QStringLiteral("ist abgeschlossen");
    host.message(QStringLiteral("Das Verschlüsseln der Dateien %1: %2.").arg(how, tallyText(tally)),
                 kCompletionTitle, failed ? Host::Icon::Critical : Host::Icon::Information);
}

} // namespace veltrano
