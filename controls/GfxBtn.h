#pragma once

#include <QKeySequence>
#include <QPixmap>
#include <QWidget>

#include <string>

// A push button drawn entirely from bitmaps: BitmapUp while up, BitmapDown while the left
// mouse button or Space holds it down. No caption: the picture carries the label, and the
// accessible name says it to a screen reader, to which the button is a push button. It takes
// the focus in the tab order and shows it with a dotted rectangle on its picture. A release of
// any mouse button strictly inside the button clicks it, after OnMouseUp; so do a release of
// Space, Return, and the access key.
class TGfxBtn : public QWidget {
  Q_OBJECT

public:
  explicit TGfxBtn(QWidget* parent = nullptr);
  // A button at `where` showing the program's bitmaps `<name>up.bmp` and `<name>down.bmp`.
  static TGfxBtn* fromBitmaps(QWidget* parent, const std::string& name, QPoint where);
  // A dialog's OK: its bitmaps, named "OK", Alt+O, and the dialog's default button.
  static TGfxBtn* okButton(QWidget* dialog, QPoint where);
  // A dialog's Cancel: its bitmaps, named "Cancel", Alt+C.
  static TGfxBtn* cancelButton(QWidget* dialog, QPoint where);

  bool AutoSize() const { return m_autoSize; }
  // Switching it on sizes the button to BitmapUp (left and top kept); off changes nothing else.
  void setAutoSize(bool on);

  // Each setter copies the picture into the button's own bitmap; no resize, no repaint.
  const QPixmap& BitmapUp() const { return m_up; }
  void setBitmapUp(const QPixmap& bitmap) { m_up = bitmap.copy(); }
  const QPixmap& BitmapDown() const { return m_down; }
  void setBitmapDown(const QPixmap& bitmap) { m_down = bitmap.copy(); }
  // Held and kept, never drawn: a disabled button shows BitmapUp.
  const QPixmap& BitmapGray() const { return m_gray; }
  void setBitmapGray(const QPixmap& bitmap) { m_gray = bitmap.copy(); }

  // Stored only; a click does not end the dialog by itself.
  int Modalresult = 0;

  // A key that clicks the button while its window is active (Alt+O for OK, say), taken before
  // any field sees it.
  void setAccessKey(const QKeySequence& key);
  // Clicks the button as the keyboard does.
  void click();
  // The default button of its window: a Return or Enter that no control of the window has
  // used clicks it. Set once the button is in its window.
  void setDefault();

  bool isPressed() const { return m_pressed; }

signals:
  void OnClick();
  void OnMouseDown(Qt::MouseButton button, QPoint position);
  void OnMouseUp(Qt::MouseButton button, QPoint position);
  void OnMouseMove(QPoint position);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool m_autoSize = true;
  bool m_pressed = false;
  QPixmap m_up;
  QPixmap m_down;
  QPixmap m_gray;
};
