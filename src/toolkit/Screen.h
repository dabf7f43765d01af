#pragma once

#include <QFont>
#include <QWidget>

#include <optional>

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

    // Gives the screen and all its controls the font, and gives it again when the screen is
    // taken into the main window: a control polished under the style sheet while the form
    // was built (a notebook's page on show) goes back, at that polish, to the font it had then.
    void setScreenFont(const QFont& font);

protected:
    bool event(QEvent* event) override;

private:
    bool built_ = false;
    QString errorText_;
    std::optional<QFont> font_;
};
