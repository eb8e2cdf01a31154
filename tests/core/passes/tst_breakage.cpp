// Walks tests/data/breakage.txt: each page with its options, and the codes of what the
// conversion without "Moderne Seiten" breaks in it.
#include "options/optionset.h"
#include "passes/breakage.h"
#include "support/testfiles.h"

#include <QFile>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestBreakage : public QObject {
    Q_OBJECT
private slots:
    void pages_data() {
        QTest::addColumn<QStringList>("directives");
        QFile file(QStringLiteral(BREAKAGE_CASES));
        QVERIFY(file.open(QIODevice::ReadOnly));
        test::addCaseRows(QString::fromUtf8(file.readAll()));
    }
    void pages() {
        QFETCH(QStringList, directives);
        const QHash<QString, QStringList> d = test::directives(directives);
        const QHash<QString, CheckField> fields = {{u"nativ"_s, CheckField::chkNativ},
                                                   {u"zange"_s, CheckField::chkZange},
                                                   {u"java"_s, CheckField::chkJava},
                                                   {u"seo"_s, CheckField::chkSeo}};
        OptionSet options;
        for (const QString& set : d.value(u"set"_s).join(u' ').split(u' ', Qt::SkipEmptyParts))
            options.setCheck(fields.value(set.section(u'=', 0, 0)),
                             static_cast<CheckState>(set.section(u'=', 1).toInt()));
        const QByteArray page = test::expand(d.value(u"page"_s).value(0));
        const QStringList found = breakage::codes(breakage::findBreakage(page, options.values()));
        QCOMPARE(found.isEmpty() ? u"-"_s : found.join(u' '), d.value(u"breaks"_s).value(0));
    }
};

QTEST_GUILESS_MAIN(TestBreakage)
#include "tst_breakage.moc"
