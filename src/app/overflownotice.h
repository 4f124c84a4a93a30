#pragma once

#include <QDialog>

class QLabel;

// The "File backup" notice: a free list reached its overflow limit and was moved aside, or
// could not be and was kept. Modeless; its Ok button closes it.
class OverflowNotice : public QDialog {
    Q_OBJECT
public:
    explicit OverflowNotice(QWidget *parent = nullptr);

    // Switches between the two texts; the last report wins.
    void showSaved();
    void showFailure(const QString &folder);

    static QString noticeText();
    static QString failureText(const QString &folder);

private:
    QLabel *m_label = nullptr;
};
