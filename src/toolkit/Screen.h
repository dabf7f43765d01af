#pragma once

#include <QWidget>

class UserPersist;

// One screen of the main window's content area, built from its form by name. The main
// window owns the current screen and deletes it when another replaces it.
class Screen : public QWidget {
    Q_OBJECT

public:
    Screen(const QString& formName, UserPersist& persist, QWidget* parent = nullptr);

    // False when the form could not be built; errorText() says why.
    bool isBuilt() const { return built_; }
    QString errorText() const { return errorText_; }

private:
    bool built_ = false;
    QString errorText_;
};
