#pragma once

#include "options/optionset.h"

#include <QCheckBox>
#include <QObject>

#include <array>

class QLineEdit;
class QRadioButton;

namespace veltrano::ui {

// A check box that can show the dimmed state 2 of a loaded project (drawn partly checked)
// while a click only switches between off and on.
class OptionCheckBox : public QCheckBox {
    Q_OBJECT
public:
    OptionCheckBox(const QString& text, QWidget* parent);

protected:
    void nextCheckState() override;
};

// Keeps the option controls and the OptionSet in step both ways: an edit in a control writes
// its field, and every change of the record (New, Open, an edit) is shown by the controls.
class OptionBinding : public QObject {
    Q_OBJECT
public:
    explicit OptionBinding(OptionSet& options, QObject* parent = nullptr);

    void bind(CheckField field, QCheckBox* box);
    void bind(TextField field, QLineEdit* edit);
    void bindPair(QRadioButton* newFiles, QRadioButton* overwrite);

    // Shows the record in every bound control.
    void refresh();

private:
    OptionSet& options_;
    std::array<QCheckBox*, kCheckFieldCount> checks_{};
    std::array<QLineEdit*, kTextFieldCount> texts_{};
    QRadioButton* newFiles_ = nullptr;
    QRadioButton* overwrite_ = nullptr;
    bool refreshing_ = false;
};

} // namespace veltrano::ui
