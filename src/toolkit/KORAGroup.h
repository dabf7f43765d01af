#pragma once

#include <QGroupBox>

// The program's group of check boxes and buttons whose order means something (the erase
// screen's choices); its children are reached by position. Tab and Shift+Tab move through
// the group in that order and, from its last or first control that can take the focus, on
// to the window's next or previous control outside the group.
class KORAGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit KORAGroup(QWidget* parent = nullptr);

    // The child controls in the order of the form (layout order), skipping layouts.
    QList<QWidget*> controls() const;

protected:
    bool focusNextPrevChild(bool next) override;
};
