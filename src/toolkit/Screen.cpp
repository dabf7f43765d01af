#include "Screen.h"

#include "Controls.h"
#include "UserPersist.h"

#include <QEvent>
#include <QLayout>

Screen::Screen(const QString& formName, UserPersist& persist, QWidget* parent) : QWidget(parent) {
    built_ = persist.loadInto(formName, this);
    if (!built_)
        errorText_ = persist.errorText();
}

void Screen::setScreenFont(const QFont& font) {
    font_ = font;
    applyFont(this, font);
}

bool Screen::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && font_) {
        applyFont(this, *font_);
        // The layouts measure the controls anew in that font.
        for (QLayout* layout : findChildren<QLayout*>())
            layout->invalidate();
    }
    return handled;
}
