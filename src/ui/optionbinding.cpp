#include "optionbinding.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace veltrano::ui {

namespace {
Qt::CheckState toCheckState(CheckState state) {
    switch (state) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    default:
        return Qt::PartiallyChecked;
    }
}
} // namespace

OptionCheckBox::OptionCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setTristate(true);
}

void OptionCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

OptionBinding::OptionBinding(OptionSet& options, QObject* parent)
    : QObject(parent), options_(options) {
    connect(&options_, &OptionSet::changed, this, &OptionBinding::refresh);
}

void OptionBinding::bind(CheckField field, QCheckBox* box) {
    checks_[static_cast<size_t>(field)] = box;
    connect(box, &QCheckBox::stateChanged, this, [this, field](int state) {
        if (refreshing_)
            return;
        options_.setCheck(field, state == Qt::Unchecked ? 0 : state == Qt::Checked ? 1 : 2);
    });
    box->setCheckState(toCheckState(options_.check(field)));
}

void OptionBinding::bind(TextField field, QLineEdit* edit) {
    texts_[static_cast<size_t>(field)] = edit;
    connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        if (!refreshing_)
            options_.setText(field, text);
    });
    edit->setText(options_.text(field));
    edit->setCursorPosition(0);
}

void OptionBinding::bindPair(QRadioButton* newFiles, QRadioButton* overwrite) {
    newFiles_ = newFiles;
    overwrite_ = overwrite;
    // The pair is two buttons of one group, but a loaded project may leave both off, which an
    // exclusive group cannot show; the record applies the group rule and the buttons follow.
    newFiles_->setAutoExclusive(false);
    overwrite_->setAutoExclusive(false);
    connect(newFiles_, &QRadioButton::clicked, this, [this] {
        options_.setNewFiles(true);
        refresh();
    });
    connect(overwrite_, &QRadioButton::clicked, this, [this] {
        options_.setOverwrite(true);
        refresh();
    });
    refresh();
}

void OptionBinding::refresh() {
    refreshing_ = true;
    for (int i = 0; i < kCheckFieldCount; ++i) {
        if (QCheckBox* box = checks_[static_cast<size_t>(i)])
            box->setCheckState(toCheckState(options_.check(static_cast<CheckField>(i))));
    }
    for (int i = 0; i < kTextFieldCount; ++i) {
        QLineEdit* edit = texts_[static_cast<size_t>(i)];
        const QString& text = options_.text(static_cast<TextField>(i));
        // Only a real difference is written, so the cursor of the field being typed in stays.
        if (edit && edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0); // a long text shows its beginning
        }
    }
    if (newFiles_ && overwrite_) {
        newFiles_->setChecked(options_.newFiles());
        overwrite_->setChecked(options_.overwrite());
    }
    refreshing_ = false;
}

} // namespace veltrano::ui
