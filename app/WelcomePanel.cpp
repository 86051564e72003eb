#include "WelcomePanel.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "Desktop.h"
#include "LinkLabel.h"
#include "MakerInfo.h"

namespace {

QLabel* plainLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

WelcomePanel::WelcomePanel(Desktop& desktop, QWidget* parent) : QWidget(parent), desktop_(desktop) {
    setObjectName(QStringLiteral("Panel21"));
    setAutoFillBackground(true);

    // The box keeps its place at 96, 72 whatever the size of the window: no layout. Its
    // outer bevel is lowered, the inner one raised.
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("Panel23"));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(2);
    box->setGeometry(96, 72, 425, 289);

    auto* inner = new QFrame(box);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setGeometry(3, 3, 419, 283);
    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(16, 12, 16, 12);

    auto* greeting = plainLabel(QStringLiteral("谢谢您使用Vemora系列软件"), QStringLiteral("Label43"), inner);
    QFont greetingFont = greeting->font();
    greetingFont.setPixelSize(21);
    greetingFont.setItalic(true);
    greeting->setFont(greetingFont);
    QPalette olive = greeting->palette();
    olive.setColor(QPalette::WindowText, QColor(128, 128, 0));
    greeting->setPalette(olive);
    column->addWidget(greeting);

    auto* about = new QPlainTextEdit(inner);
    about->setObjectName(QStringLiteral("Memo6"));
    about->setReadOnly(true);
    about->setFrameStyle(QFrame::NoFrame);
    about->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    about->setPlainText(QStringLiteral("施工管理及合同管理软件为正在开发中的免费\n"
                                       "软件，我们非常希望用户能够在使用过程中给\n"
                                       "我们提出更多的要求，对发现的问题也及时告\n"
                                       "诉我们，以使我们能够使这些软件功能更完善。"));
    QPalette memoColours = about->palette();
    memoColours.setColor(QPalette::Text, QColor(0, 128, 0));
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));  // the scroll-bar colour
    about->setPalette(memoColours);
    about->setAccessibleName(QStringLiteral("软件说明"));
    column->addWidget(about, 1);

    auto* products = new LinkLabel(QStringLiteral("网络计划、施工管理、合同管理软件"), inner);
    products->setObjectName(QStringLiteral("Label50"));
    auto* web = new LinkLabel(QStringLiteral("网址：") + maker::kWebAddress, inner);
    web->setObjectName(QStringLiteral("Label49"));
    auto* mail = new LinkLabel(QStringLiteral("邮件：") + maker::kEmail, inner);
    mail->setObjectName(QStringLiteral("Label44"));
    const auto openWebPage = [this] { desktop_.shellOpen(QUrl(maker::kWebPage)); };
    connect(products, &LinkLabel::clicked, this, openWebPage);
    connect(web, &LinkLabel::clicked, this, openWebPage);
    connect(mail, &LinkLabel::clicked, this,
            [this] { desktop_.shellOpen(QUrl(QStringLiteral("mailto:") + maker::kEmail)); });

    column->addWidget(products);
    column->addWidget(web);
    column->addWidget(mail);
    column->addWidget(plainLabel(maker::kStudio, QStringLiteral("Label45"), inner));
    column->addWidget(plainLabel(maker::kContact, QStringLiteral("Label46"), inner));
    column->addWidget(plainLabel(maker::kPhone1, QStringLiteral("Label47"), inner));
    column->addWidget(plainLabel(maker::kPhone2, QStringLiteral("Label48"), inner));
}
