#pragma once

#include <QString>
#include <exception>

// The program's own error: a fixed Chinese headline saying what went wrong, and the
// detail (usually the engine's own message) that helps to find out why.
class AppError : public std::exception {
public:
    explicit AppError(QString headline, QString detail = {});

    const QString& headline() const { return headline_; }
    const QString& detail() const { return detail_; }
    // The text shown to the user: the headline, then the detail after a colon.
    QString text() const;
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString headline_;
    QString detail_;
    QByteArray utf8_;
};
