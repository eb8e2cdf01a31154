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

    ActionLabel* headingLabel; // drags the window
    ActionLabel* introLabel;   // a click ends the program
    OptionCheckBox* seoCheck;
    OptionCheckBox* nativeCheck;
    OptionCheckBox* sourceGuardCheck;
    OptionCheckBox* javaScriptCheck;
    OptionCheckBox* lineBreaksCheck;
    OptionCheckBox* fakeMessageCheck;
    OptionCheckBox* rightClickCheck;
    OptionCheckBox* selectionCheck;
    OptionCheckBox* printCheck;
    QLineEdit* noScriptTextEdit;
    QLineEdit* fakeMessageEdit;
    QLineEdit* startLinesEdit;
    QLineEdit* endLinesEdit;
    // The hidden frame of an older choice of method; nothing reads it.
    QGroupBox* oldMethodFrame;
    QRadioButton* oldMethodButton;
    QRadioButton* newMethodButton;
};

// A separator line of a page.
QWidget* makeLine(const QString& name, QWidget* parent);

} // namespace veltrano::ui
