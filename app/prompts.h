// Message and input boxes. Windows ask through CurrentPrompts() so that tests can answer in place of
// a person instead of blocking on a modal box.
#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace korvalin {

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with a single OK button.
    virtual void Message(QWidget* parent, const QString& title, const QString& text,
                         QMessageBox::Icon icon) = 0;
    // An input box; std::nullopt when cancelled.
    virtual std::optional<QString> Input(QWidget* parent, const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // A file to save to, `suggested` offered first; empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                 const QString& filter) = 0;
};

// The real boxes.
class DialogPrompts : public Prompts {
public:
    void Message(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon) override;
    std::optional<QString> Input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filter) override;
};

Prompts& CurrentPrompts();
void SetPrompts(std::shared_ptr<Prompts> prompts); // nullptr restores the real boxes

} // namespace korvalin
