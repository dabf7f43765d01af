#include "TabulateInfoWindow.h"

#include "ApplicationSettings.h"
#include "Controls.h"
#include "Notifier.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFont>
#include <QLabel>
#include <QListWidget>

namespace {

constexpr int kListPointSize = 9;
constexpr QSize kSaveDialogSize(800, 480);

QFont listFont(bool bold) {
    QFont font(QStringLiteral("Courier New"), kListPointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(bold);
    return font;
}

void addNote(QListWidget* list, const QString& text) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled);
}

} // namespace

TabulateInfoWindow::TabulateInfoWindow(const QFont& font, UserPersist& persist, Notifier& notifier,
                                       QWidget* viewer)
    : QWidget(viewer, Qt::Window), notifier_(notifier) {
    setAttribute(Qt::WA_DeleteOnClose);
    setHelpContext(kViewerHelpContext);
    keyMap().map(Qt::Key_F5, kSaveTabulationEvent);
    keyMap().map(Qt::Key_Escape, kCloseWindowEvent);

    built_ = persist.loadInto(kTabulateForm, this);
    if (!built_) {
        notifier_.critical(kErrorTitle, persist.errorText());
        return;
    }
    setObjectName(kTabulateWindowName);
    applyFont(this, font);
    list_ = findControl<QListWidget>(this, {QStringLiteral("E_LIST")});
    for (const char* name : {"P_TAG", "P_HEADER1", "P_HEADER2", "P_HEADER3", "E_LIST"}) {
        if (auto* control = findChild<QWidget*>(QLatin1String(name)))
            control->setFont(listFont(qstrcmp(name, "P_TAG") == 0));
    }
    bindCode(
        findControl<QAbstractButton>(this, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_SAVE")}),
        this, kSaveTabulationEvent);

    saveDialog_ = new QFileDialog(this, kSaveToFileTitle, dataDirectory(), kTabulationFileFilter);
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    // The name gets its extension first; the overwrite question follows for that name.
    saveDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->resize(kSaveDialogSize);
    applyFont(saveDialog_, font);
}

void TabulateInfoWindow::fill(const Tabulation& tabulation) {
    tabulation_ = tabulation;
    const std::pair<const char*, const QString*> lines[] = {{"P_TAG", &tabulation_.tag},
                                                            {"P_HEADER1", &tabulation_.header1},
                                                            {"P_HEADER2", &tabulation_.header2},
                                                            {"P_HEADER3", &tabulation_.header3}};
    for (const auto& [name, text] : lines)
        setControlText(findChild<QWidget*>(QLatin1String(name)), *text);
    if (list_ == nullptr)
        return;
    list_->clear();
    for (const TabulationRow& row : std::as_const(tabulation_.rows))
        list_->addItem(row.text);
    // The notes follow the rows, apart from them and not selectable: the rows keep their
    // indexes for the read-out.
    if (!tabulation_.notes.isEmpty())
        addNote(list_, QString());
    for (const QString& note : std::as_const(tabulation_.notes))
        addNote(list_, note);
}

void TabulateInfoWindow::selectPoint(int point) {
    const int row = tabulation_.rowOfPoint(point);
    if (list_ != nullptr && row >= 0 && row < list_->count())
        list_->setCurrentRow(row);
}

void TabulateInfoWindow::save() {
    if (saveDialog_->exec() != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty())
        return;
    saveChosenTextFile(saveDialog_->selectedFiles().constFirst(), kTabulationExtension,
                       tabulationFileText(tabulation_), notifier_);
}

int TabulateInfoWindow::handleEvent(int code) {
    switch (code) {
    case kSaveTabulationEvent:
        save();
        break;
    case kCloseWindowEvent:
        close();
        break;
    default:
        break;
    }
    return 0;
}
