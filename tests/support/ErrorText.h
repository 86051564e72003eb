#pragma once

#include <QString>
#include <functional>

#include "AppError.h"

// The message the action fails with, as the clerk would read it, or "(no error)".
inline QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& error) {
        return error.text();
    }
    return QStringLiteral("(no error)");
}
