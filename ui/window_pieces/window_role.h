// Screen readers learn from a window's role that it is one: a frame they can list, name and move
// to. Qt gives that role only to its main-window class; a window made of a plain widget reports
// a filler, a dialog a dialog. The program's own windows report themselves as windows.
#pragma once

class QWidget;

namespace WindowRole {

// `window`, a top-level widget, reports the window role to screen readers from now on.
void reportAsWindow(QWidget *window);

} // namespace WindowRole
