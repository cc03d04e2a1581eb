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
// text that is no place, or one farther than a million pixels from the origin.
std::optional<QRect> ParsePlace(const std::string& text);

// The screen on which the top edge of `place`, where its title bar is, lies far enough for the
// window to be grabbed and moved; nothing when there is none among `screens`.
std::optional<QRect> ScreenOfTitleBar(const QRect& place, const QList<QRect>& screens);
bool TitleBarVisible(const QRect& place, const QList<QRect>& screens);

// Where a window of `size` comes back to at the top left of `stored`: its size no larger than
// the screen its title bar is on; nothing when the title bar is on none of `screens`.
std::optional<QRect> PlaceOnScreens(const QRect& stored, QSize size, const QList<QRect>& screens);

// Puts `window` at the stored place (and size, no smaller than its minimum, no larger than its
// screen) when its title bar would be visible on one of the screens now attached; false,
// leaving it alone (at its first place), otherwise.
bool RestorePlace(QWidget* window, const std::string& text);
