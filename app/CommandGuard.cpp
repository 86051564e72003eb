#include "CommandGuard.h"

#include <QCoreApplication>

#include "AppError.h"
#include "Desktop.h"

namespace {

QString withFullStop(const QString& text) {
    if (text.endsWith(QChar(0x3002)) || text.endsWith(QLatin1Char('.'))) return text;
    return text + QChar(0x3002);  // 。
}

QString errorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        return e.text();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("内存不足");
    } catch (const std::exception& e) {
        return QStringLiteral("程序内部错误：") + QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("程序内部错误");
    }
}

}  // namespace

void showTopLevelError(Desktop& desktop, QWidget* parent, std::exception_ptr error) {
    desktop.showMessage(parent, {withFullStop(errorText(error)), QCoreApplication::applicationName(),
                                 MessageIcon::Error, MessageButtons::Ok});
}

void CommandGuard::run(const std::function<void()>& command) const {
    try {
        command();
    } catch (const CommandStopped&) {
    } catch (...) {
        showTopLevelError(desktop_, parent_, std::current_exception());
    }
}

std::function<void()> CommandGuard::wrap(std::function<void()> command) const {
    return [guard = *this, command = std::move(command)] { guard.run(command); };
}
