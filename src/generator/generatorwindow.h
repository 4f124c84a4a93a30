#pragma once

#include "core/machinesettings.h"
#include "generator/generator.h"
#include "generator/generatorsettings.h"

#include <QWidget>
#include <array>
#include <memory>

class NameGenerator;
class NameListModel;
class SearchSession;
class QCheckBox;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
struct AppContext;

// "Domain Name Creator": the base word, the prefix/suffix words of Appends.txt, the joining
// options and extensions. A run fills List1, writes CreatedDomains.txt and hands the names to
// the session's search.
class GeneratorWindow : public QWidget {
    Q_OBJECT
public:
    explicit GeneratorWindow(SearchSession &session, QWidget *parent = nullptr);
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

    AppContext &m_ctx;
    SearchSession &m_session;
    MachineSettings m_machine;
    GeneratorSettings m_settings;

    QLineEdit *m_baseWord = nullptr;
    QPushButton *m_startButton = nullptr;
    std::array<QCheckBox *, 9> m_extensionChecks{};
    QLineEdit *m_customExtension = nullptr;
    std::array<QCheckBox *, 3> m_joiningChecks{};
    QListView *m_generatedView = nullptr;
    NameListModel *m_generated = nullptr;
    QPushButton *m_saveAsButton = nullptr;
    QListWidget *m_appendWords = nullptr;
    QLineEdit *m_newWord = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QLineEdit *m_status = nullptr;

    std::unique_ptr<NameGenerator> m_generator;
    bool m_closed = false;
    int m_chunkMs = 20;
};
