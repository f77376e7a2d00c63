#pragma once

#include <string>

// One finding of a board check: an error makes the board unusable, a note
// does not. `line` is 0 when the finding concerns a whole file.
struct BoardProblem {
    enum class Severity { Error, Note };
    Severity severity = Severity::Error;
    std::string file;
    long line = 0;
    std::string message;

    // "file:line: error: message" (or "note"), without the line when it is 0.
    std::string text() const {
        std::string out = file;
        if (line > 0) out += ":" + std::to_string(line);
        out += severity == Severity::Error ? ": error: " : ": note: ";
        return out + message;
    }
};
