#include "desktoprecorder.h"

Desktop::Answer DesktopRecorder::message(const QString &title, const QString &text, Icon icon,
                                         Buttons buttons) {
    messages.append({title, text, icon, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::AbortRetryIgnore ? Answer::Ignore
           : buttons == Buttons::YesNo          ? Answer::Yes
                                                : Answer::Ok;
}

QString DesktopRecorder::openFileName(const QString &folder, const QString &) {
    dialogFolders << folder;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString DesktopRecorder::saveFileName(const QString &proposedPath, const QString &) {
    dialogFolders << proposedPath;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

Desktop::SaveChoice DesktopRecorder::chooseSaveFile(const QString &proposedPath,
                                                    const QString &filters) {
    const QString path = saveFileName(proposedPath, filters);
    return {path, filterAnswers.isEmpty() ? QString() : filterAnswers.takeFirst()};
}

std::optional<QString> DesktopRecorder::askText(const QString &title, const QString &label,
                                                const QString &current) {
    Q_UNUSED(title);
    Q_UNUSED(current);
    textQuestions << label;
    if (textAnswers.isEmpty())
        return std::nullopt;
    return textAnswers.takeFirst();
}

QStringList DesktopRecorder::messageTexts() const {
    QStringList texts;
    for (const Message &m : messages)
        texts << m.text;
    return texts;
}
