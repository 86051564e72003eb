#pragma once

#include <QWidget>

class Desktop;

// The welcome panel `Panel21` that covers the pages until a contract file is open: a
// fixed box with the greeting, a few lines about the program and the maker's links.
class WelcomePanel : public QWidget {
    Q_OBJECT
public:
    WelcomePanel(Desktop& desktop, QWidget* parent = nullptr);

private:
    Desktop& desktop_;
};
