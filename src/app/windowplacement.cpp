#include "app/windowplacement.h"

#include "core/settingsstore.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace {
// Room for a title bar and borders, which are not part of a window's geometry.
constexpr int FrameTop = 32;
constexpr int FrameSide = 8;

// The main window, whose centre a new window takes.
QWidget *mainWindow(const QWidget *except) {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != except && w->isVisible() && w->objectName() == QStringLiteral("Form1"))
            return w;
    }
    return nullptr;
}
} // namespace

WindowPlacement::WindowPlacement(QWidget *window, SettingsStore *store, const QString &app)
    : QObject(window)
    , m_window(window)
    , m_store(store)
    , m_app(app) {}

void WindowPlacement::manage(QWidget *window, SettingsStore *store, const QString &app) {
    if (!window)
        return;
    window->installEventFilter(new WindowPlacement(window, store, app));
}

QRect WindowPlacement::fitted(QRect wanted, const QRect &available, const QSize &minimum) {
    const QRect room = available.adjusted(FrameSide, FrameTop, -FrameSide, -FrameSide);
    wanted.setWidth(qMax(minimum.width(), qMin(wanted.width(), room.width())));
    wanted.setHeight(qMax(minimum.height(), qMin(wanted.height(), room.height())));
    wanted.moveLeft(qMax(room.left(), qMin(wanted.left(), room.right() + 1 - wanted.width())));
    wanted.moveTop(qMax(room.top(), qMin(wanted.top(), room.bottom() + 1 - wanted.height())));
    return wanted;
}

QString WindowPlacement::toText(const QRect &rect) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

QRect WindowPlacement::fromText(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    const QRect rect(values[0], values[1], values[2], values[3]);
    return rect.width() > 0 && rect.height() > 0 ? rect : QRect();
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_window) {
        // The show event comes before the window reaches the screen, so it opens in place.
        if (event->type() == QEvent::Show && !m_placed) {
            m_placed = true;
            place();
        } else if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            remember();
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlacement::place() {
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect stored =
        m_store ? fromText(m_store->read(m_app, Section, m_window->objectName(), QString()))
                : QRect();
    QWidget *anchor = mainWindow(m_window);
    QRect wanted = stored;
    if (!wanted.isValid()) {
        wanted = QRect(QPoint(), m_window->size());
        const QRect around = anchor ? anchor->geometry() : m_window->screen()->availableGeometry();
        wanted.moveCenter(around.center());
    }
    QScreen *screen = QApplication::screenAt(wanted.center());
    if (!screen)
        screen = anchor ? anchor->screen() : m_window->screen();
    m_window->setGeometry(fitted(wanted, screen->availableGeometry(),
                                 m_window->minimumSizeHint().expandedTo(m_window->minimumSize())));
}

void WindowPlacement::remember() {
    if (!m_store || !m_placed || !m_window->isWindow() ||
        (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    m_store->write(m_app, Section, m_window->objectName(), toText(m_window->geometry()));
}
