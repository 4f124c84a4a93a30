#pragma once

#include <QWidget>

class QTimer;
struct AppContext;

// Opens the maker's website in the user's browser when asked to (WebsiteMode "Website"), then
// closes itself after a moment (`Timer1`). While it is open it keeps the process alive.
class WebsiteWindow : public QWidget {
    Q_OBJECT
public:
    explicit WebsiteWindow(AppContext &context, QWidget *parent = nullptr);

    // `text` as an address: "http://" in front unless it has "http://" or "https://" in it,
    // in any letter case.
    static QString addressFor(const QString &text);

private:
    QTimer *m_timer = nullptr;
};
