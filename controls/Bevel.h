#pragma once

#include <QRect>

class QFrame;
class QWidget;

// A sunken horizontal rule on `parent` at `where`, the line that parts a window's heading or
// menu bar from what follows it. GUI thread only.
QFrame* NewBevel(QWidget* parent, QRect where);
