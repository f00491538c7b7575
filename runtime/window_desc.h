#pragma once
// Window descriptions: each window is data, one row per control, in the
// order and terms of the tables that describe it. The runtime turns a
// description into widgets; nothing else creates controls.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <map>
#include <vector>

namespace rt {

enum class Kind {
    Window,
    MenuItem,
    EditBox,
    GroupBox,
    Button,
    CheckBox,
    RadioButton,
    ComboBox,
    CommonDialog,
    Timer,
    Label,  // transparent label
    Separator,
    MediaPlayer,
    Grid,
    MenuBar,
};

// Event number -> name of the logic routine bound to it. Names are resolved
// through the handler registry when the window is loaded, so descriptions
// stay plain data and do not depend on the logic layers.
using EventBindings = std::map<int, QString>;

struct ControlDesc {
    QString name;
    Kind kind;
    QString parent;  // empty: the window's client area
    int left = 0, top = 0, width = 0, height = 0;
    QString caption;
    // The few properties that differ from the kind's defaults. Keys used:
    //  fontPx (int), fontFace (QString), bold, underline (bool),
    //  align ("left"|"center"|"right"), wordWrap, disabled, hidden, checked,
    //  fg, bg (QString "#RRGGBB"), border ("sunken"|"single"|"none"),
    //  input ("int"|"decimal"|"readonly"|"normal"), maxLength (int),
    //  multiLine, vScroll (bool), items (QStringList), cursor ("hand"),
    //  period (int ms), filter (QString), dialogType (int),
    //  name (QString: what assistive technology calls it), focus (bool:
    //  takes the keyboard when the window opens), fit (QString: a text the
    //  box must show whole), announce (bool: a label whose appearance is
    //  news), z (bool: stacks above every other control), under (QString: stacks
    //  just below that control), later (bool: built, with every widget inside
    //  it, after the window's first paint, or as soon as anything asks for
    //  one of them; the window's completed event follows), columnIndents
    //  (bool: a multi-line box's lines that begin with spaces start under
    //  the column they count to in the line above, see column_indents.h)
    QVariantMap props;
    EventBindings events;
};

struct MenuItemDesc {
    int level = 0;  // 0 bar entry, 1 drop-down item, 2 submenu item
    QString caption;
    bool checkable = false;
    bool submenu = false;  // level-1 item that opens a level-2 list
    EventBindings events;  // 0: chosen
};

struct MenuSkin {
    QStringList colours;  // the stored drawing colours, "#RRGGBB"
    QString background;
    QString fontFace;
    int fontPx = 12;
};

// A region of the client area that shows only at some outer sizes. A
// window with panels clips its client area to the panels of its current
// size, so nothing of a closed panel shows, whatever frame surrounds it.
struct PanelDesc {
    QRect region;       // client coordinates
    QList<int> widths;  // outer widths it shows at; empty: every width
    QList<int> heights;
};

struct WindowDesc {
    QString name;
    QString caption;
    int left = 50, top = 50, width = 300, height = 300;  // stored outer geometry
    bool centred = true;                                 // placed centred on the screen at creation
    bool minimizeButton = true;
    bool maximizeButton = false;
    bool fixedBorder = true;  // the user cannot resize by dragging
    EventBindings events;     // 0 created, 1 may close, 2 destroying, 3 moved, 4 resized
    std::vector<ControlDesc> controls;
    std::vector<PanelDesc> panels;   // empty: the whole client area shows
    std::vector<MenuItemDesc> menu;  // empty: no menu bar
    MenuSkin menuSkin;
};

}  // namespace rt
