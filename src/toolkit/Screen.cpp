#include "Screen.h"

#include "UserPersist.h"

Screen::Screen(const QString& formName, UserPersist& persist, QWidget* parent) : QWidget(parent) {
    built_ = persist.loadInto(formName, this);
    if (!built_)
        errorText_ = persist.errorText();
}
