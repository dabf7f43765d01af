#pragma once

#include "Notifier.h"

#include <QList>
#include <QString>

// Remembers every message so that tests can assert the exact title and text; answers
// questions from a script (yes when the script is empty).
class RecordingNotifier : public Notifier {
public:
    struct Message {
        QString kind;
        QString title;
        QString text;
        bool operator==(const Message&) const = default;
    };

    void critical(const QString& title, const QString& text) override {
        messages.append({QStringLiteral("critical"), title, text});
    }
    void warning(const QString& title, const QString& text) override {
        messages.append({QStringLiteral("warning"), title, text});
    }
    void information(const QString& title, const QString& text) override {
        messages.append({QStringLiteral("information"), title, text});
    }
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override {
        messages.append({QStringLiteral("question"), title, text});
        questionDefaults.append(answer);
        return answers.isEmpty() ? true : answers.takeFirst();
    }

    QList<Message> messages;
    QList<bool> answers;
    // The button each question offered as its default, in the order asked.
    QList<DefaultAnswer> questionDefaults;
};
