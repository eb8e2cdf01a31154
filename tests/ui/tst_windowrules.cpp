// The window as a German desktop user meets it: Qt's own texts in German (ctest runs this under a
// German and a C locale), the mouse rules of the labels, the drive box, plain-text messages and
// the save dialog. Controls are found by their design names.
#include "folderbrowser.h"
#include "mainwindow.h"
#include "qttranslation.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

struct Window {
    Window() {
        w.host().setModalBoxes(false);
        w.actions().exitProgram = [this] { ++exits; };
        w.actions().openUrl = [this](const QUrl&) { ++opened; };
        w.actions().startMove = [this] { return ++moves > 0; };
        w.show();
        w.findChild<QTabWidget*>(u"Tab1"_s)->setCurrentIndex(1);
    }
    // Runs a menu entry while the modal box or dialog it shows is answered by `reply`.
    template <class Box> void answer(const QString& action, std::function<void(Box*)> reply) {
        w.host().setModalBoxes(true);
        QTimer::singleShot(0,
                           [&] { reply(qobject_cast<Box*>(QApplication::activeModalWidget())); });
        w.findChild<QAction*>(action)->trigger();
    }
    veltrano::ui::MainWindow w{u"/opt/veltrano"_s};
    int exits = 0, opened = 0, moves = 0;
};

class TestWindowRules : public QObject {
    Q_OBJECT
private slots:
    void germanDialogs() {
        QVERIFY(!veltrano::ui::installQtTranslation().isEmpty());
        QMessageBox box(QMessageBox::Information, {}, {}, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"Abbrechen"_s);
    }

    // Only a left click acts; the heading of step 2 moves the window once the pointer moves.
    void mouse_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("moveBy");
        QTest::addColumn<QList<int>>("exitsOpenedMoves");
        const auto row = [](const char* label, Qt::MouseButton button, int moveBy, QList<int> n) {
            QTest::addRow("%s %d %d", label, int(button), moveBy)
                << QString::fromLatin1(label) << button << moveBy << n;
        };
        row("Label1", Qt::LeftButton, 0, {1, 0, 0});
        row("Label1", Qt::RightButton, 0, {0, 0, 0});
        row("Image5", Qt::LeftButton, 0, {0, 1, 0});
        row("Image5", Qt::MiddleButton, 0, {0, 0, 0});
        row("Label10", Qt::RightButton, 0, {0, 0, 0});
        row("Label2", Qt::LeftButton, 0, {0, 0, 0});
        row("Label2", Qt::LeftButton, 30, {0, 0, 1});
        row("Label2", Qt::RightButton, 30, {0, 0, 1});
    }
    void mouse() {
        QFETCH(QString, label);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, moveBy);
        QFETCH(QList<int>, exitsOpenedMoves);
        Window f;
        auto* widget = f.w.findChild<QWidget*>(label);
        QTest::mousePress(widget, button, {}, QPoint(5, 5));
        QTest::mouseMove(widget, QPoint(5 + moveBy, 5));
        QTest::mouseRelease(widget, button, {}, QPoint(5 + moveBy, 5));
        QCOMPARE((QList<int>{f.exits, f.opened, f.moves}), exitsOpenedMoves);
    }

    void shownDriveChangesNothing() {
        Window f;
        auto* drive = f.w.findChild<QComboBox*>(u"Drive1"_s);
        auto* folder = f.w.findChild<veltrano::ui::FolderBox*>(u"Dir1"_s);
        const QString before = folder->path();
        emit drive->activated(drive->currentIndex());
        QCOMPARE(folder->path(), before);
    }

    // A page opened as a project: its first line appears in the message as it is.
    void messagesArePlainText() {
        QTemporaryDir dir;
        QFile page(dir.filePath(u"index.html"_s));
        QVERIFY(page.open(QIODevice::WriteOnly) && page.write("<!DOCTYPE html>\n<html>") > 0);
        page.close();
        Window f;
        f.w.host().setNextFileName(page.fileName());
        QString shown;
        f.answer<QMessageBox>(u"cmdLoad"_s, [&](QMessageBox* box) {
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
            shown = label->textFormat() == Qt::PlainText ? label->text() : QString();
            box->accept();
        });
        QCOMPARE(shown, u"Die Datei wurde mit Version <!DOCTYPE html> erstellt, und ist zu "
                        u"3.0.0 nicht kompatibel!"_s);
    }

    void saveAsTakesTheNameAsTyped() {
        QTemporaryDir dir;
        const QString typed = dir.filePath(u"auftrag"_s);
        Window f;
        QString start;
        f.answer<QFileDialog>(u"cmdSU"_s, [&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            start = name->text();
            name->setText(typed);
            f.w.host().setModalBoxes(false); // the saved message is only recorded
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(start, u"*.vtp"_s);
        QCOMPARE(f.w.options().projectFile(), typed);
        QVERIFY(QFile::exists(typed));
    }
};

QTEST_MAIN(TestWindowRules)
#include "tst_windowrules.moc"
