#pragma once

#include <QPixmap>
#include <QWidget>

#include <string>

// A push button drawn entirely from bitmaps: BitmapUp while up, BitmapDown while the left
// mouse button holds it down. No caption, no focus, no keyboard; the picture carries the label.
// A release of any mouse button strictly inside the button clicks it, after OnMouseUp.
class TGfxBtn : public QWidget {
  Q_OBJECT

public:
  explicit TGfxBtn(QWidget* parent = nullptr);
  // A button at `where` showing the program's bitmaps `<name>up.bmp` and `<name>down.bmp`.
  static TGfxBtn* fromBitmaps(QWidget* parent, const std::string& name, QPoint where);

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

private:
  bool m_autoSize = true;
  bool m_pressed = false;
  QPixmap m_up;
  QPixmap m_down;
  QPixmap m_gray;
};
