#pragma once

#include "music/ModuleDetails.h"

#include <QMenu>

#include <cstdint>
#include <vector>

class QActionGroup;

// The Music menu's "Subsong" submenu: one item per subsong of the loaded module, by the
// module's name for it or "Subsong n", with its length; the one playing is checked. It is
// disabled for a module with a single subsong. GUI thread only.
class TSubsongMenu : public QMenu {
  Q_OBJECT

public:
  explicit TSubsongMenu(QWidget* parent = nullptr);

  // Lists `subsongs`, `playing` (from 0) checked; nothing listed for none.
  void showSubsongs(const std::vector<TSubsong>& subsongs, int32_t playing);

signals:
  // The user chose subsong `index` (from 0).
  void subsongChosen(int32_t index);

private:
  QActionGroup* m_group;
  std::vector<TSubsong> m_shown;
};
