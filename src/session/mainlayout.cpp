#include "session/mainlayout.h"

#include <cmath>

namespace {
// Proportional rule, in twips.
constexpr double Frame1Overhang = 200;
constexpr double Frame2SideAllowance = 300;
constexpr double Frame2BottomAllowance = 1000;
constexpr double WebsiteRightAllowance = 800;
constexpr double ListWidthAllowance = 250;
constexpr double FirstListLeft = 125;
constexpr double FreeListGap = 75;
constexpr double SectionGap = 300;
constexpr double ButtonGap = 25;

// Design tops and heights, in twips. The search panel spans the top of the window; below it
// the result frame holds, per list, a caption, a row of three small buttons and the list. A
// caption has room for two lines, as a list is narrower than its caption at small sizes.
constexpr double Frame1Left = -100; // the overhang hides the panel's side borders
constexpr double Frame1Height = 1380;
constexpr double Frame2Left = 120;
constexpr double Frame2Top = 1440;
constexpr double LabelTop = 300;
constexpr double LabelHeight = 510;
constexpr double ButtonTop = 830;
constexpr double ButtonSize = 330;
constexpr double ListTop = 1220;

constexpr double RowTop = 150;
constexpr double FieldHeight = 375;
constexpr double CaptionTop = 620;
constexpr double CaptionHeight = 240;
constexpr double FieldTop = 870;
constexpr double WebsiteLeft = 3050;

// Left edges in Frame1 of the second row's columns: two fields, the action button, Stop, Setup.
// The second column is wide enough for "~1000 Domains" in Combo2, the first for its caption.
constexpr double ColumnA = 300;
constexpr double ColumnB = 1625;
constexpr double ColumnAction = 3600;
constexpr double ColumnStop = 4575;
constexpr double ColumnSetup = 5550;
constexpr double WidthA = 1250;
constexpr double WidthB = 1900;
constexpr double ButtonWidth = 900;
} // namespace

bool MainLayout::fits(double width, double height) {
    return width >= MinimumSize && height >= MinimumSize;
}

QSizeF MainLayout::corrected(double width, double height) {
    return {width < MinimumSize ? CorrectedSize : width,
            height < MinimumSize ? CorrectedSize : height};
}

int MainLayout::sizeInPixels(double twips, double dpi) {
    return int(std::ceil(twips * dpi / 1440.0 - 1e-9));
}

QRect MainLayout::toPixels(const QRectF &twips, double dpiX, double dpiY) {
    const auto x = [dpiX](double t) { return int(std::lround(t * dpiX / 1440.0)); };
    const auto y = [dpiY](double t) { return int(std::lround(t * dpiY / 1440.0)); };
    const int left = x(twips.left());
    const int top = y(twips.top());
    return QRect(left, top, x(twips.right()) - left, y(twips.bottom()) - top);
}

void MainLayout::compute(double width, double height, double statusBarHeight) {
    frame1 = QRectF(Frame1Left, 0, width + Frame1Overhang, Frame1Height);
    frame2 = QRectF(Frame2Left, Frame2Top, width - Frame2SideAllowance,
                    height - Frame2Top - Frame2BottomAllowance);
    const double fw = frame2.width();
    const double fh = frame2.height();

    website = QRectF(WebsiteLeft, RowTop,
                     std::abs(frame1.width() - WebsiteLeft - WebsiteRightAllowance), FieldHeight);
    panelWidths = {fw / 4, fw / 4, fw / 2};

    const double listWidth = width / 5 - ListWidthAllowance;
    const double listHeight = fh - ListTop - statusBarHeight;
    // Left to right: High, Mid, Low, Registered, Saved.
    const std::array<int, 5> order{3, 4, 1, 2, 5};
    const std::array<double, 5> gapBefore{0, FreeListGap, FreeListGap, SectionGap, SectionGap};
    double left = FirstListLeft;
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            left += listWidth + gapBefore[i];
        lists[order[i]] = QRectF(left, ListTop, listWidth, listHeight);
    }

    for (int k = 1; k <= 5; ++k) {
        const double l = lists[k].left();
        copyButtons[k] = QRectF(l, ButtonTop, ButtonSize, ButtonSize);
        clearButtons[k] =
            QRectF(copyButtons[k].right() + ButtonGap, ButtonTop, ButtonSize, ButtonSize);
        clear2Buttons[k] =
            QRectF(clearButtons[k].right() + ButtonGap, ButtonTop, ButtonSize, ButtonSize);
        labels[k] = QRectF(l, LabelTop, lists[1].width(), LabelHeight);
    }
}

const QList<MainLayout::Fixed> &MainLayout::fixedControls() {
    static const QList<Fixed> controls{
        {QStringLiteral("Combo1"), {ColumnA, RowTop, WebsiteLeft - 150 - ColumnA, FieldHeight}},
        {QStringLiteral("wLabel1"), {ColumnA, CaptionTop, WidthA, CaptionHeight}},
        {QStringLiteral("wLabel2"), {ColumnB, CaptionTop, WidthB, CaptionHeight}},
        {QStringLiteral("txtWordNum"), {ColumnA, FieldTop, WidthA, FieldHeight}},
        {QStringLiteral("txtWordMax"), {ColumnB, FieldTop, WidthB, FieldHeight}},
        {QStringLiteral("cmdDoSearch"), {ColumnAction, FieldTop, ButtonWidth, FieldHeight}},
        {QStringLiteral("SLabel1"), {ColumnA, CaptionTop, WidthA, CaptionHeight}},
        {QStringLiteral("SLabel2"), {ColumnB, CaptionTop, WidthB, CaptionHeight}},
        {QStringLiteral("txtSearch"), {ColumnA, FieldTop, WidthA, FieldHeight}},
        {QStringLiteral("Combo2"), {ColumnB, FieldTop, WidthB, FieldHeight}},
        {QStringLiteral("cmdCreate"), {ColumnAction, FieldTop, ButtonWidth, FieldHeight}},
        {QStringLiteral("Command3"), {ColumnStop, FieldTop, ButtonWidth, FieldHeight}},
        {QStringLiteral("cmdSetup"), {ColumnSetup, FieldTop, ButtonWidth, FieldHeight}},
    };
    return controls;
}
