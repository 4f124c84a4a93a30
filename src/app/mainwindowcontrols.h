#pragma once

#include <QStringList>
#include <array>

class ElidedLabel;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMainWindow;
class ProblemIndicator;
class RunStatus;
class QPushButton;
class QStatusBar;
class QToolButton;
class QWidget;
class ResultListView;

// The controls and menus of the main window, each with its documented objectName. Holds no
// behaviour: MainWindow connects and places them.
class MainWindowControls {
public:
    void setup(QMainWindow *window);

    static QStringList searchTypes();  // the search-type box and the Tools menu, in order
    static QStringList wantedCounts(); // the wanted-count box

    QWidget *central = nullptr;
    QFrame *searchPanel = nullptr;
    QGroupBox *resultFrame = nullptr;
    QComboBox *searchType = nullptr;
    QComboBox *wantedCount = nullptr;
    QLineEdit *startEntry = nullptr;
    QLineEdit *entryCount = nullptr;
    QLineEdit *searchText = nullptr;
    QLabel *startEntryLabel = nullptr;
    QLabel *entryCountLabel = nullptr;
    QLabel *searchTextLabel = nullptr;
    QLabel *wantedCountLabel = nullptr;
    QPushButton *startButton = nullptr;
    QPushButton *buildListButton = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *setupButton = nullptr;
    QPushButton *websiteButton = nullptr;
    QStatusBar *statusBar = nullptr;

    // Indexed by list number 1 to 5 (element 0 unused); panels by panel number 1 to 3.
    std::array<ResultListView *, 6> lists{};
    std::array<QLabel *, 6> captions{};
    std::array<QToolButton *, 6> copyButtons{};
    std::array<QToolButton *, 6> deleteButtons{};
    std::array<QToolButton *, 6> clearButtons{};
    std::array<ElidedLabel *, 4> panels{};
    RunStatus *runStatus = nullptr;       // progress of a run, then its summary
    ProblemIndicator *problems = nullptr; // at the right end of the status bar, while any

    QAction *exportAction = nullptr; // "Export Lists..."
    QAction *exitAction = nullptr;
    std::array<QAction *, 10> editActions{};
    std::array<QAction *, 9> searchTypeActions{};
    QAction *optionsAction = nullptr;
    QAction *dnsFirstAction = nullptr;  // checkable: names are asked of DNS before a registry
    QAction *dnsServerAction = nullptr; // "DNS Server..."
    QAction *helpAction = nullptr;
    QAction *aboutAction = nullptr;

    // The selected entries of the list that has (or last had) the focus; in the Edit menu and
    // in every list's context menu.
    QAction *copySelectedAction = nullptr;   // Ctrl+C
    QAction *deleteSelectedAction = nullptr; // Delete
    QAction *saveSelectedAction = nullptr;   // to the Saved list, as a drop does
    QAction *openRegistrarAction = nullptr;
    QAction *showReplyAction = nullptr;
    QMenu *listMenu = nullptr;
    QMenu *editMenu = nullptr;

private:
    void setupSearchPanel();
    void setupResultFrame();
    void setupMenus(QMainWindow *window);
    void setupStatusBar(QMainWindow *window);
    void setupListActions(QMenu *edit);
    void setTabOrder();
};
