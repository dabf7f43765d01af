#pragma once

#include <QGroupBox>

// The program's group of check boxes and buttons whose order means something (the erase
// screen's choices); its children are reached by position.
class KORAGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit KORAGroup(QWidget* parent = nullptr);

    // The child controls in the order of the form (layout order), skipping layouts.
    QList<QWidget*> controls() const;
};
