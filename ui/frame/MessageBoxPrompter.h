#pragma once

#include "core/Prompter.h"

#include <QString>

#include <functional>

class QWidget;

namespace vantora {

// Message boxes of the program: a text of the resource library with an OK
// button, or a Yes/No question with caption 61308.
class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    bool confirm(const Message& question) override;
    void show(const Message& message);
    // A text that is no resource string (a literal of the station).
    void showText(const QString& text);

    // Tests replace the boxes: the hook sees every text (and whether it is a
    // question) and gives the answer. Cleared with an empty function.
    using Hook = std::function<bool(const QString& text, bool question)>;
    static void setHook(Hook hook);

private:
    QWidget* parent_;
};

} // namespace vantora
