#include "PasswordDialog.h"

#include "ui_PasswordDialog.h"

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PasswordDialog>()) {
    ui_->setupUi(this);
    // Drawn at 300 x 125 and not resizable. Under the program's style sheet the two fields
    // need a little more height than that: the dialog keeps its size where its content
    // fits and grows just enough where it does not.
    setFixedSize(minimumSize().expandedTo(sizeHint()));
}

PasswordDialog::~PasswordDialog() = default;

QString PasswordDialog::password() const {
    return ui_->passwdLineEdit->text();
}

QString PasswordDialog::verification() const {
    return ui_->verifyLineEdit->text();
}
