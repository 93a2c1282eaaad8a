#include "app/prompts.h"

#include <QFileDialog>
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

QString DialogPrompts::SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                    const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

Prompts& CurrentPrompts() { return *Current(); }

void SetPrompts(std::shared_ptr<Prompts> prompts) {
    Current() = prompts ? std::move(prompts) : std::make_shared<DialogPrompts>();
}

} // namespace korvalin
