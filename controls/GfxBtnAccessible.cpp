#include "controls/GfxBtnAccessible.h"

#include "controls/GfxBtn.h"

namespace {

QAccessibleInterface* forButton(const QString& className, QObject* object) {
  if (className != QLatin1String("TGfxBtn") || !object || !object->isWidgetType()) return nullptr;
  return new TGfxBtnAccessible(static_cast<TGfxBtn*>(object));
}

} // namespace

TGfxBtnAccessible::TGfxBtnAccessible(TGfxBtn* button) : QAccessibleWidget(button, QAccessible::Button) {}

void TGfxBtnAccessible::install() {
  static const bool installed = [] {
    QAccessible::installFactory(forButton);
    return true;
  }();
  (void)installed;
}

QStringList TGfxBtnAccessible::actionNames() const {
  return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void TGfxBtnAccessible::doAction(const QString& actionName) {
  if (actionName == pressAction())
    static_cast<TGfxBtn*>(widget())->click();
  else
    QAccessibleWidget::doAction(actionName);
}

QStringList TGfxBtnAccessible::keyBindingsForAction(const QString& actionName) const {
  if (actionName == pressAction()) return {QStringLiteral("Space")};
  return QAccessibleWidget::keyBindingsForAction(actionName);
}
