#include "app/prompts.h"

#include <QInputDialog>

namespace korvalin {
namespace {
std::shared_ptr<Prompts>& Current() {
    static std::shared_ptr<Prompts> p = std::make_shared<DialogPrompts>();
    return p;
}
} // namespace

void DialogPrompts::Message(QWidget* parent, const QString& title, const QString& text,
                            QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> DialogPrompts::Input(QWidget* parent, const QString& prompt, const QString& title,
                                            const QString& defaultText) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

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

Prompts& CurrentPrompts() { return *Current(); }

void SetPrompts(std::shared_ptr<Prompts> prompts) {
    Current() = prompts ? std::move(prompts) : std::make_shared<DialogPrompts>();
}

} // namespace korvalin
