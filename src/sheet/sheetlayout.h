#pragma once
// The design of the measurement sheet as data: every control's name, place
// (twips), caption, colours and face, and the menu bar's entries. SheetWindow is
// built from it.

#include <QRgb>
#include <QStringList>
#include <vector>

namespace SheetLayout {

enum class Kind { Label, TextBox, Button, Frame };

// Tahoma 8.25 (the window's), Tahoma 9.75, Tahoma 6, Times New Roman 9, CG Omega 8.25,
// and a narrow 8.25 for the few labels whose text outgrows its place in the
// outline Tahoma this platform ships, which is wider than the original face.
enum class Face { Window, Number, Small, Heading, Row, Narrow };

constexpr QRgb Unset = 0;

// The frame of the optional calibration.
inline constexpr char Frame[] = "Frame1"; // a real colour always has alpha 255

struct Control
{
    const char *name;
    Kind kind;
    const char *parent; // "" for the window, Frame inside the frame
    int left, top, width, height; // twips; a label of width 0 takes its text's size
    const char *caption; // a text box's initial text is the field table's
    QRgb background;
    QRgb foreground;
    Face face;
    bool alignRight;
};

struct Line
{
    const char *name;
    int x1, y1, x2, y2; // twips, in the frame
};

constexpr int ClientWidth = 526;
constexpr int ClientHeight = 420;

// A menu appears with its first entry; its entries follow in the table's order.
struct MenuEntry
{
    const char *menu;
    const char *menuCaption;
    const char *name;
    const char *caption;
};

const std::vector<Control> &controls();
const std::vector<MenuEntry> &menuEntries();
const std::vector<Line> &lines();
const QStringList &tabOrder();

} // namespace SheetLayout
