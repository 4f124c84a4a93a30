#pragma once

#include "app/windowregistry.h"
#include "core/searchtype.h"

#include <QMainWindow>
#include <array>
#include <memory>

class MainWindowControls;
class ListCommands;
class QMimeData;
class QTimer;
class SearchSession;

// The main window: search-type selection, Start and Stop, the five result lists and their
// commands. It presents a SearchSession, which holds the rules and the engines, and forwards
// what the user does to it (every control carries its documented objectName).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(SearchSession &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    SearchSession &session() { return m_session; }
    WindowRegistry &windows() { return m_windows; }

    // The start-up sequence (help on the first start, the session's files, lists and tables).
    // Called once by whoever shows the window, before showing it.
    void load();

    // As a click on item `index` of the search-type box or the Tools menu.
    void selectSearchType(int index);
    QString statusPanelText(int panel) const; // panel 1 to 3
    QStringList problems() const;             // failures reported and not yet dismissed by the user

    // The list commands, as the buttons, the Edit menu and the keys run them.
    int activeList() const { return m_activeList; }
    void setActiveList(int k);
    void copyList(int k);
    // The selected entries of list k (the current entry when none is selected).
    void deleteSelected(int k);
    void copySelected(int k);
    void saveSelected(int k); // to the Saved list, as a drop does (lists 1 to 4)
    // The list the list actions (Ctrl+C, Delete, the context menu) work on: the one with the
    // focus, else the one that had it last (0: none yet).
    int focusList() const;
    void clearList(int k);
    void editMenuItem(int item); // mnuEditItem 0 to 9
    void dropOnSaved(const QMimeData &data);
    QMimeData *dragData(int k) const; // drag data of list k's selection (caller owns it)
    void openEntry(int k, int row);   // double-click on entry `row` of list k

public slots:
    void start();       // cmdDoSearch
    void stop();        // Command3
    void exportLists(); // File > Export Lists...
    // Options > Ask DNS First and DNS Server...: stored for the next search.
    void setDnsFirst(bool on);
    void chooseDnsServer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void connectSession();

    void applySelection();
    void showType(SearchType type);
    void showStartFields();
    void showGroups(bool wordList, bool webSearch);
    void armForType(bool webSearch);
    void lockForRun();
    void onRunStopped();
    void showViewer(const QString &name);
    void connectListActions();
    void showListMenu(int k, const QPoint &pos);
    void enableListActions(int k);
    QString currentName(int k) const;
    void setPanel(int panel, const QString &text);
    void refreshFromEngines();
    bool refreshing() const;
    void setRestingPanels();
    void showOverflowSaved();
    void shutdown();
    void applyLayout();

    SearchSession &m_session;
    WindowRegistry m_windows;
    std::unique_ptr<MainWindowControls> m_ui;
    std::unique_ptr<ListCommands> m_commands;
    QTimer *m_refresh = nullptr; // during a run: panels, captions and lists ~10 times a second
    std::array<QString, 4> m_pendingPanel;
    std::array<bool, 4> m_panelDirty{};
    int m_activeList = 0;
    int m_focusList = 0;
    bool m_shutDown = false;
};
