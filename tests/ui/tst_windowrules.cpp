// Qt's own texts in German (ctest runs this under a German and a C locale), and the window's rules
// for the mouse, the drive box, messages and the save dialog; controls are found by design name.
#include "folderbrowser.h"
#include "mainwindow.h"
#include "qttranslation.h"
#include "support/testfiles.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

struct Window {
    Window() {
        w.host().setModalBoxes(false);
        w.actions().exitProgram = [this] { ++exits; };
        w.actions().openUrl = [this](const QUrl& url) {
            opened += url.host() == u"www.veltrano.example"_s;
        };
        w.actions().startMove = [this] { return ++moves > 0; };
        w.show();
    }
    // Runs a menu entry while the modal box or dialog it shows is answered by `reply`.
    template <class Box> void answer(const char* entry, std::function<void(Box*)> reply) {
        w.host().setModalBoxes(true);
        QTimer::singleShot(0,
                           [&] { reply(qobject_cast<Box*>(QApplication::activeModalWidget())); });
        w.findChild<QAction*>(QLatin1String(entry))->trigger();
    }
    veltrano::ui::MainWindow w{nullptr, u"/opt/veltrano"_s};
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
        QTest::newRow("Label1 right") << u"Label1"_s << Qt::RightButton << 0 << QList{0, 0, 0};
        QTest::newRow("Image5 left") << u"Image5"_s << Qt::LeftButton << 0 << QList{0, 1, 0};
        QTest::newRow("Label10 left") << u"Label10"_s << Qt::LeftButton << 0 << QList{0, 1, 0};
        QTest::newRow("Label2 still") << u"Label2"_s << Qt::LeftButton << 0 << QList{0, 0, 0};
        QTest::newRow("Label2 left") << u"Label2"_s << Qt::LeftButton << 30 << QList{0, 0, 1};
        QTest::newRow("Label2 right") << u"Label2"_s << Qt::RightButton << 30 << QList{0, 0, 1};
    }
    void mouse() {
        QFETCH(QString, label);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, moveBy);
        Window f;
        f.w.findChild<QTabWidget*>(u"Tab1"_s)->setCurrentIndex(1);
        auto* widget = f.w.findChild<QWidget*>(label);
        QTest::mousePress(widget, button, {}, QPoint(5, 5));
        QTest::mouseMove(widget, QPoint(5 + moveBy, 5));
        QTest::mouseRelease(widget, button, {}, QPoint(5 + moveBy, 5));
        QTEST((QList{f.exits, f.opened, f.moves}), "exitsOpenedMoves");
    }

    void shownDriveChangesNothing() {
        Window f;
        auto* drive = f.w.findChild<QComboBox*>(u"Drive1"_s);
        auto* folder = f.w.findChild<veltrano::ui::FolderBox*>(u"Dir1"_s);
        const QString before = folder->path();
        emit drive->activated(drive->currentIndex());
        QCOMPARE(folder->path(), before);
    }

    // A page opened as a project shows its first line as it is; Save as takes the typed name.
    void messageAndSaveDialog() {
        QTemporaryDir dir;
        const QString page = dir.filePath(u"index.html"_s), typed = dir.filePath(u"auftrag"_s);
        veltrano::test::writeFile(page, "<!DOCTYPE html>\n<html>");
        Window f;
        QString shown, start;
        f.w.host().setNextFileName(page);
        f.answer<QMessageBox>("cmdLoad", [&](QMessageBox* box) {
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
            shown = label->textFormat() == Qt::PlainText ? label->text() : QString();
            box->accept();
        });
        f.answer<QFileDialog>("cmdSU", [&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            start = name->text();
            name->setText(typed);
            f.w.host().setModalBoxes(false); // the saved message is only recorded
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(shown, u"Die Datei wurde mit Version <!DOCTYPE html> erstellt, und ist zu 3.0.0 "
                        u"nicht kompatibel!"_s);
        QCOMPARE(start, u"*.vtp"_s);
        QVERIFY(QFile::exists(typed) && f.w.options().projectFile() == typed);
    }
};

QTEST_MAIN(TestWindowRules)
#include "tst_windowrules.moc"
