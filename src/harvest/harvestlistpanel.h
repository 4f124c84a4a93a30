#pragma once

#include <QWidget>

class Desktop;
class QLabel;
class QListWidget;

// One of the browser harvester's two result lists with its caption and its Copy, Clear and
// Del buttons. Index 1 is the list of free names ("Unregistered"), index 2 of taken ones
// ("Registered"); the index is part of every child's objectName.
class HarvestListPanel : public QWidget {
    Q_OBJECT
public:
    HarvestListPanel(int index, Desktop &desktop, QWidget *parent = nullptr);

    void addName(const QString &name, const QString &caption);
    QListWidget *list() const { return m_list; }
    QLabel *label() const { return m_label; }

    void copyList();  // every entry followed by CR LF, onto the clipboard
    void clearList(); // empty, bare caption
    void deleteSelected();

signals:
    void cleared();
    void activated(const QString &name); // double-click

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString bareCaption() const;

    int m_index;
    Desktop &m_desktop;
    QLabel *m_label = nullptr;
    QListWidget *m_list = nullptr;
};
