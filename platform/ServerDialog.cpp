#include "ServerDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* field(const char* name, const QString& placeholder, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(placeholder);
    return edit;
}

}  // namespace

ServerDialog::ServerDialog(const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ServerDialog"));
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    host_ = field("serverHost", QStringLiteral("例如 db.lan；空：本机"), this);
    port_ = field("serverPort", QStringLiteral("5432"), this);
    database_ = field("serverDatabase", QStringLiteral("例如 contracts"), this);
    user_ = field("serverUser", QStringLiteral("空：当前系统用户"), this);
    password_ = field("serverPassword", QStringLiteral("空：使用 ~/.pgpass"), this);
    password_->setEchoMode(QLineEdit::Password);
    connection_ =
        field("serverConnection", QStringLiteral("service=contracts 或 host=… dbname=…"), this);
    // A connection string is typed whole into one field; the others match it.
    const int fieldWidth = fontMetrics().horizontalAdvance(
        QStringLiteral("host=db.example.lan port=5432 dbname=contracts user=clerk1"));
    for (QLineEdit* edit : {host_, port_, database_, user_, password_, connection_})
        edit->setMinimumWidth(fieldWidth);
    form->addRow(QStringLiteral("主机:"), host_);
    form->addRow(QStringLiteral("端口:"), port_);
    form->addRow(QStringLiteral("数据库:"), database_);
    form->addRow(QStringLiteral("用户名:"), user_);
    form->addRow(QStringLiteral("密码:"), password_);
    form->addRow(QStringLiteral("或服务名/连接字符串:"), connection_);
    layout->addLayout(form);
    auto* note = new QLabel(
        QStringLiteral("填写服务名或连接字符串时，不使用上面的主机、端口、数据库和用户名。"
                       "密码只用于本次连接，程序不会保存。"),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("连接"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ServerAddress ServerDialog::address() const {
    return {host_->text(), port_->text(),     database_->text(),
            user_->text(), password_->text(), connection_->text()};
}
