#include "core/branding.h"
#include "app/skin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {
// A window with one control of each kind the skin tells apart.
struct SampleWindow {
    QWidget window;
    QListWidget *list = new QListWidget(&window);
    QLineEdit *text = new QLineEdit(&window);
    QComboBox *combo = new QComboBox(&window);
    QPushButton *button = new QPushButton(QStringLiteral("Start"), &window);
    QLabel *picture = new QLabel(&window);
    QGroupBox *frame = new QGroupBox(QStringLiteral("Frame"), &window);
    QCheckBox *check = new QCheckBox(QStringLiteral("Check"), frame);
    QLabel *label = new QLabel(QStringLiteral("Caption"), frame);
    QLabel *hidden = new QLabel(QStringLiteral("Hidden"), &window);

    SampleWindow() {
        QPixmap pixmap(8, 8);
        pixmap.fill(Qt::red);
        picture->setPixmap(pixmap);
        hidden->hide();
        auto *frameLayout = new QVBoxLayout(frame);
        frameLayout->addWidget(check);
        frameLayout->addWidget(label);
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *w : {static_cast<QWidget *>(list), static_cast<QWidget *>(text),
                           static_cast<QWidget *>(combo), static_cast<QWidget *>(button),
                           static_cast<QWidget *>(picture), static_cast<QWidget *>(frame),
                           static_cast<QWidget *>(hidden)})
            layout->addWidget(w);
    }
};

Branding withSkin(bool on) {
    Branding b = loadBranding();
    b.SkinSwitch = on;
    return b;
}

QColor color(QWidget *w, QPalette::ColorRole role) {
    return w->palette().color(role);
}
} // namespace

class TestSkin : public QObject {
    Q_OBJECT
private slots:
    void switchIsOffByDefault();
    void switchOffChangesNothing();
    void controlsTakeTheSkinColours();
    void labelsFramesAndCheckBoxesKeepTheirColours();
    void mirroredLabelsCopyAndFollowTheirSource();
    void mirroringAgainContinuesTheIndexes();
};

void TestSkin::switchIsOffByDefault() {
    QVERIFY(!loadBranding().SkinSwitch);
}

void TestSkin::switchOffChangesNothing() {
    SampleWindow s;
    const QList<QWidget *> all = s.window.findChildren<QWidget *>() << &s.window;
    QList<QPalette> palettes;
    QList<bool> fills;
    for (QWidget *w : all) {
        palettes << w->palette();
        fills << w->autoFillBackground();
    }
    const Branding off = withSkin(false);
    startSkin(off, &s.window);
    QVERIFY(mirrorLabels(off, &s.window, QStringLiteral("SkinLabel1"), isPlainLabel).isEmpty());
    applySkin(off, &s.window);
    endSkin(off);
    QCOMPARE(s.window.findChildren<QWidget *>().size() + 1, all.size());
    for (int i = 0; i < all.size(); ++i) {
        QVERIFY2(all[i]->palette() == palettes[i], all[i]->metaObject()->className());
        QCOMPARE(all[i]->autoFillBackground(), fills[i]);
    }
}

void TestSkin::controlsTakeTheSkinColours() {
    SampleWindow s;
    const SkinProperties skin = SkinProperties::standard();
    QCOMPARE(skin.C1(), QColor(124, 83, 5));
    QCOMPARE(skin.C2(), QColor(242, 255, 254));
    applySkin(withSkin(true), &s.window);

    for (QWidget *box : {static_cast<QWidget *>(s.list), static_cast<QWidget *>(s.text),
                         static_cast<QWidget *>(s.combo)}) {
        QCOMPARE(color(box, QPalette::Base), skin.C1());
        QCOMPARE(color(box, QPalette::Text), skin.C2());
    }
    // The list's viewport paints the items: it must see the colours too.
    QCOMPARE(color(s.list->viewport(), QPalette::Base), skin.C1());
    QCOMPARE(color(s.button, QPalette::Button), skin.C1());
    QCOMPARE(color(s.button, QPalette::ButtonText),
             QWidget().palette().color(QPalette::ButtonText));
    QCOMPARE(color(s.picture, QPalette::Window), skin.C3());
    QVERIFY(s.picture->autoFillBackground());
    QCOMPARE(color(&s.window, QPalette::Window), skin.C1());
}

void TestSkin::labelsFramesAndCheckBoxesKeepTheirColours() {
    SampleWindow s;
    const QPalette design = QWidget().palette();
    applySkin(withSkin(true), &s.window);
    for (QWidget *w : {static_cast<QWidget *>(s.label), static_cast<QWidget *>(s.frame),
                       static_cast<QWidget *>(s.check)}) {
        QVERIFY2(!w->testAttribute(Qt::WA_SetPalette), w->metaObject()->className());
        QCOMPARE(color(w, QPalette::WindowText), design.color(QPalette::WindowText));
        QCOMPARE(color(w, QPalette::Button), design.color(QPalette::Button));
    }
}

void TestSkin::mirroredLabelsCopyAndFollowTheirSource() {
    SampleWindow s;
    s.window.resize(300, 400);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    const QList<QLabel *> added =
        mirrorLabels(withSkin(true), &s.window, QStringLiteral("SkinLabel1"), isPlainLabel);
    // The caption and the hidden label; not the picture.
    QCOMPARE(added.size(), 2);
    QLabel *copy = nullptr;
    QLabel *hiddenCopy = nullptr;
    for (QLabel *l : added) {
        QCOMPARE(l->objectName(), QStringLiteral("SkinLabel1"));
        (l->text() == QStringLiteral("Caption") ? copy : hiddenCopy) = l;
    }
    QVERIFY(copy && hiddenCopy);
    QCOMPARE(copy->parentWidget(), s.frame);
    QCOMPARE(copy->geometry(), s.label->geometry());
    QCOMPARE(copy->font(), s.label->font());
    QVERIFY(copy->isVisible());
    QVERIFY(!hiddenCopy->isVisibleTo(&s.window));
    // The mirrored label itself is untouched.
    QCOMPARE(s.label->text(), QStringLiteral("Caption"));
    QVERIFY(!s.label->testAttribute(Qt::WA_SetPalette));

    s.window.resize(500, 600);
    QTRY_COMPARE(copy->geometry(), s.label->geometry());
    s.hidden->show();
    QTRY_VERIFY(hiddenCopy->isVisible());
}

void TestSkin::mirroringAgainContinuesTheIndexes() {
    SampleWindow s;
    const Branding on = withSkin(true);
    const auto first = mirrorLabels(on, &s.window, QStringLiteral("SkinLabel1"), isPlainLabel);
    const auto second = mirrorLabels(on, &s.window, QStringLiteral("SkinLabel1"),
                                     [&s](QWidget *w) { return w == s.label; });
    QCOMPARE(first.size(), 2);
    QCOMPARE(second.size(), 1);
    QCOMPARE(first[0]->property("skinIndex").toInt(), 0);
    QCOMPARE(first[1]->property("skinIndex").toInt(), 1);
    QCOMPARE(second[0]->property("skinIndex").toInt(), 2);
    // Skin labels are never mirrored themselves.
    const auto third = mirrorLabels(on, &s.window, QStringLiteral("SkinLabel2"), isPlainLabel);
    QCOMPARE(third.size(), 2);
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
