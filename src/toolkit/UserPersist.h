#pragma once

#include <QString>
#include <QUiLoader>

#include <QStringList>

// Empties the application's library paths while the form loader is built, which would
// otherwise load every designer plugin installed on the machine (some pull in whole
// modules, costing a noticeable part of the start-up). The program's forms need none: its
// own classes are created by UserPersist itself.
class WithoutDesignerPlugins {
protected:
    WithoutDesignerPlugins();
    void restoreLibraryPaths();

private:
    QStringList libraryPaths_;
};

// Builds windows by name from the forms of one opened window-resource file, the program's
// own control classes included. A form is "<root>/forms/<name>.ui".
class UserPersist : private WithoutDesignerPlugins, public QUiLoader {
public:
    // `root` is where the resource file was opened, for example ":/zelk".
    explicit UserPersist(const QString& root);

    // A new window of the named form, owned by `parent`; nullptr (with errorText()) when
    // the form is missing or broken.
    QWidget* load(const QString& name, QWidget* parent = nullptr);
    // Builds the named form into an existing window of the program's own class, which
    // must derive from the form's top-level class. False (with errorText()) when it fails.
    bool loadInto(const QString& name, QWidget* window);

    QString errorText() const { return errorText_; }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

private:
    QString formPath(const QString& name) const;
    QWidget* build(const QString& name, QWidget* parent);

    QString root_;
    QString errorText_;
    // The window that the next top-level widget of a form is built into.
    QWidget* into_ = nullptr;
};
