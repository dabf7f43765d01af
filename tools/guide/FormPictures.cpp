#include "FormPictures.h"

#include "Controls.h"
#include "DisplayFonts.h"
#include "ResourceFiles.h"
#include "UserPersist.h"

#include <QDialog>
#include <QLayout>
#include <QMainWindow>
#include <QPainter>
#include <QRegularExpression>
#include <QTabWidget>
#include <memory>
#include <utility>

namespace {

// The line around each picture, which sets the window off from the page.
const QColor kPictureEdge(0xcf, 0xd6, 0xdd);
const QString kMainWindowForm = QStringLiteral("KORAWindow");

// The program gives its font to each control of a window, as the style sheet leaves fonts
// alone; a control whose form chose a font of its own (a title) keeps it.
void giveFont(QWidget* window, const QFont& font) {
    window->setFont(font);
    for (QWidget* control : window->findChildren<QWidget*>())
        if (!control->testAttribute(Qt::WA_SetFont))
            control->setFont(font);
}

} // namespace

QImage pictureOf(QWidget* window) {
    // Laid out as shown, without a window on any screen.
    window->ensurePolished();
    if (window->layout() != nullptr)
        window->layout()->activate();
    QImage picture = window->grab().toImage();
    QPainter painter(&picture);
    painter.setPen(QPen(kPictureEdge, 0));
    painter.drawRect(QRectF(QPointF(0, 0), picture.deviceIndependentSize()).adjusted(0, 0, -1, -1));
    return picture;
}

std::optional<FormReference> parseFormReference(const QString& reference) {
    static const QRegularExpression shape(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)(?:#(\\d))?$"));
    const QRegularExpressionMatch match = shape.match(reference);
    if (!match.hasMatch())
        return std::nullopt;
    return FormReference{match.captured(1),
                         match.captured(2).isEmpty() ? 0 : match.captured(2).toInt()};
}

FormPictures::FormPictures(const QString& resourceDirectory)
    : resourceDirectory_(resourceDirectory) {
    const std::pair<QString, QString> files[] = {
        {kCommonResourceFile, kCommonResourceRoot},
        {kApplicationResourceFile, kApplicationResourceRoot}};
    for (const auto& [file, root] : files) {
        if (!openResourceFile(resourceDirectory_ + file, root)) {
            errorText_ = QStringLiteral("%1 could not be opened").arg(resourceDirectory_ + file);
            return;
        }
    }
    if (!applyStyleSheet(kCommonResourceRoot)) {
        errorText_ = QStringLiteral("The style sheet is missing from %1").arg(kCommonResourceFile);
        return;
    }
    const DisplayFonts fonts = readDisplayFonts();
    normalFont_ = fonts.normal;
    smallFont_ = fonts.small;
}

FormPictures::~FormPictures() {
    closeResourceFile(resourceDirectory_ + kApplicationResourceFile, kApplicationResourceRoot);
    closeResourceFile(resourceDirectory_ + kCommonResourceFile, kCommonResourceRoot);
}

QWidget* FormPictures::loadForm(const QString& name) {
    // The program's own resources first, then the common ones.
    for (const QString& root : {kApplicationResourceRoot, kCommonResourceRoot}) {
        UserPersist persist(resourcePath(root));
        if (QWidget* window = persist.load(name)) {
            giveFont(window, normalFont_);
            return window;
        }
    }
    errorText_ =
        QStringLiteral("The window \"%1\" is in none of the window-resource files").arg(name);
    return nullptr;
}

QImage FormPictures::screenInMainWindow(QWidget* screen) {
    std::unique_ptr<QWidget> frame(loadForm(kMainWindowForm));
    auto* mainWindow = qobject_cast<QMainWindow*>(frame.get());
    auto* content = frame ? frame->findChild<QWidget*>(QStringLiteral("InfoWindow")) : nullptr;
    if (mainWindow == nullptr || content == nullptr || content->layout() == nullptr) {
        delete screen;
        if (errorText_.isEmpty())
            errorText_ = QStringLiteral("The main window has no content area");
        return {};
    }
    content->layout()->addWidget(screen);
    if (auto* statusBar = frame->findChild<QWidget*>(QStringLiteral("StatusBar")))
        applyFont(statusBar, smallFont_);
    frame->resize(kPictureMainWindowSize);
    return pictureOf(frame.get());
}

QImage FormPictures::picture(const QString& reference) {
    const std::optional<FormReference> wanted = parseFormReference(reference);
    if (!wanted) {
        errorText_ = QStringLiteral("\"%1\" does not name a window").arg(reference);
        return {};
    }
    QWidget* window = loadForm(wanted->form);
    if (window == nullptr)
        return {};
    if (wanted->page != 0) {
        auto* notebook = window->findChild<QTabWidget*>();
        if (notebook == nullptr || wanted->page >= notebook->count()) {
            errorText_ = QStringLiteral("The window \"%1\" has no page %2")
                             .arg(wanted->form)
                             .arg(wanted->page);
            delete window;
            return {};
        }
        notebook->setCurrentIndex(wanted->page);
    }
    if (qobject_cast<QDialog*>(window) != nullptr ||
        qobject_cast<QMainWindow*>(window) != nullptr) {
        std::unique_ptr<QWidget> owned(window);
        window->resize(window->sizeHint().expandedTo(window->minimumSize()));
        return pictureOf(window);
    }
    return screenInMainWindow(window);
}
