#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class QWidget;

// The size at which every screen is shown in the main window: a little above the window's
// smallest size, so that the texts stay legible at the width of a page.
inline constexpr QSize kPictureMainWindowSize(880, 560);

// The picture of a window as laid out now, framed by a thin line that sets it off the page.
QImage pictureOf(QWidget* window);

// The window a picture shows: a form of the window-resource files and, for a form with a
// notebook, the page that is open.
struct FormReference {
    QString form;
    int page = 0;
};

// "Utilities#2" is the form "Utilities" with its notebook on page 2, "MenuWindow" a form as
// it is loaded; nullopt for anything else.
std::optional<FormReference> parseFormReference(const QString& reference);

// Pictures of the program's windows, built from the forms of the window-resource files beside
// the executables, in the program's style sheet and default fonts. A screen is shown inside
// the main window's frame, as the program shows it; a dialog at the size its layout asks for.
class FormPictures {
public:
    // Opens Brix.znc and ZELK.znc in `resourceDirectory` and applies the style sheet.
    explicit FormPictures(const QString& resourceDirectory);
    ~FormPictures();
    FormPictures(const FormPictures&) = delete;
    FormPictures& operator=(const FormPictures&) = delete;

    // Empty while the resource files and the style sheet are usable.
    QString errorText() const { return errorText_; }

    // The picture of `reference`; a null image with errorText() when the reference is
    // malformed, the form is missing or the page does not exist.
    QImage picture(const QString& reference);

private:
    QWidget* loadForm(const QString& name);
    QImage screenInMainWindow(QWidget* screen);

    QString resourceDirectory_;
    QString errorText_;
    QFont normalFont_;
    QFont smallFont_;
};
