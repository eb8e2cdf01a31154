// The option controls and the OptionSet, both ways: edits write the record, every change of
// the record shows in the controls, the dimmed state 2 and the option pair.
#include "windowfixture.h"

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::clickBox;
using veltrano::test::WindowFixture;

Q_DECLARE_METATYPE(veltrano::CheckField)
Q_DECLARE_METATYPE(veltrano::TextField)

class TestOptionBinding : public QObject {
    Q_OBJECT
private slots:
    void checkBoxes_data() {
        QTest::addColumn<CheckField>("field");
        for (int i = 0; i < kCheckFieldCount; ++i)
            QTest::newRow(fieldName(static_cast<CheckField>(i))) << static_cast<CheckField>(i);
    }
    void checkBoxes() {
        QFETCH(CheckField, field);
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.show();
        auto* box = w.findChild<QCheckBox*>(QString::fromLatin1(fieldName(field)));
        QVERIFY(box);
        w.wizardTabs->setCurrentWidget(box->parentWidget());
        QCOMPARE(box->checkState(), Qt::Checked);
        // A click switches off and on and writes the record. The dimmed state of a project
        // shows partly checked; a click leaves it for "on", never for another dimmed state.
        const auto clicks = [&](std::initializer_list<int> states) {
            for (int state : states) {
                clickBox(box);
                QCOMPARE(w.options().check(field), CheckState(state));
            }
        };
        clicks({0, 1});
        w.options().setCheck(field, 2);
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        clicks({1, 0, 1});

        // A change of the record (New, Open) shows in the box.
        w.options().setCheck(field, 0);
        QCOMPARE(box->checkState(), Qt::Unchecked);
        w.options().reset();
        QCOMPARE(box->checkState(), Qt::Checked);
    }

    void texts_data() {
        QTest::addColumn<TextField>("field");
        for (int i = 0; i < kTextFieldCount; ++i)
            QTest::newRow(fieldName(static_cast<TextField>(i))) << static_cast<TextField>(i);
    }
    void texts() {
        QFETCH(TextField, field);
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.show();
        auto* edit = w.findChild<QLineEdit*>(QString::fromLatin1(fieldName(field)));
        QVERIFY(edit);
        w.wizardTabs->setCurrentWidget(edit->parentWidget());
        edit->setFocus();
        edit->selectAll();
        // Typed text is kept as typed, blanks and non-numbers included.
        QTest::keyClicks(edit, u"  zwoelf 12 "_s);
        QCOMPARE(w.options().text(field), u"  zwoelf 12 "_s);
        w.options().setText(field, u"aus dem Projekt"_s);
        QCOMPARE(edit->text(), u"aus dem Projekt"_s);
    }

    void optionPair() {
        WindowFixture f;
        ui::MainWindow& w = f.showPage(2);
        QRadioButton* newFiles = w.runPage->newFilesButton;
        QRadioButton* overwrite = w.runPage->overwriteButton;
        // The buttons and the record agree after every click.
        const auto shows = [&](bool overwriting) {
            return newFiles->isChecked() == !overwriting && overwrite->isChecked() == overwriting &&
                   w.options().newFiles() == !overwriting && w.options().overwrite() == overwriting;
        };
        QVERIFY(shows(false));
        clickBox(overwrite);
        QVERIFY(shows(true));
        // A click on the chosen button keeps it chosen: through the window one is always on.
        clickBox(overwrite);
        QVERIFY(shows(true));
        clickBox(newFiles);
        QVERIFY(shows(false));
    }

    void bothOffFromAProject() {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        OptionValues values = w.options().values();
        values.chkNewFiles = false;
        values.chkOverwrite = false;
        w.options().setValues(values);
        QVERIFY(!w.runPage->newFilesButton->isChecked());
        QVERIFY(!w.runPage->overwriteButton->isChecked());
        // Choosing one afterwards applies the group rule as usual.
        f.showPage(2);
        w.runPage->overwriteButton->click();
        QVERIFY(w.options().overwrite() && !w.options().newFiles());
    }

    void recordChangesDoNotEchoBack() {
        // Loading a whole record shows it without the controls writing older values back.
        WindowFixture f;
        ui::MainWindow& w = f.window();
        OptionValues values = OptionValues::defaults(u"/x"_s);
        values.checks.fill(2);
        values.chkNewFiles = false;
        values.chkOverwrite = true;
        values.texts.fill(u"t"_s);
        w.options().setValues(values);
        QCOMPARE(w.options().values(), values);
        QCOMPARE(w.optionsPage->javaScriptCheck->checkState(), Qt::PartiallyChecked);
        QCOMPARE(w.runPage->outputFolderEdit->text(), u"t"_s);
    }
};

QTEST_MAIN(TestOptionBinding)
#include "tst_optionbinding.moc"
