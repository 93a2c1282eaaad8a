// Message and input boxes answered in place of a person: remembers what was shown and answers input
// boxes and file choosers from queues of their own (Cancel when the queue is empty).
#pragma once

#include "app/prompts.h"

#include <deque>
#include <optional>
#include <vector>

namespace korvalin {

class RecordingPrompts : public Prompts {
public:
    struct Shown {
        QString title, text;
        QMessageBox::Icon icon;
    };
    struct Asked {
        QString prompt, title, defaultText;
    };
    void Message(QWidget*, const QString& title, const QString& text, QMessageBox::Icon icon) override;
    std::optional<QString> Input(QWidget*, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString SaveFileName(QWidget*, const QString& title, const QString& suggested, const QString& filter) override;
    std::vector<Shown> messages;
    std::vector<Asked> asked;
    std::deque<std::optional<QString>> answers;
    std::deque<QString> files; // answers to SaveFileName; "" cancels
};

} // namespace korvalin
