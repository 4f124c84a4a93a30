#include "app/skin.h"

#include "core/branding.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace {
const char *const kSkinIndex = "skinIndex";

// A skin label follows the label it was copied from: where the layout moves or hides that
// label, the copy goes too, so it keeps covering it.
class SkinLabelFollower : public QObject {
public:
    SkinLabelFollower(QLabel *source, QLabel *copy)
        : QObject(copy)
        , m_source(source)
        , m_copy(copy) {
        source->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != m_source)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            m_copy->setGeometry(m_source->geometry());
            break;
        case QEvent::Show:
        case QEvent::Hide:
            m_copy->setVisible(m_source->isVisible());
            m_copy->raise();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QLabel *m_source;
    QLabel *m_copy;
};

bool isButton(QWidget *w) {
    return qobject_cast<QAbstractButton *>(w) && !qobject_cast<QCheckBox *>(w) &&
           !qobject_cast<QRadioButton *>(w);
}

bool isTextOrListBox(QWidget *w) {
    return qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) ||
           qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QComboBox *>(w) ||
           qobject_cast<QAbstractItemView *>(w) || qobject_cast<QAbstractSpinBox *>(w);
}

void setColors(QWidget *w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles) {
    QPalette palette = w->palette();
    for (const auto &[role, color] : roles)
        palette.setColor(role, color);
    w->setPalette(palette);
}

int nextIndex(QWidget *window, const QString &array) {
    int highest = -1;
    const QList<QLabel *> labels = window->findChildren<QLabel *>(array);
    for (QLabel *label : labels)
        highest = qMax(highest, label->property(kSkinIndex).toInt());
    return highest + 1;
}
} // namespace

SkinProperties SkinProperties::standard() {
    SkinProperties p;
    p.description = QStringLiteral("Web Deep Red");
    p.application = QStringLiteral("Standard Skin");
    p.hue = 150;
    p.backColor = QColor(124, 83, 5);
    p.foreColor = QColor(242, 255, 254);
    p.panelColor = QColor(124, 83, 5);
    p.panelTextColor = QColor(242, 255, 254);
    p.applyColors = false;
    p.skinClientArea = true;
    return p;
}

void startSkin(const Branding &branding, QWidget *splash) {
    applySkin(branding, splash);
}

void applySkin(const Branding &branding, QWidget *window) {
    if (!branding.SkinSwitch || !window)
        return;
    const SkinProperties skin = SkinProperties::standard();
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *w : controls) {
        if (isButton(w)) {
            setColors(w, {{QPalette::Button, skin.C1()}});
        } else if (isTextOrListBox(w)) {
            // A closed combo box draws with the button roles.
            setColors(w, {{QPalette::Base, skin.C1()},
                          {QPalette::Text, skin.C2()},
                          {QPalette::Button, skin.C1()},
                          {QPalette::ButtonText, skin.C2()}});
        } else if (isPictureBox(w)) {
            setColors(w, {{QPalette::Window, skin.C3()}});
            w->setAutoFillBackground(true);
        }
    }
    if (skin.skinClientArea) {
        setColors(window, {{QPalette::Window, skin.C1()}});
        window->setAutoFillBackground(true);
    }
}

QList<QLabel *> mirrorLabels(const Branding &branding, QWidget *window, const QString &array,
                             const SkinLabelSelection &selection) {
    QList<QLabel *> added;
    if (!branding.SkinSwitch || !window)
        return added;
    const SkinProperties skin = SkinProperties::standard();
    int index = nextIndex(window, array);
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        auto *source = qobject_cast<QLabel *>(control);
        if (!source || source->property(kSkinIndex).isValid() || !selection(control))
            continue;
        auto *copy = new QLabel(source->parentWidget());
        copy->setObjectName(array);
        copy->setProperty(kSkinIndex, index++);
        copy->setGeometry(source->geometry());
        copy->setFont(source->font());
        copy->setText(source->text());
        copy->setAlignment(source->alignment());
        copy->setWordWrap(source->wordWrap());
        setColors(copy, {{QPalette::Window, skin.C3()}, {QPalette::WindowText, skin.C4()}});
        copy->setAutoFillBackground(true);
        copy->setVisible(source->isVisibleTo(source->parentWidget()));
        copy->raise();
        new SkinLabelFollower(source, copy);
        added << copy;
    }
    return added;
}

bool isPlainLabel(QWidget *control) {
    auto *label = qobject_cast<QLabel *>(control);
    return label && !label->property(kSkinIndex).isValid() && !isPictureBox(control);
}

bool isPictureBox(QWidget *control) {
    if (control->property("pictureBox").toBool())
        return true;
    auto *label = qobject_cast<QLabel *>(control);
    return label && !label->pixmap().isNull();
}

void endSkin(const Branding &branding) {
    // Our engine holds nothing outside the windows it coloured, so there is nothing to release.
    Q_UNUSED(branding);
}
