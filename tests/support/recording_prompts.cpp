#include "tests/support/recording_prompts.h"

namespace korvalin {

void RecordingPrompts::Message(QWidget*, const QString& title, const QString& text, QMessageBox::Icon icon) {
    messages.push_back({title, text, icon});
}

std::optional<QString> RecordingPrompts::Input(QWidget*, const QString& prompt, const QString& title,
                                               const QString& defaultText) {
    asked.push_back({prompt, title, defaultText});
    std::optional<QString> answer;
    if (!answers.empty()) {
        answer.swap(answers.front());
        answers.pop_front();
    }
    return answer;
}

QString RecordingPrompts::SaveFileName(QWidget*, const QString&, const QString&, const QString&) {
    if (files.empty()) return {};
    QString file = files.front();
    files.pop_front();
    return file;
}

} // namespace korvalin
