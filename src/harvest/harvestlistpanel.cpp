#include "harvest/harvestlistpanel.h"

#include "core/desktop.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

HarvestListPanel::HarvestListPanel(int index, Desktop &desktop, QWidget *parent)
    : QWidget(parent)
    , m_index(index)
    , m_desktop(desktop) {
    const QString n = QString::number(index);
    m_label = new QLabel(bareCaption() + QLatin1Char(':'), this);
    m_label->setObjectName(QStringLiteral("Label") + n);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List") + n);
    m_list->setUniformItemSizes(true);
    m_list->installEventFilter(this);
    if (index == 1) {
        const QString tip = QStringLiteral("These domain names have not been registered.");
        m_list->setToolTip(tip);
        m_label->setToolTip(tip);
    }

    auto button = [&](const QString &name, const QString &caption, const QString &tip) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name + n);
        b->setToolTip(tip);
        return b;
    };
    QPushButton *copy =
        button(QStringLiteral("cmdCopy"), QStringLiteral("Copy"), QStringLiteral("Copy List"));
    QPushButton *clear =
        button(QStringLiteral("cmdClear"), QStringLiteral("Clear"), QStringLiteral("Clear List"));
    QPushButton *del = button(QStringLiteral("cmdClear2"), QStringLiteral("Del"),
                              QStringLiteral("Delete Selected Item"));
    connect(copy, &QPushButton::clicked, this, &HarvestListPanel::copyList);
    connect(clear, &QPushButton::clicked, this, &HarvestListPanel::clearList);
    connect(del, &QPushButton::clicked, this, &HarvestListPanel::deleteSelected);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { emit activated(item->text()); });

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label, 0, 0, 1, 3);
    layout->addWidget(m_list, 1, 0, 1, 3);
    layout->addWidget(copy, 2, 0);
    layout->addWidget(clear, 2, 1);
    layout->addWidget(del, 2, 2);
}

QString HarvestListPanel::bareCaption() const {
    return m_index == 1 ? QStringLiteral("Unregistered") : QStringLiteral("Registered");
}

void HarvestListPanel::addName(const QString &name, const QString &caption) {
    m_label->setText(caption);
    m_list->addItem(name);
}

void HarvestListPanel::copyList() {
    QString text;
    for (int i = 0; i < m_list->count(); ++i)
        text += m_list->item(i)->text() + QStringLiteral("\r\n");
    m_desktop.setClipboardText(text);
}

void HarvestListPanel::clearList() {
    m_list->clear();
    m_label->setText(bareCaption());
    emit cleared();
}

void HarvestListPanel::deleteSelected() {
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->item(row)->isSelected())
        return;
    delete m_list->takeItem(row);
    m_label->setText(QStringLiteral("%1 (%2)").arg(bareCaption()).arg(m_list->count()));
}

bool HarvestListPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete) {
            // Shift alone clears the list; Delete with any other modifiers removes one name.
            if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier)
                clearList();
            else
                deleteSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
