#pragma once

#include <QWidget>

class QLabel;
class WindowRegistry;
struct AppContext;

// The about window: product, version, owner and website. It has no buttons; a click on the
// website opens it in the browser, as the main window's website button does.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    AboutWindow(AppContext &context, WindowRegistry &windows, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(const QString &name, const QString &text);

    AppContext &m_ctx;
    WindowRegistry &m_windows;
    QLabel *m_website = nullptr;
};
