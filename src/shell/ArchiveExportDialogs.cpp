#include "ArchiveExportDialogs.h"

#include "ApplicationSettings.h"
#include "ArchiveExport.h"
#include "Controls.h"
#include "Notifier.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

constexpr QSize kSaveDialogSize(800, 480);
constexpr int kProgressMinimumWidth = 420;
constexpr double kBytesPerMegabyte = 1000 * 1000;

QString chooseTarget(QWidget* parent, const QFont& font) {
    QFileDialog dialog(parent, kArchiveDialogCaption, QDir::homePath(), kArchiveFileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.resize(kSaveDialogSize);
    applyFont(&dialog, font);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString stepText(ArchiveStep step) {
    switch (step) {
    case ArchiveStep::Building:
        return kArchivingText;
    case ArchiveStep::Compressing:
        return kCompressingText;
    case ArchiveStep::Saving:
        return kSavingArchiveText;
    }
    return {};
}

// A failure message must not sit under the busy dialog: it goes first.
class BusyDialogNotifier : public Notifier {
public:
    BusyDialogNotifier(Notifier& notifier, QProgressDialog& busy)
        : notifier_(notifier), busy_(busy) {}

    void critical(const QString& title, const QString& text) override {
        busy_.hide();
        notifier_.critical(title, text);
    }
    void warning(const QString& title, const QString& text) override {
        busy_.hide();
        notifier_.warning(title, text);
    }
    void information(const QString& title, const QString& text) override {
        busy_.hide();
        notifier_.information(title, text);
    }
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override {
        busy_.hide();
        return notifier_.question(title, text, answer);
    }

private:
    Notifier& notifier_;
    QProgressDialog& busy_;
};

// Stays until the export ends: Esc or the window's close button would hide it and free the
// main window while the tools still run.
class ArchiveBusyDialog : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;

    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

std::unique_ptr<QProgressDialog> createArchiveBusyDialog(QWidget* parent, const QFont& font) {
    auto busy = std::make_unique<ArchiveBusyDialog>(kArchivingText.arg(0), QString(), 0, 0, parent);
    busy->setWindowTitle(kProgramTitle);
    busy->setWindowModality(Qt::ApplicationModal);
    busy->setMinimumDuration(0);
    busy->setAutoClose(false);
    busy->setAutoReset(false);
    applyFont(busy.get(), font);
    // It has no layout: keep it from being squeezed below what its texts and bar need.
    busy->setMinimumSize(busy->sizeHint().expandedTo(QSize(kProgressMinimumWidth, 0)));
    return busy;
}

void runArchiveExport(QWidget* parent, const QFont& font, Notifier& notifier) {
    const QString target = chooseTarget(parent, font);
    if (target.isEmpty())
        return;

    const std::unique_ptr<QProgressDialog> dialog = createArchiveBusyDialog(parent, font);
    QProgressDialog& busy = *dialog;
    busy.show();

    BusyDialogNotifier busyNotifier(notifier, busy);
    const ArchiveResult result = exportArchive(
        dataDirectory(), target, locateArchiveTools(QCoreApplication::applicationDirPath()),
        busyNotifier, [&busy](ArchiveStep step, qint64 elapsedMs) {
            const QString text = stepText(step).arg(elapsedMs / 1000);
            if (busy.labelText() != text)
                busy.setLabelText(text);
        });
    if (result.saved)
        busyNotifier.information(
            kProgramTitle, kArchiveSavedText.arg(
                               QDir::toNativeSeparators(QFileInfo(result.path).absoluteFilePath()),
                               QString::number(double(result.size) / kBytesPerMegabyte, 'f', 1)));
}
