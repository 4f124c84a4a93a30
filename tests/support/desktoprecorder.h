#pragma once

#include "core/desktop.h"

#include <QList>
#include <QStringList>

// A Desktop that records what the program asked for and answers dialogs from a script.
class DesktopRecorder : public Desktop {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    QList<Message> messages;
    QList<Answer> answers;     // consumed in order; Ok (or Ignore) when exhausted
    QStringList fileAnswers;   // consumed in order by both file dialogs; "" when exhausted
    QStringList dialogFolders; // folder or proposed path each file dialog was given
    QStringList filterAnswers; // filter chosen in each chooseSaveFile; "" when exhausted
    QStringList textAnswers;   // consumed in order by askText; cancelled when exhausted
    QStringList textQuestions; // the label of each askText
    QString clipboard;
    QStringList openedUrls;
    QStringList openedFiles;

    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &proposedPath, const QString &filter) override;
    SaveChoice chooseSaveFile(const QString &proposedPath, const QString &filters) override;
    std::optional<QString> askText(const QString &title, const QString &label,
                                   const QString &current) override;
    QString clipboardText() const override { return clipboard; }
    void setClipboardText(const QString &text) override { clipboard = text; }
    void openUrl(const QString &address) override { openedUrls << address; }
    void openFile(const QString &path) override { openedFiles << path; }

    QStringList messageTexts() const;
};
