#pragma once

#include <QWidget>

struct AppContext;

// The help launcher: never seen. Creating it opens "\Help.chm" of the program folder with the
// desktop's default handler, when the file is there, and remembers that help was shown.
class HelpLauncher : public QWidget {
    Q_OBJECT
public:
    explicit HelpLauncher(AppContext &context, QWidget *parent = nullptr);

    static QString helpPath(const AppContext &context);
};
