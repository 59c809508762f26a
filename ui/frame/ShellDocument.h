#pragma once

#include <QString>

namespace vantora {

class MainFrame;
struct AppState;
class MessageBoxPrompter;

// The document: no data of its own. Its open operation is where files handed
// to the running program (shell, drop, a second start) enter.
class ShellDocument {
public:
    ShellDocument(AppState& state, MessageBoxPrompter& prompter);

    // The caption the frame shows when it returns to the home page.
    QString caption() const { return caption_; }
    // New document: the title becomes string 57344.
    void OnNewDocument();
    QString title() const { return title_; }
    QString pathName() const { return pathName_; }

    // Ignored while a handed file waits for import; otherwise classified (61218
    // for a file the program does not know, nothing else changes) and, when
    // accepted and the frame exists, handed to the pages. Always true.
    bool OnOpenDocument(const QString& path, MainFrame* frame);

private:
    AppState& state_;
    MessageBoxPrompter& prompter_;
    QString caption_ = QStringLiteral("Vantora System");
    QString title_;
    QString pathName_;
};

} // namespace vantora
