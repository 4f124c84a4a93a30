#pragma once

#include <QDialog>

// The "File backup" notice: a free list reached its overflow limit and was moved aside.
// Modeless; its Ok button closes it.
class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    static QString noticeText();
};
