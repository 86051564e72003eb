#include "AppError.h"

AppError::AppError(QString headline, QString detail)
    : headline_(std::move(headline)), detail_(std::move(detail)), utf8_(text().toUtf8()) {}

QString AppError::text() const {
    if (detail_.isEmpty()) return headline_;
    return headline_ + QStringLiteral("：") + detail_;
}
