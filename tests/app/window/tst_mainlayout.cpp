#include "session/mainlayout.h"

#include <QTest>

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void proportionsAt10000Twips();
    void minimumRule_data();
    void minimumRule();
    void searchPanelFitsTheMinimumWidth();
    void pixelConversion();
};

void TestMainLayout::proportionsAt10000Twips() {
    MainLayout l;
    l.compute(10000, 8000, 300);

    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(l.lists[k].width(), 1750.0);
        QCOMPARE(l.lists[k].height(), 8000.0 - 1440 - 1000 - l.lists[k].top() - 300);
        QCOMPARE(l.labels[k].left(), l.lists[k].left());
        QCOMPARE(l.labels[k].width(), 1750.0);
        QCOMPARE(l.copyButtons[k].left(), l.lists[k].left());
        QCOMPARE(l.clearButtons[k].left(), l.copyButtons[k].right() + 25);
        QCOMPARE(l.clear2Buttons[k].left(), l.clearButtons[k].right() + 25);
        // Caption, buttons and list are stacked without overlap.
        QVERIFY(l.labels[k].bottom() <= l.copyButtons[k].top());
        QVERIFY(l.clear2Buttons[k].right() <= l.lists[k].right());
        QVERIFY(l.copyButtons[k].bottom() < l.lists[k].top());
    }
    // Left to right: High (3), Mid (4), Low (1), Registered (2), Saved (5).
    QCOMPARE(l.lists[3].left(), 125.0);
    QCOMPARE(l.lists[4].left(), l.lists[3].right() + 75);
    QCOMPARE(l.lists[1].left(), l.lists[4].right() + 75);
    QCOMPARE(l.lists[2].left(), l.lists[1].right() + 300);
    QCOMPARE(l.lists[5].left(), l.lists[2].right() + 300);
    QVERIFY(l.lists[5].right() <= l.frame2.width());

    QCOMPARE(l.frame1.width(), 10200.0);
    QCOMPARE(l.frame2.width(), 9700.0);
    QCOMPARE(l.frame2.height(), 8000.0 - l.frame2.top() - 1000);
    QCOMPARE(l.website.width(), 10200.0 - l.website.left() - 800);
    QCOMPARE(l.panelWidths[0], 9700.0 / 4);
    QCOMPARE(l.panelWidths[1], 9700.0 / 4);
    QCOMPARE(l.panelWidths[2], 9700.0 / 2);

    // Widths are not rounded.
    l.compute(10001, 8000, 300);
    QCOMPARE(l.lists[1].width(), 10001.0 / 5 - 250);
}

void TestMainLayout::minimumRule_data() {
    QTest::addColumn<double>("w");
    QTest::addColumn<double>("h");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QSizeF>("corrected");
    QTest::newRow("exactly minimum") << 6500.0 << 6500.0 << true << QSizeF(6500, 6500);
    QTest::newRow("narrow") << 6499.0 << 9000.0 << false << QSizeF(6501, 9000);
    QTest::newRow("low") << 9000.0 << 6499.0 << false << QSizeF(9000, 6501);
    QTest::newRow("both") << 100.0 << 100.0 << false << QSizeF(6501, 6501);
}

void TestMainLayout::minimumRule() {
    QFETCH(double, w);
    QFETCH(double, h);
    QFETCH(bool, fits);
    QFETCH(QSizeF, corrected);
    QCOMPARE(MainLayout::fits(w, h), fits);
    QCOMPARE(MainLayout::corrected(w, h), corrected);
    QVERIFY(MainLayout::fits(MainLayout::corrected(w, h).width(),
                             MainLayout::corrected(w, h).height()));
}

void TestMainLayout::searchPanelFitsTheMinimumWidth() {
    MainLayout l;
    l.compute(MainLayout::MinimumSize, MainLayout::MinimumSize, 375);
    for (const MainLayout::Fixed &c : MainLayout::fixedControls()) {
        QVERIFY2(l.frame1.left() + c.rect.right() <= MainLayout::MinimumSize, qPrintable(c.name));
        QVERIFY2(c.rect.bottom() <= l.frame1.height(), qPrintable(c.name));
    }
    // Controls only share room with their stand-in of the other search group, in the same place.
    const QList<MainLayout::Fixed> &controls = MainLayout::fixedControls();
    for (const MainLayout::Fixed &a : controls) {
        for (const MainLayout::Fixed &b : controls) {
            QVERIFY2(&a == &b || a.rect == b.rect || !a.rect.intersects(b.rect),
                     qPrintable(a.name + QLatin1Char('/') + b.name));
        }
    }
    QVERIFY(l.frame1.bottom() <= l.frame2.top());
    QVERIFY(l.lists[1].height() > 0);
}

void TestMainLayout::pixelConversion() {
    QCOMPARE(MainLayout::toTwips(96, 96), 1440.0);
    QCOMPARE(MainLayout::toTwips(100, 120), 1200.0);
    // Rounding a size up keeps a minimum from being undershot.
    QCOMPARE(MainLayout::sizeInPixels(6500, 96), 434);
    QCOMPARE(MainLayout::sizeInPixels(6510, 96), 434);
    // Edges round separately: two lists 75 twips apart stay apart.
    const QRect a = MainLayout::toPixels(QRectF(125, 0, 1750, 300), 96, 96);
    const QRect b = MainLayout::toPixels(QRectF(1950, 0, 1750, 300), 96, 96);
    QCOMPARE(a.left(), 8);
    QCOMPARE(a.width(), 117);
    QVERIFY(b.left() > a.left() + a.width());
}

QTEST_GUILESS_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
