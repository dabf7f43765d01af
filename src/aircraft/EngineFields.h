#pragma once

#include "EngineRecord.h"

#include <QString>
#include <QStringList>

class EventHandler;
class QComboBox;
class QLineEdit;
class QWidget;

// The fields of one engine in a register window: "TYPE", "SN" and "INSTALL_DATE" in the
// engine's group ("G_ENGINE1" or "G_ENGINE2"). Input is limited to what the record's fields
// hold, so that what is saved is what the technician sees.
struct EngineFields {
    QComboBox* type = nullptr;
    QLineEdit* serialNumber = nullptr;
    QLineEdit* installDate = nullptr;

    // Looks the fields up in the group of engine `engine` (1 or 2) below `window`; choosing
    // an engine type sends `typeChosenCode` to `handler`.
    static EngineFields find(QWidget* window, int engine, EventHandler* handler,
                             int typeChosenCode);
    // The group's name of engine `engine` (1 or 2).
    static QString groupName(int engine);

    // Offers the engine types in the type list; the type shown stays.
    void offerTypes(const QStringList& types) const;
    // Offers the engine types and shows the record's texts.
    void show(const EngineRecord& record, const QStringList& types) const;
    // Writes the texts of the fields into the record, cut to its fields.
    void writeInto(EngineRecord& record) const;
};
