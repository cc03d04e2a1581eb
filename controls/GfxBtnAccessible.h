#pragma once

#include <QAccessibleWidget>

class TGfxBtn;

// What a screen reader sees of a bitmap button: a push button named by its accessible name,
// whose press action clicks it. GUI thread only.
class TGfxBtnAccessible : public QAccessibleWidget {
public:
  explicit TGfxBtnAccessible(TGfxBtn* button);

  // Makes Qt's accessibility use this class for every TGfxBtn; doing it again does nothing.
  static void install();

  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
  QStringList keyBindingsForAction(const QString& actionName) const override;
};
