#include "session/listcommands.h"

#include "core/desktop.h"
#include "core/resultlists.h"

#include <array>

namespace {
enum class Action { Copy, Clear };
struct EditItem {
    const char *caption;
    Action action;
    std::array<int, 3> lists; // 0 ends the list
};
// Copy and clear items name the lists by the captions users see: High is list 3, Mid list 4,
// Low list 1.
const std::array<EditItem, 10> EditItems{{
    {"Clear High/Mid/Low", Action::Clear, {1, 3, 4}},
    {"Clear High", Action::Clear, {3, 0, 0}},
    {"Clear Mid", Action::Clear, {4, 0, 0}},
    {"Clear Low", Action::Clear, {1, 0, 0}},
    {"Clear Registered", Action::Clear, {2, 0, 0}},
    {"Clear Saved", Action::Clear, {5, 0, 0}},
    {"Copy High", Action::Copy, {3, 0, 0}},
    {"Copy Mid", Action::Copy, {4, 0, 0}},
    {"Copy Low", Action::Copy, {1, 0, 0}},
    {"Copy Saved", Action::Copy, {5, 0, 0}},
}};
} // namespace

ListCommands::ListCommands(ResultLists &lists, Desktop &desktop)
    : m_lists(lists)
    , m_desktop(desktop) {}

void ListCommands::copyList(int k) {
    const NameListModel *list = m_lists.list(k);
    if (!list)
        return;
    QString text;
    for (const QString &name : list->names())
        text += name + QStringLiteral("\r\n");
    m_desktop.setClipboardText(text);
}

void ListCommands::copyRows(int k, const QList<int> &rows) {
    const NameListModel *list = m_lists.list(k);
    if (!list)
        return;
    QString text;
    for (int row : rows) {
        if (list->shownRowIsCurrent(row))
            text += list->shownAt(row) + QStringLiteral("\r\n");
    }
    m_desktop.setClipboardText(text);
}

void ListCommands::deleteRows(int k, const QList<int> &rows) {
    const NameListModel *list = m_lists.list(k);
    if (!list)
        return;
    // From the last row up, so the rows still to go keep their numbers.
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        if (list->shownRowIsCurrent(*row))
            m_lists.deleteAt(k, *row);
    }
}

void ListCommands::deleteSelected(int k, int row) {
    m_lists.deleteAt(k, row);
}

void ListCommands::clearList(int k) {
    m_lists.clearList(k);
}

void ListCommands::editMenuItem(int item) {
    if (item < 0 || item >= int(EditItems.size()))
        return;
    for (int k : EditItems[item].lists) {
        if (k == 0)
            break;
        if (EditItems[item].action == Action::Copy)
            copyList(k);
        else
            clearList(k);
    }
}

QStringList ListCommands::namesAtPositions(const QString &positions, int source) const {
    QStringList names;
    if (source < 1 || source > 4)
        return names;
    const NameListModel *list = m_lists.list(source);
    for (const QString &piece : positions.split(QLatin1Char('|'))) {
        bool ok = false;
        const int row = piece.trimmed().toInt(&ok);
        if (ok && row >= 0 && row < list->count())
            names << list->at(row);
    }
    return names;
}

void ListCommands::dropOnSaved(const QString &positions, int activeList) {
    m_lists.appendSaved(namesAtPositions(positions, activeList));
}

QStringList ListCommands::editMenuCaptions() {
    QStringList captions;
    for (const EditItem &item : EditItems)
        captions << QString::fromLatin1(item.caption);
    return captions;
}
