#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QWidget;
class SettingsStore;

// Where a secondary window opens: centred on the main window the first time, then at the size
// and place the user last left it, kept in the per-user store under the window's objectName.
// Either way it lands inside the available area of a screen, shrunk to fit when it is larger
// (at a large scale factor a window's usual size can exceed the screen).
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    // Places `window` when it is first shown and remembers its geometry whenever it is hidden
    // or closed. A window shown maximised is left as it is.
    static void manage(QWidget *window, SettingsStore *store, const QString &app);

    // `wanted` moved and shrunk into `available`, leaving `frame` for the decoration a window
    // manager adds around it; never below `minimum`.
    static QRect fitted(QRect wanted, const QRect &available, const QSize &minimum);
    // The stored form of a geometry, and back (an invalid rectangle for anything else).
    static QString toText(const QRect &rect);
    static QRect fromText(const QString &text);

    static inline const QString Section = QStringLiteral("Windows");

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowPlacement(QWidget *window, SettingsStore *store, const QString &app);
    void place();
    void remember();

    QWidget *m_window;
    SettingsStore *m_store;
    QString m_app;
    bool m_placed = false;
};
