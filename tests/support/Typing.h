#pragma once

#include <QComboBox>
#include <QtTest>

// Typing as a person does. keyClicks cannot type Chinese: one key event per character,
// carrying its text; a line break is the Return key.
inline void typeText(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\n'))
            QTest::keyClick(target, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Replaces a field's text: into the field, select all, type over it.
inline void retype(QWidget* field, const QString& text) {
    QWidget* target = field;
    if (auto* box = qobject_cast<QComboBox*>(field)) target = box->lineEdit();
    target->setFocus();
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    typeText(target, text);
}
