#pragma once

#include <QString>

// Who makes the program, as shown on the welcome panel and in the about box.
namespace maker {
inline const QString kStudio = QStringLiteral("Vemora软件工作室");
inline const QString kWebPage = QStringLiteral("http://www.vemora.example/index.php");
inline const QString kWebAddress = QStringLiteral("www.vemora.example");
inline const QString kEmail = QStringLiteral("service@vemora.example");
inline const QString kContact = QStringLiteral("联系人：客户服务部");
inline const QString kPhone1 = QStringLiteral("电话：010-5550-0101");
inline const QString kPhone2 = QStringLiteral("电话：010-5550-0102");
inline const QString kDeveloper = QStringLiteral("开发：Vemora软件工作室开发组");
}  // namespace maker
