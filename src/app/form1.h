#pragma once

#include "windowregistry.h"

#include <QMainWindow>

class LookupPool;
class QComboBox;
class QLineEdit;
class ResultLists;
class SearchDriver;
struct AppContext;

// The main window: search-type selection, Start and Stop, the five result lists and their
// commands. Its logic lives in ResultLists, LookupPool and SearchDriver; the window wires them
// to its controls (every control carries its documented objectName).
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(AppContext &context, QWidget *parent = nullptr);
    ~Form1() override;

    AppContext &context() { return m_ctx; }
    ResultLists &lists() { return *m_lists; }
    SearchDriver &driver() { return *m_driver; }
    LookupPool &pool() { return *m_pool; }
    WindowRegistry &windows() { return m_windows; }

    // The start-up sequence (folders, list files, Saved list, positions, registrar table).
    // Called once by whoever shows the window, before showing it.
    void load();

    // What other windows read from and hand back to the main window.
    QString searchType() const;          // the Combo1 text
    QString searchText() const;          // txtSearch
    int wantedCountIndex() const;        // Combo2 position, -1 for none
    void setWordMax(const QString &text);
    void setWordNum(const QString &text);
    void selectSearchType(int index);    // as a click on Combo1 item `index`

public slots:
    void Start();  // cmdDoSearch
    void Stop();   // Command3

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    AppContext &m_ctx;
    WindowRegistry m_windows;
    ResultLists *m_lists = nullptr;
    LookupPool *m_pool = nullptr;
    SearchDriver *m_driver = nullptr;
};
