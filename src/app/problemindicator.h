#pragma once

#include <QFrame>
#include <QStringList>

class ElidedLabel;
class QLabel;

// A warning in the status bar that stays until the user has seen it: a failed file write, a
// bad registrar row. The status panels change with every connection; this does not. It shows
// the latest problem (with the count when there are more), lists them all in its tool tip,
// and is dismissed by a click. Hidden while there is nothing to report.
class ProblemIndicator : public QFrame {
    Q_OBJECT
public:
    explicit ProblemIndicator(QWidget *parent = nullptr);

    // Adds a problem; a message already shown is not added twice.
    void report(const QString &message);
    // The user has seen them: forget all and hide.
    void acknowledge();

    QStringList problems() const { return m_problems; }
    QString shownText() const;

signals:
    void changed(); // shown, grown or dismissed

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void refresh();

    QStringList m_problems;
    QLabel *m_icon = nullptr;
    ElidedLabel *m_text = nullptr;
};
