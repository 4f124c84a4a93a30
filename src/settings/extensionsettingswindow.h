#pragma once

#include "core/machinesettings.h"
#include "whois/registrartable.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct AppContext;

// "Domain extension settings": edits registrars.txt row by row, the proxy switch and the
// default extension. Every table change rewrites the file, refreshes the list and reloads the
// in-memory table, so the next lookup uses it.
class ExtensionSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit ExtensionSettingsWindow(AppContext &ctx, QWidget *parent = nullptr);

    // The status "Add/Save" writes: true for a new extension, else that of the clicked row.
    bool editEnabled() const { return m_editEnabled; }
    // Fills lstDomains from the file's rows (as written, not lowered), keeping the sort.
    Result<> fillRegistrarList();

public slots:
    void newExtension();    // Command1
    void addSave();         // cmdSave
    void toggleStatus();    // cmdToggle
    void deleteSelected();  // Command2
    void restoreDefaults(); // Command3

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void rowClicked(QTreeWidgetItem *item);
    void sortByColumn(int column);
    // Shows only the rows whose extension or server contains the filter text.
    void applyFilter();
    void setProxy(bool on);
    void setDefaultExtension(const QString &text);
    void normalizeDefault();
    // Refreshes the list and reloads the table; reports the first problem met, if any.
    void refreshAndReload(Result<> result = {});
    void showError(const Error &error);
    void showInvalidInput();
    QTreeWidgetItem *selectedRow() const;

    AppContext &m_ctx;
    MachineSettings m_machine;
    bool m_editEnabled = true;
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    QTreeWidget *m_rowsView = nullptr;
    QLineEdit *m_extension = nullptr;
    QLineEdit *m_server = nullptr;
    QLineEdit *m_port = nullptr;
    QCheckBox *m_useProxy = nullptr;
    QLineEdit *m_defaultExtension = nullptr;
    QLineEdit *m_filter = nullptr;
};
