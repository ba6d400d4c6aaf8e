#pragma once
// The design of the measurement sheet as data: every control's name, place
// (twips), caption, colours and face. Form1 is built from it and the layout
// test reads it back from the real window.

#include <QRgb>
#include <QStringList>
#include <vector>

namespace Form1Layout {

enum class Kind { Label, TextBox, Button, Frame };

// Tahoma 8.25 (the window's), Tahoma 9.75, Tahoma 6, Times New Roman 9, CG Omega 8.25,
// and a narrow 8.25 for the few labels whose text outgrows its place in the
// outline Tahoma this platform ships, which is wider than the original face.
enum class Face { Window, Number, Small, Heading, Row, Narrow };

constexpr QRgb Unset = 0; // a real colour always has alpha 255

struct Control
{
    const char *name;
    Kind kind;
    const char *parent; // "" for the window, "Frame1" inside the frame
    int left, top, width, height; // twips; a label of width 0 takes its text's size
    const char *caption;
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

const std::vector<Control> &controls();
const std::vector<Line> &lines();
const QStringList &tabOrder();

} // namespace Form1Layout
