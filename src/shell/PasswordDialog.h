#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PasswordDialog;
}

// Asks for a new password twice. OK accepts, Cancel rejects; the caller judges the entries.
// A fixed size, at least the drawn 300 x 125.
class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    ~PasswordDialog() override;

    QString password() const;
    QString verification() const;

private:
    std::unique_ptr<Ui::PasswordDialog> ui_;
};
