#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

// Widget tests drive modal windows from inside their modal run: whenModal() runs `action`
// on the next modal window of type T as soon as it is shown and active, and fails the test
// when none is within the bound. Shown is not enough: the window is activated by a later
// event, and until then the focus and the keys still belong to the window below it (on a
// busy machine the poll often comes first). It polls without blocking, so whatever runs
// before the modal window (a link check, other event processing) goes on as usual.
constexpr int kModalBoundMs = 15000;
constexpr int kModalPollMs = 10;

template <typename T>
void whenModal(std::function<void(T*)> action, int boundMs = kModalBoundMs) {
    auto* poll = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    poll->setInterval(kModalPollMs);
    QObject::connect(poll, &QTimer::timeout, [poll, started, action = std::move(action), boundMs] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool shown = window != nullptr && window->isVisible() && window->isActiveWindow();
        if (!shown && started->elapsed() < boundMs)
            return;
        poll->stop();
        poll->deleteLater();
        delete started;
        if (!shown) {
            ADD_FAILURE() << "no active modal " << T::staticMetaObject.className() << " within "
                          << boundMs << " ms";
            // Whatever runs instead must not hold the test for ever.
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            QApplication::closeAllWindows();
            return;
        }
        action(window);
    });
    poll->start();
}

// A key typed while the program is busy: it waits in the queue, and by the time the program
// reads it a window manager has given the keyboard to whatever window the program opened
// meanwhile.
inline void typeAhead(Qt::Key key) {
    QMetaObject::invokeMethod(
        qApp,
        [key] {
            QWidget* top = QApplication::activeModalWidget();
            if (top == nullptr)
                top = QApplication::activeWindow();
            if (top != nullptr)
                QTest::keyClick(top->focusWidget() != nullptr ? top->focusWidget() : top, key);
        },
        Qt::QueuedConnection);
}

// The title and text of a message box, which is then closed with its button.
struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

inline void recordNextMessage(ShownMessage& into, int boundMs = kModalBoundMs) {
    whenModal<QMessageBox>(
        [&into](QMessageBox* box) {
            into = {box->windowTitle(), box->text(), box->icon()};
            box->accept();
        },
        boundMs);
}

// Chooses the existing file `path` in an open file dialog and accepts it. The dialog's file
// system model fills in on a thread of its own: on a busy machine its list may still have an
// earlier entry selected, which accept() would open as a folder and stay open, or not yet
// hold the file, and selectFile() leaves the name field alone while the field has the
// keyboard (the technician may be typing there). So the path is also typed into the field,
// and the choice is repeated until the dialog reports it; a dialog that still does not
// accept is rejected, so that the test fails instead of waiting for ever.
inline void chooseExistingFile(QFileDialog* dialog, const QString& path) {
    const QStringList chosen{path};
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            dialog->selectFile(path);
            if (name != nullptr && name->hasFocus() && dialog->selectedFiles() != chosen)
                name->setText(path);
            return dialog->selectedFiles() == chosen;
        },
        kModalBoundMs))
        << qPrintable(path);
    QMetaObject::invokeMethod(dialog, "accept");
    if (dialog->isVisible()) {
        ADD_FAILURE() << "the file dialog did not take " << qPrintable(path);
        dialog->reject();
    }
}

// Types `fileName` into an open file dialog's name field and presses Return, as the technician
// would. The dialog lists its folder on a thread of its own: when the listing arrives while
// the name is typed, the completion pop-up opens and takes the keyboard, so that Return goes
// to the pop-up (which closes) and not to the field. Return is pressed where the keyboard is
// until the dialog closes; a dialog still open after the bound is rejected, so that the test
// fails instead of waiting for ever.
inline void typeFileNameAndReturn(QFileDialog* dialog, const QString& fileName) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->clear();
    QTest::keyClicks(name, fileName);
    const bool closed = QTest::qWaitFor(
        [&] {
            if (!dialog->isVisible())
                return true;
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup != nullptr ? popup : name, Qt::Key_Return);
            return !dialog->isVisible();
        },
        kModalBoundMs);
    if (!closed) {
        ADD_FAILURE() << "the file dialog did not take " << qPrintable(fileName);
        dialog->reject();
    }
}
