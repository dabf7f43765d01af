#include "UserPersist.h"

#include "KORAButton.h"
#include "KORAGroup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

// Why a window could not be built; the caller shows the text in its error message.
const QString kWindowMissingText = QStringLiteral("The window \"%1\" is missing from %2");
const QString kWindowBrokenText = QStringLiteral("The window \"%1\" cannot be built: %2");
const QString kWindowMisfitText = QStringLiteral("The window \"%1\" does not fit its class");
const QString kWindowWrongClassText = QStringLiteral("The window \"%1\" is a %2, not a %3");

} // namespace

WithoutDesignerPlugins::WithoutDesignerPlugins() : libraryPaths_(QCoreApplication::libraryPaths()) {
    QCoreApplication::setLibraryPaths({});
}

void WithoutDesignerPlugins::restoreLibraryPaths() {
    QCoreApplication::setLibraryPaths(libraryPaths_);
}

UserPersist::UserPersist(const QString& root) : root_(root) {
    restoreLibraryPaths();
    setWorkingDirectory(QDir(root_ + QStringLiteral("/forms")));
}

QString UserPersist::formPath(const QString& name) const {
    return root_ + QStringLiteral("/forms/") + name + QStringLiteral(".ui");
}

QWidget* UserPersist::build(const QString& name, QWidget* parent) {
    errorText_.clear();
    QFile form(formPath(name));
    if (!form.open(QIODevice::ReadOnly)) {
        errorText_ = kWindowMissingText.arg(name, root_);
        return nullptr;
    }
    QWidget* window = QUiLoader::load(&form, parent);
    if (window == nullptr && errorText_.isEmpty())
        errorText_ = kWindowBrokenText.arg(name, QUiLoader::errorString());
    return window;
}

QWidget* UserPersist::load(const QString& name, QWidget* parent) {
    into_ = nullptr;
    return build(name, parent);
}

bool UserPersist::loadInto(const QString& name, QWidget* window) {
    into_ = window;
    QWidget* built = build(name, nullptr);
    const bool ok = built == window;
    into_ = nullptr;
    if (!ok && errorText_.isEmpty())
        errorText_ = kWindowMisfitText.arg(name);
    return ok;
}

QWidget* UserPersist::createWidget(const QString& className, QWidget* parent, const QString& name) {
    if (into_ != nullptr && parent == nullptr) {
        QWidget* window = into_;
        into_ = nullptr;
        if (!window->inherits(className.toLatin1().constData())) {
            errorText_ = kWindowWrongClassText.arg(
                name, className, QString::fromLatin1(window->metaObject()->className()));
            return nullptr;
        }
        window->setObjectName(name);
        return window;
    }
    QWidget* widget = nullptr;
    if (className == QLatin1String("KORAButton"))
        widget = new KORAButton(parent);
    else if (className == QLatin1String("KORAGroup"))
        widget = new KORAGroup(parent);
    else
        return QUiLoader::createWidget(className, parent, name);
    widget->setObjectName(name);
    return widget;
}
