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
class QMainWindow;
class ProblemIndicator;
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

    static QStringList searchTypes();  // Combo1 and the Tools menu, in order
    static QStringList wantedCounts(); // Combo2

    QWidget *central = nullptr;
    QFrame *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QLineEdit *txtWordNum = nullptr;
    QLineEdit *txtWordMax = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *wLabel1 = nullptr;
    QLabel *wLabel2 = nullptr;
    QLabel *SLabel1 = nullptr;
    QLabel *SLabel2 = nullptr;
    QPushButton *cmdDoSearch = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *cmdSetup = nullptr;
    QPushButton *cmdWebsite = nullptr;
    QStatusBar *StatusBar1 = nullptr;

    // Indexed by list number 1 to 5 (element 0 unused); panels by panel number 1 to 3.
    std::array<ResultListView *, 6> List{};
    std::array<QLabel *, 6> Label{};
    std::array<QToolButton *, 6> cmdCopy{};
    std::array<QToolButton *, 6> cmdClear{};
    std::array<QToolButton *, 6> cmdClear2{};
    std::array<ElidedLabel *, 4> Panel{};
    ProblemIndicator *problems = nullptr; // at the right end of the status bar, while any

    QAction *mnuFileItem = nullptr;
    std::array<QAction *, 10> mnuEditItem{};
    std::array<QAction *, 9> mnuToolsItem{};
    QAction *mnuOptionsItem = nullptr;
    QAction *mnuHelpItem = nullptr;
    QAction *mnuAboutItem = nullptr;

private:
    void setupSearchPanel();
    void setupResultFrame();
    void setupMenus(QMainWindow *window);
    void setupStatusBar(QMainWindow *window);
};
