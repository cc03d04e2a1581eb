#pragma once

#include <QList>
#include <QRect>

#include <optional>
#include <string>

class QWidget;

// Windows that come back where the user left them. A place is stored as text: "left,top" for
// a window of fixed size, "left,top,width,height" for one the user may resize; left and top
// are those of the frame, as QWidget::pos() gives them. GUI thread only.

// The place of `window` as stored: with its size when `withSize`.
std::string PlaceOf(const QWidget* window, bool withSize);

// The rectangle that stored `text` stands for (an empty size when it holds none); nothing for
// text that is no place.
std::optional<QRect> ParsePlace(const std::string& text);

// True when the top edge of `place`, where its title bar is, lies on one of `screens` far
// enough for the window to be grabbed and moved.
bool TitleBarVisible(const QRect& place, const QList<QRect>& screens);

// Puts `window` at the stored place (and size, no smaller than its minimum) when its title bar
// would be visible on one of the screens now attached; false, leaving it alone, otherwise.
bool RestorePlace(QWidget* window, const std::string& text);
