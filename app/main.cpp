#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLoggingCategory>
#include <QTimer>

#include "ChineseTranslations.h"
#include "CommandGuard.h"
#include "CommandIcons.h"
#include "ProgramFolders.h"
#include "QtDesktop.h"
#include "StartupArguments.h"
#include "Tmainf.h"

namespace {

// Silent unless asked for with QT_LOGGING_RULES="vemora.startup.info=true": what an
// installation check needs to see of a start without a person at the screen.
Q_LOGGING_CATEGORY(startupLog, "vemora.startup", QtWarningMsg)

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
    QGuiApplication::setDesktopFileName(QStringLiteral("vemora-contracts"));
    QApplication::setWindowIcon(applicationIcon());

    QFont font(QStringList{QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(12);
    app.setFont(font);

    const ProgramFolders folders = ProgramFolders::forExecutable(QCoreApplication::applicationDirPath());
    qCInfo(startupLog).noquote() << "template" << folders.templatePath()
                                 << (QFileInfo(folders.templatePath()).isFile() ? "found" : "missing");

    int result = 0;
    try {
        Tmainf window(desktop, folders);
        window.showMaximized();
        // Once the window is on screen, so that a message about the file stands over it.
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        QTimer::singleShot(0, &window, [&window, &desktop, arguments] {
            qCInfo(startupLog).noquote() << "window shown" << window.isVisible() << window.windowTitle();
            openFromCommandLine(window, desktop, arguments);
        });
        result = app.exec();
    } catch (...) {
        showTopLevelError(desktop, nullptr, std::current_exception());
    }
    return result;
}
