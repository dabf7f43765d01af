#include "HelpSystem.h"

#include "Controls.h"

#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const HelpSystem*& installed() {
    static const HelpSystem* helpSystem = nullptr;
    return helpSystem;
}

} // namespace

HelpSystem::HelpSystem(const QString& root, const QString& windowTitle)
    : root_(root), windowTitle_(windowTitle) {}

const HelpSystem* HelpSystem::current() {
    return installed();
}

void HelpSystem::install(const HelpSystem* helpSystem) {
    installed() = helpSystem;
}

QString HelpSystem::pagePath(const QString& context) const {
    return root_ + QStringLiteral("/pages/") + context + QStringLiteral(".html");
}

bool HelpSystem::hasPage(const QString& context) const {
    return !context.isEmpty() && QFile::exists(pagePath(context));
}

void HelpSystem::show(const QString& context, QWidget* parent) const {
    if (!hasPage(context))
        return;
    QDialog window(parent);
    window.setObjectName(QStringLiteral("HelpWindow"));
    window.setWindowTitle(windowTitle_);
    auto* layout = new QVBoxLayout(&window);
    auto* browser = new QTextBrowser(&window);
    browser->setObjectName(QStringLiteral("HELP_PAGE"));
    browser->setSearchPaths({root_ + QStringLiteral("/pages")});
    browser->setSource(QUrl(context + QStringLiteral(".html")));
    layout->addWidget(browser);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = new QPushButton(kHelpCloseText, &window);
    close->setObjectName(QStringLiteral("B_CLOSE"));
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    window.resize(640, 520);
    placeWindow(&window);
    window.exec();
}
