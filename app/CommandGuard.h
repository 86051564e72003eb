#pragma once

#include <exception>
#include <functional>

class Desktop;
class QWidget;

// Thrown by a command that has already told the person why it cannot go on: the guard
// ends the command without a second message box.
class CommandStopped : public std::exception {
public:
    const char* what() const noexcept override { return "command stopped"; }
};

// The one guard around every command a person starts (a menu item, a button, a tree or
// grid event): an error that the command does not handle itself ends the command and is
// shown in a message box titled with the application's name; the program keeps running.
class CommandGuard {
public:
    CommandGuard(Desktop& desktop, QWidget* parent) : desktop_(desktop), parent_(parent) {}

    void run(const std::function<void()>& command) const;
    // Wraps a command so that it runs inside this guard.
    std::function<void()> wrap(std::function<void()> command) const;

    Desktop& desktop() const { return desktop_; }
    QWidget* parent() const { return parent_; }

private:
    Desktop& desktop_;
    QWidget* parent_;
};

// Shows an error that escaped a command, the way the guard does.
void showTopLevelError(Desktop& desktop, QWidget* parent, std::exception_ptr error);
