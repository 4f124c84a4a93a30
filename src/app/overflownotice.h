#pragma once

#include <QDialog>

// The "File backup" notice: a free list reached its overflow limit and was moved aside.
// Modeless; its Ok button closes it.
class OverflowNotice : public QDialog {
    Q_OBJECT
public:
    explicit OverflowNotice(QWidget *parent = nullptr);

    static QString noticeText();
};
