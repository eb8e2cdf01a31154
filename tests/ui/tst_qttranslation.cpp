// Qt's own texts speak German under a German and under a C locale (ctest runs this twice).
#include "qttranslation.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestQtTranslation : public QObject {
    Q_OBJECT
private slots:
    void germanDialogs() {
        QCOMPARE(veltrano::ui::installQtTranslation(), QStringLiteral("de_DE"));
        QMessageBox box(QMessageBox::Information, QString(), QString(),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QCOMPARE(menu->actions().constFirst()->text().remove(QLatin1Char('&')).left(10),
                 QStringLiteral("Rückgängig"));
    }
};

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
