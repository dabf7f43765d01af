#pragma once

#include <QPointer>
#include <QPushButton>
#include <QString>

// The program's button: while it is the current control or under the pointer it is
// highlighted and shows its help file in a help pane; the pane is hidden when the file
// cannot be read, so it never shows another button's text.
class KORAButton : public QPushButton {
    Q_OBJECT

public:
    explicit KORAButton(QWidget* parent = nullptr);

    // The pane (a label or text field) and the file, read from the help directory.
    void setHelp(QWidget* pane, const QString& fileName);

    // The folder of the button help files: the program's directory unless set.
    static QString helpDirectory();
    static void setHelpDirectory(const QString& directory);

    bool isHighlighted() const { return highlighted_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void becomeCurrent();
    void updateHighlight();

    QPointer<QWidget> pane_;
    QString fileName_;
    bool hovered_ = false;
    bool highlighted_ = false;
};
