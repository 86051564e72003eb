#pragma once

#include <QDialog>

// The about box "关于": the program's name, version and maker.
class Taboutf : public QDialog {
    Q_OBJECT
public:
    explicit Taboutf(QWidget* parent = nullptr);
};
