#pragma once

#include "core/Prompter.h"

#include <cstdio>

namespace vantora::cli {

// Asks a Yes/No question on the terminal: the question on stderr (stdout stays
// machine-readable), the answer from `in`. "y" or "yes" in any case is Yes;
// anything else, and the end of input, is No.
class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(std::FILE* in = stdin, std::FILE* out = stderr)
        : in_(in), out_(out) {}
    bool confirm(const Message& question) override;

private:
    std::FILE* in_;
    std::FILE* out_;
};

} // namespace vantora::cli
