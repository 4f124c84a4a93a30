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

    auto *label = new QLabel(noticeText(), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    label->setMinimumWidth(320);

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttons);
}

QString OverflowNotice::noticeText() {
    return QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and "
                          "cleared.  You may find your backed up lists in the kestrin /overflow/ "
                          "directory.");
}
