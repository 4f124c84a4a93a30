#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <functional>

class QLabel;
class QWidget;
struct Branding;

// The saved properties of the skin Kestrin ships ("Web Deep Red"). The skin engine is our own
// and small: it lays these colours onto the windows through their palettes.
struct SkinProperties {
    QString author;
    QString description;
    QString application;
    int hue = 0;
    QColor backColor;
    QColor foreColor;
    QColor panelColor;
    QColor panelTextColor;
    bool applyColors = false;
    bool skinClientArea = true;

    static SkinProperties standard();

    // The four colours in the order the windows ask for them.
    QColor C1() const { return backColor; }
    QColor C2() const { return foreColor; }
    QColor C3() const { return panelColor; }
    QColor C4() const { return panelTextColor; }
};

// Every call below does nothing while Branding::SkinSwitch is off, so with the switch off (the
// default) no window differs from its design.

// Starts the skin at program start: skins the splash window.
void startSkin(const Branding &branding, QWidget *splash);
// Buttons take C1 as background; text, combo and list boxes C1 as background and C2 as text;
// picture boxes C3. Labels, frames and check boxes keep their own colours. The window's client
// area takes C1.
void applySkin(const Branding &branding, QWidget *window);

// Picks the controls MirrorLabels copies.
using SkinLabelSelection = std::function<bool(QWidget *control)>;
// Adds a skin label (objectName `array`, property "skinIndex" one above the array's highest)
// over every control of `window` that `selection` picks, copying its place, size, font, text
// and visibility. The copied control itself is left as it is. Returns the new labels.
QList<QLabel *> mirrorLabels(const Branding &branding, QWidget *window, const QString &array,
                             const SkinLabelSelection &selection);
// The usual selection: every plain text label (not a picture, not a skin label).
bool isPlainLabel(QWidget *control);
// True for a control that the skin paints as a picture box: a label showing a pixmap, or any
// widget with the dynamic property "pictureBox" set to true.
bool isPictureBox(QWidget *control);
// Releases the skin when the program ends.
void endSkin(const Branding &branding);
