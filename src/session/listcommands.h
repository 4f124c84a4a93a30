#pragma once

#include <QString>
#include <QStringList>

class Desktop;
class ResultLists;

// The commands of the result lists (numbered 1 to 5 as in ResultLists): copy a list to the
// clipboard, delete one entry, clear a list, keep dropped entries in the Saved list. Touches no
// widget; the window passes the rows its views point at.
class ListCommands {
public:
    ListCommands(ResultLists &lists, Desktop &desktop);

    void copyList(int k);
    // Removes the entry at `row` (the view's current row; -1 when it has none).
    void deleteSelected(int k, int row);
    void clearList(int k);
    // The entries a view shows in `rows` (ascending) of list k: copied one a line as Copy list
    // does, or removed one by one as Delete selected does. A row a run has cleared away since
    // the view was last refreshed is skipped.
    void copyRows(int k, const QList<int> &rows);
    void deleteRows(int k, const QList<int> &rows);
    // The Edit menu's item `item` (0 to 9).
    void editMenuItem(int item);

    // The entries of list `source` named by a "|"-joined list of 0-based positions; pieces that
    // are not a position of that list are skipped, and any list but 1 to 4 yields nothing.
    QStringList namesAtPositions(const QString &positions, int source) const;
    // Appends those entries to the Saved list and rewrites its file.
    void dropOnSaved(const QString &positions, int activeList);

    static QStringList editMenuCaptions();

private:
    ResultLists &m_lists;
    Desktop &m_desktop;
};
