#pragma once

#include "app/windowregistry.h"

#include <QMainWindow>
#include <memory>

class MainWindowControls;
class ListCommands;
class LookupPool;
class QComboBox;
class QLineEdit;
class QMimeData;
class ResultLists;
class SearchDriver;
struct AppContext;

// The main window: search-type selection, Start and Stop, the five result lists and their
// commands. Its logic lives in ResultLists, LookupPool and SearchDriver; the window wires them
// to its controls (every control carries its documented objectName).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    AppContext &context() { return m_ctx; }
    ResultLists &lists() { return *m_lists; }
    SearchDriver &driver() { return *m_driver; }
    LookupPool &pool() { return *m_pool; }
    WindowRegistry &windows() { return m_windows; }

    // The start-up sequence (folders, list files, Saved list, positions, registrar table).
    // Called once by whoever shows the window, before showing it.
    void load();

    // What other windows read from and hand back to the main window.
    QString searchType() const;   // the Combo1 text
    QString searchText() const;   // txtSearch
    int wantedCountIndex() const; // Combo2 position, -1 for none
    void setWordMax(const QString &text);
    void setWordNum(const QString &text);
    void selectSearchType(int index); // as a click on Combo1 item `index`

    static QStringList searchTypes();                     // Combo1's items in order
    QString listPath() const;                             // the list the next run reads
    int storedWordNumber() const { return m_wordNumber; } // `wordNumber` read at start-up
    QString statusPanelText(int panel) const;             // panel 1 to 3

    // The list commands, as the buttons, the Edit menu and the keys run them.
    int activeList() const { return m_activeList; }
    void setActiveList(int k);
    void copyList(int k);
    void deleteSelected(int k); // the entry at the list view's current index
    void clearList(int k);
    void editMenuItem(int item); // mnuEditItem 0 to 9
    void dropOnSaved(const QMimeData &data);
    QMimeData *dragData(int k) const; // drag data of list k's selection (caller owns it)
    void openEntry(int k, int row);   // double-click on entry `row` of list k

public slots:
    void start(); // cmdDoSearch
    void stop();  // Command3

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void connectEngines();
    void createStartupFiles();
    void loadRegistrars();
    void loadReplyRules();
    void readLookupOptions();
    void showHelpOnFirstStart();

    void applySelection();
    bool chooseCustomList();
    void showGroups(bool wordList, bool webSearch);
    void armForType(bool webSearch);
    void onWordNumChanged();
    void onStopped();
    void setPanel(int panel, const QString &text);
    void setRestingPanels();
    void openWindow(const QString &name);
    void shutdown();
    void applyLayout();

    AppContext &m_ctx;
    WindowRegistry m_windows;
    ResultLists *m_lists = nullptr;
    LookupPool *m_pool = nullptr;
    SearchDriver *m_driver = nullptr;
    std::unique_ptr<MainWindowControls> m_ui;
    std::unique_ptr<ListCommands> m_commands;
    int m_activeList = 0;
    int m_wordNumber = 0;
    int m_selectedIndex = -1; // the search type last applied
    bool m_shutDown = false;
};
