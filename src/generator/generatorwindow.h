#pragma once

#include "core/machinesettings.h"
#include "generator/generator.h"
#include "generator/generatorsettings.h"

#include <QWidget>
#include <array>
#include <memory>

class MainWindow;
class NameGenerator;
class NameListModel;
class QCheckBox;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
struct AppContext;

// "Domain Name Creator": the base word, the prefix/suffix words of Appends.txt, the joining
// options and extensions. A run fills List1, writes CreatedDomains.txt and hands the names to
// the main window's search.
class GeneratorWindow : public QWidget {
    Q_OBJECT
public:
    GeneratorWindow(AppContext &ctx, MainWindow &main, QWidget *parent = nullptr);
    ~GeneratorWindow() override;

    NameListModel &generated() { return *m_generated; }
    bool running() const { return m_generator != nullptr; }
    // How long one piece of a run may hold the event loop before the window repaints; 0 yields
    // after every progress report.
    void setChunkMs(int ms) { m_chunkMs = ms; }

public slots:
    void startGenerator(); // Command1
    void saveDomainsAs();  // Command2
    void addWord();        // cmdAdd
    void removeWord();     // cmdSub

signals:
    void finished(int created); // a run has ended and handed its names over

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void loadState();
    void connectStorage();
    void setInputsEnabled(bool enabled);
    GeneratorOptions currentOptions() const;
    void runChunk();
    void finishRun();
    void setStatus(const QString &text);
    void showFailure(const Error &error);
    QString appendsPath() const;
    QString createdPath() const;

    AppContext &m_ctx;
    MainWindow &m_main;
    MachineSettings m_machine;
    GeneratorSettings m_settings;

    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    std::array<QCheckBox *, 9> m_chkExt{};
    QLineEdit *m_txtCustom = nullptr;
    std::array<QCheckBox *, 3> m_chkAdd{};
    QListView *m_list1 = nullptr;
    NameListModel *m_generated = nullptr;
    QPushButton *m_command2 = nullptr;
    QListWidget *m_list2 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPushButton *m_cmdAdd = nullptr;
    QPushButton *m_cmdSub = nullptr;
    QLineEdit *m_txtStatus = nullptr;

    std::unique_ptr<NameGenerator> m_generator;
    bool m_closed = false;
    int m_chunkMs = 20;
};
