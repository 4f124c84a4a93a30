#pragma once

#include "form1.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;
struct AppContext;

// The first window. It fills the vendor configuration, and on the last tick of its timer
// (`Timer2`) creates, loads and shows the main window, then hides itself. It stays alive,
// hidden, until the main window closes it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(AppContext &context, QWidget *parent = nullptr);

    // Ticks counted so far (the timer adds 2 per tick, as the counter always did).
    int counter() const { return m_counter; }
    Form1 *mainWindow() const { return m_main; }

signals:
    void ticked(int tick);
    void handedOver(Form1 *main);

private:
    void tick();
    void handOver();

    AppContext &m_ctx;
    QLabel *m_image = nullptr;
    QLabel *m_promo = nullptr;
    QTimer *m_timer = nullptr;
    qint16 m_counter = 0;
    QPointer<Form1> m_main;
};
