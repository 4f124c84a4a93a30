#include "app/overflownotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OverflowNotice::OverflowNotice(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("File backup"));
    setModal(false);

    m_label = new QLabel(noticeText(), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(320);

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addLayout(buttons);
}

QString OverflowNotice::noticeText() {
    return QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and "
                          "cleared.  You may find your backed up lists in the kestrin /overflow/ "
                          "directory.");
}

QString OverflowNotice::failureText(const QString &folder) {
    return QStringLiteral("One of your lists has reached 20000 entries.  They could not be saved "
                          "in %1, so they have not been cleared.  Kestrin tries again with the "
                          "next name it files; make room on the disk or make the folder "
                          "writable.")
        .arg(folder);
}

void OverflowNotice::showSaved() {
    m_label->setText(noticeText());
}

void OverflowNotice::showFailure(const QString &folder) {
    m_label->setText(failureText(folder));
}
