// The option controls and the OptionSet, both ways: edits write the record, every change of
// the record shows in the controls, the dimmed state 2 and the option pair.
#include "actionlabel.h"
#include <QPushButton>
#include "optionbinding.h"
#include "optionspage.h"
#include "runpage.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace veltrano;
using veltrano::test::WindowFixture;

Q_DECLARE_METATYPE(veltrano::CheckField)
Q_DECLARE_METATYPE(veltrano::TextField)

class TestOptionBinding : public QObject {
    Q_OBJECT
private slots:
    void checkBoxes_data();
    void checkBoxes();
    void texts_data();
    void texts();
    void optionPair();
    void bothOffFromAProject();
    void recordChangesDoNotEchoBack();
};

void TestOptionBinding::checkBoxes_data() {
    QTest::addColumn<CheckField>("field");
    for (int i = 0; i < kCheckFieldCount; ++i) {
        const auto field = static_cast<CheckField>(i);
        QTest::newRow(fieldName(field)) << field;
    }
}

void TestOptionBinding::checkBoxes() {
    QFETCH(CheckField, field);
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    auto* box = w.findChild<QCheckBox*>(QString::fromLatin1(fieldName(field)));
    QVERIFY(box);
    w.Tab1->setCurrentWidget(box->parentWidget());
    QCOMPARE(box->checkState(), Qt::Checked);
    const auto click = [box] {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    };

    // A click switches off and on and writes the record.
    click();
    QCOMPARE(w.options().check(field), CheckState(0));
    click();
    QCOMPARE(w.options().check(field), CheckState(1));

    // The dimmed state of a project shows partly checked; a click leaves it for "on", never
    // for another dimmed state.
    w.options().setCheck(field, 2);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    click();
    QCOMPARE(w.options().check(field), CheckState(1));
    click();
    QCOMPARE(w.options().check(field), CheckState(0));
    click();
    QCOMPARE(w.options().check(field), CheckState(1));

    // A change of the record (New, Open) shows in the box.
    w.options().setCheck(field, 0);
    QCOMPARE(box->checkState(), Qt::Unchecked);
    w.options().reset();
    QCOMPARE(box->checkState(), Qt::Checked);
}

void TestOptionBinding::texts_data() {
    QTest::addColumn<TextField>("field");
    for (int i = 0; i < kTextFieldCount; ++i) {
        const auto field = static_cast<TextField>(i);
        QTest::newRow(fieldName(field)) << field;
    }
}

void TestOptionBinding::texts() {
    QFETCH(TextField, field);
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    auto* edit = w.findChild<QLineEdit*>(QString::fromLatin1(fieldName(field)));
    QVERIFY(edit);
    w.Tab1->setCurrentWidget(edit->parentWidget());
    edit->setFocus();
    edit->selectAll();
    // Typed text is kept as typed, blanks and non-numbers included.
    QTest::keyClicks(edit, QStringLiteral("  zwoelf 12 "));
    QCOMPARE(w.options().text(field), QStringLiteral("  zwoelf 12 "));
    w.options().setText(field, QStringLiteral("aus dem Projekt"));
    QCOMPARE(edit->text(), QStringLiteral("aus dem Projekt"));
}

void TestOptionBinding::optionPair() {
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    w.Tab1->setCurrentIndex(2);
    QRadioButton* newFiles = w.page3->chkNewFiles;
    QRadioButton* overwrite = w.page3->chkOverwrite;
    QVERIFY(newFiles->isChecked() && !overwrite->isChecked());

    QTest::mouseClick(overwrite, Qt::LeftButton, {}, QPoint(6, overwrite->height() / 2));
    QVERIFY(!newFiles->isChecked() && overwrite->isChecked());
    QVERIFY(!w.options().newFiles() && w.options().overwrite());

    // A click on the chosen button keeps it chosen: through the window one is always on.
    QTest::mouseClick(overwrite, Qt::LeftButton, {}, QPoint(6, overwrite->height() / 2));
    QVERIFY(!newFiles->isChecked() && overwrite->isChecked());
    QVERIFY(w.options().overwrite());

    QTest::mouseClick(newFiles, Qt::LeftButton, {}, QPoint(6, newFiles->height() / 2));
    QVERIFY(newFiles->isChecked() && !overwrite->isChecked());
    QVERIFY(w.options().newFiles() && !w.options().overwrite());
}

void TestOptionBinding::bothOffFromAProject() {
    WindowFixture f;
    ui::MainWindow& w = f.window();
    OptionValues values = w.options().values();
    values.chkNewFiles = false;
    values.chkOverwrite = false;
    w.options().setValues(values);
    QVERIFY(!w.page3->chkNewFiles->isChecked());
    QVERIFY(!w.page3->chkOverwrite->isChecked());
    // Choosing one afterwards applies the group rule as usual.
    w.show();
    w.Tab1->setCurrentIndex(2);
    w.page3->chkOverwrite->click();
    QVERIFY(w.options().overwrite() && !w.options().newFiles());
}

void TestOptionBinding::recordChangesDoNotEchoBack() {
    // Loading a whole record shows it without the controls writing older values back.
    WindowFixture f;
    ui::MainWindow& w = f.window();
    OptionValues values = OptionValues::defaults(QStringLiteral("/x"));
    values.checks.fill(2);
    values.chkNewFiles = false;
    values.chkOverwrite = true;
    values.texts.fill(QStringLiteral("t"));
    w.options().setValues(values);
    QCOMPARE(w.options().values(), values);
    QCOMPARE(w.page2->chkJava->checkState(), Qt::PartiallyChecked);
    QCOMPARE(w.page3->txtPath->text(), QStringLiteral("t"));
}

QTEST_MAIN(TestOptionBinding)
#include "tst_optionbinding.moc"
