#pragma once

#include <QString>

class ContractQuery;
class Desktop;
class QWidget;

// The commands that move contracts between a contract file and a server. Each asks what it
// needs through the desktop, shows progress that can be cancelled, and says in a message
// box what it could not do; what it could not finish it leaves undone.

// "上传到服务器…": the open contract file into an empty database on a server the person
// names. The window stays on the file.
void uploadToServer(QWidget* parent, ContractQuery& query, Desktop& desktop);

// "另存为合同文件…": the database open on the server into a new contract file made from the
// template, replacing a file of that name only when the person agrees. The window stays
// on the server.
void saveServerAsContractFile(QWidget* parent, ContractQuery& query, Desktop& desktop,
                              const QString& templatePath);
