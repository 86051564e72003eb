#include <QApplication>
#include <QFont>

#include "ChineseTranslations.h"
#include "CommandGuard.h"
#include "QtDesktop.h"
#include "Tmainf.h"

namespace {

// Last line of defence: an exception must never cross Qt's event loop. Commands run
// inside their own guard; whatever still escapes is shown the same way.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv, Desktop& desktop) : QApplication(argc, argv), desktop_(desktop) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            showTopLevelError(desktop_, activeWindow(), std::current_exception());
            return false;
        }
    }

private:
    Desktop& desktop_;
};

}  // namespace

int main(int argc, char** argv) {
    QtDesktop desktop;
    GuardedApplication app(argc, argv, desktop);

    installChineseTranslations();

    QFont font(QStringList{QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(12);
    app.setFont(font);

    int result = 0;
    try {
        Tmainf window(desktop, QCoreApplication::applicationDirPath());
        window.showMaximized();
        result = app.exec();
    } catch (...) {
        showTopLevelError(desktop, nullptr, std::current_exception());
    }
    return result;
}
