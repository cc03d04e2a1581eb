#include "controls/Bevel.h"

#include <QFrame>

QFrame* NewBevel(QWidget* parent, QRect where) {
  auto* bevel = new QFrame(parent);
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(where);
  return bevel;
}
