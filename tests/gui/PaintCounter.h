#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

// Counts the paints of a window's widgets made while `counting` holds; the window asks for
// a repaint every 20 ms meanwhile, as a window uncovered again and again would. A window
// whose thread is held up gets none.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* window, std::function<bool()> counting)
        : window_(window), counting_(std::move(counting)) {
        qApp->installEventFilter(this);
        QObject::connect(&repaint_, &QTimer::timeout, window, [window] { window->update(); });
        repaint_.start(20);
    }

    int paints() const { return paints_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget != nullptr && widget->window() == window_ &&
            counting_())
            ++paints_;
        return false;
    }

private:
    QWidget* window_;
    std::function<bool()> counting_;
    QTimer repaint_;
    int paints_ = 0;
};
