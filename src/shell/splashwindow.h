#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;
struct AppContext;

// The first window. It fills the vendor configuration, and on the last tick of its timer
// (`Timer2`) calls its hand-over (which builds and shows the main window), then hides itself.
// It stays alive, hidden, until whoever took over closes it.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    using HandOver = std::function<void(SplashWindow &splash)>;

    SplashWindow(AppContext &context, HandOver handOver, QWidget *parent = nullptr);

    // Ticks counted so far (the timer adds 2 per tick, as the counter always did).
    int counter() const { return m_counter; }
    bool handedOver() const { return m_handedOver; }

signals:
    void ticked(int tick);

private:
    void tick();
    void handOver();

    AppContext &m_ctx;
    HandOver m_handOver;
    QLabel *m_image = nullptr;
    QLabel *m_promo = nullptr;
    QTimer *m_timer = nullptr;
    qint16 m_counter = 0;
    bool m_handedOver = false;
};
