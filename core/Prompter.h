#pragma once

#include "core/Message.h"

namespace vantora {

// Asks the user a Yes/No question (caption 61308). The program answers with a
// message box, the command-line tool with --yes, tests with scripted answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual bool confirm(const Message& question) = 0;
};

// Answers every question the same way.
class FixedPrompter : public Prompter {
public:
    explicit FixedPrompter(bool answer) : answer_(answer) {}
    bool confirm(const Message& question) override {
        last_ = question;
        ++asked_;
        return answer_;
    }
    int asked() const { return asked_; }
    const Message& last() const { return last_; }

private:
    bool answer_;
    int asked_ = 0;
    Message last_;
};

} // namespace vantora
