#pragma once

// The main window's command bracket, handed to operations that start from a
// menu: `disable` before the work (disableCommandButtons and the others the menu item
// needs), `enable` after it, whatever the outcome. Either may be empty.

#include <functional>

struct CommandBracket {
    std::function<void()> disable;
    std::function<void()> enable;
};

// Disables on construction and enables again when it goes out of scope, so
// no early return can leave the commands disabled.
class BracketScope {
public:
    explicit BracketScope(const CommandBracket &b) : b_(b) {
        if (b_.disable) b_.disable();
    }
    ~BracketScope() {
        if (b_.enable) b_.enable();
    }
    BracketScope(const BracketScope &) = delete;
    BracketScope &operator=(const BracketScope &) = delete;

private:
    // A copy: callers often pass the bracket as a temporary.
    CommandBracket b_;
};
