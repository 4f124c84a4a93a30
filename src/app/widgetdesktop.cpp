#include "app/widgetdesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
QMessageBox::Icon boxIcon(Desktop::Icon icon) {
    switch (icon) {
    case Desktop::Icon::Information:
        return QMessageBox::Information;
    case Desktop::Icon::Warning:
        return QMessageBox::Warning;
    case Desktop::Icon::Critical:
        return QMessageBox::Critical;
    case Desktop::Icon::Question:
        return QMessageBox::Question;
    case Desktop::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Desktop::Buttons buttons) {
    switch (buttons) {
    case Desktop::Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Desktop::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Desktop::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Desktop::Answer answerFor(int button, Desktop::Buttons buttons) {
    switch (button) {
    case QMessageBox::Abort:
        return Desktop::Answer::Abort;
    case QMessageBox::Retry:
        return Desktop::Answer::Retry;
    case QMessageBox::Ignore:
        return Desktop::Answer::Ignore;
    case QMessageBox::Yes:
        return Desktop::Answer::Yes;
    case QMessageBox::No:
        return Desktop::Answer::No;
    default:
        break;
    }
    // A box closed with Escape or the title bar: the choice that changes nothing.
    if (buttons == Desktop::Buttons::AbortRetryIgnore)
        return Desktop::Answer::Abort;
    if (buttons == Desktop::Buttons::YesNo)
        return Desktop::Answer::No;
    return Desktop::Answer::Ok;
}

QString dialogFilter(const QString &filter) {
    // A bare pattern such as "*.txt" is shown with its pattern as the description.
    if (filter.isEmpty() || filter.contains(QLatin1Char('(')))
        return filter;
    return filter + QStringLiteral(" (") + filter + QLatin1Char(')');
}
} // namespace

WidgetDesktop::WidgetDesktop(QWidget *dialogParent)
    : m_parent(dialogParent) {}

Desktop::Answer WidgetDesktop::message(const QString &title, const QString &text, Icon icon,
                                       Buttons buttons) {
    QMessageBox box(boxIcon(icon), title, text, boxButtons(buttons), m_parent);
    return answerFor(box.exec(), buttons);
}

QString WidgetDesktop::openFileName(const QString &folder, const QString &filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), folder, dialogFilter(filter));
}

QString WidgetDesktop::saveFileName(const QString &proposedPath, const QString &filter) {
    return QFileDialog::getSaveFileName(m_parent, QString(), proposedPath, dialogFilter(filter));
}

Desktop::SaveChoice WidgetDesktop::chooseSaveFile(const QString &proposedPath,
                                                  const QString &filters) {
    SaveChoice choice;
    choice.path =
        QFileDialog::getSaveFileName(m_parent, QString(), proposedPath, dialogFilter(filters),
                                     &choice.filter, QFileDialog::DontConfirmOverwrite);
    return choice;
}

std::optional<QString> WidgetDesktop::askText(const QString &title, const QString &label,
                                              const QString &current) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, title, label, QLineEdit::Normal, current, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString WidgetDesktop::clipboardText() const {
    return QGuiApplication::clipboard()->text();
}

void WidgetDesktop::setClipboardText(const QString &text) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void WidgetDesktop::openUrl(const QString &address) {
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void WidgetDesktop::openFile(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
