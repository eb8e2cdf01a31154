#pragma once

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace veltrano::ui {

class ActionLabel;
class OptionCheckBox;

// Wizard page 2, "Schritt 2 - Optionen": the conversion methods and their texts.
class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);

    ActionLabel* Label2; // drags the window
    ActionLabel* Label1; // a click ends the program
    OptionCheckBox* chkSeo;
    OptionCheckBox* chkNativ;
    OptionCheckBox* chkZange;
    OptionCheckBox* chkJava;
    OptionCheckBox* chkLine;
    OptionCheckBox* chkFake;
    OptionCheckBox* chkRClick;
    OptionCheckBox* chkSel;
    OptionCheckBox* chkPrint;
    QLineEdit* txtJava;
    QLineEdit* txt404;
    QLineEdit* txtStart;
    QLineEdit* txtEnd;
    // The hidden frame of an older choice of method; nothing reads it.
    QGroupBox* Frame1;
    QRadioButton* chkOld;
    QRadioButton* chkNew;
};

// A separator line of a page.
QWidget* makeLine(const QString& name, QWidget* parent);

} // namespace veltrano::ui
