#pragma once

#include "app/mainwindow.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;
struct AppContext;

// The first window. It fills the vendor configuration, and on the last tick of its timer
// (`Timer2`) creates, loads and shows the main window, then hides itself. It stays alive,
// hidden, until the main window closes it.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(AppContext &context, QWidget *parent = nullptr);

    // Ticks counted so far (the timer adds 2 per tick, as the counter always did).
    int counter() const { return m_counter; }
    MainWindow *mainWindow() const { return m_main; }

signals:
    void ticked(int tick);
    void handedOver(MainWindow *main);

private:
    void tick();
    void handOver();

    AppContext &m_ctx;
    QLabel *m_image = nullptr;
    QLabel *m_promo = nullptr;
    QTimer *m_timer = nullptr;
    qint16 m_counter = 0;
    QPointer<MainWindow> m_main;
};
