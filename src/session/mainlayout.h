#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>

// Where the main window's controls go for a window of W x H twips (1/1440 inch). Widget-free so
// the proportions can be checked exactly; the window converts the result to pixels.
//
// Frame1 and Frame2 are placed in the client area; cmdWebsite and the search controls in Frame1;
// lists, captions and list buttons in Frame2.
class MainLayout {
public:
    static constexpr double MinimumSize = 6500;
    static constexpr double CorrectedSize = 6501;

    // A control whose place never changes: its objectName and rectangle in twips.
    struct Fixed {
        QString name;
        QRectF rect;
    };

    static bool fits(double width, double height);
    // The size to give a window below the minimum: every short side becomes 6501 twips.
    static QSizeF corrected(double width, double height);

    // Conversions for a screen of `dpi` logical dots per inch. Rectangle edges are rounded
    // separately so neighbours keep their gaps; sizes round up so a minimum is never undershot.
    static double toTwips(int pixels, double dpi) { return pixels * 1440.0 / dpi; }
    static int sizeInPixels(double twips, double dpi);
    static QRect toPixels(const QRectF &twips, double dpiX, double dpiY);

    // Places every resizing control for a window of `width` x `height` with a status bar of
    // `statusBarHeight`, all in twips.
    void compute(double width, double height, double statusBarHeight);

    // The design positions of the controls in Frame1 (the search panel).
    static const QList<Fixed> &fixedControls();

    QRectF frame1;
    QRectF frame2;
    QRectF website;
    std::array<double, 3> panelWidths{};
    // Indexed by list number 1 to 5; element 0 is unused.
    std::array<QRectF, 6> lists;
    std::array<QRectF, 6> labels;
    std::array<QRectF, 6> copyButtons;
    std::array<QRectF, 6> clearButtons;
    std::array<QRectF, 6> clear2Buttons;
};
