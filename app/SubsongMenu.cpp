#include "app/SubsongMenu.h"

#include "music/PlayTime.h"

#include <QActionGroup>

#include <algorithm>

TSubsongMenu::TSubsongMenu(QWidget* parent) : QMenu("Subson&g", parent), m_group(new QActionGroup(this)) {
  setEnabled(false);
}

void TSubsongMenu::showSubsongs(const std::vector<TSubsong>& subsongs, int32_t playing) {
  const bool same = subsongs.size() == m_shown.size() &&
                    std::equal(subsongs.begin(), subsongs.end(), m_shown.begin(),
                               [](const TSubsong& a, const TSubsong& b) {
                                 return a.Name == b.Name && a.Seconds == b.Seconds;
                               });
  if (!same) {
    clear();
    m_shown = subsongs;
    for (int32_t i = 0; i < static_cast<int32_t>(subsongs.size()); ++i) {
      // A "&" in a name is shown, not taken for a key; the tab puts the length where a menu
      // shows keys.
      QString name = QString::fromStdString(SubsongName(subsongs[i], i)).replace('&', "&&");
      QAction* action = addAction(name + '\t' +
                                  QString::fromStdString(FormatPlayTime(subsongs[i].Seconds, subsongs[i].Seconds >= 3600)));
      action->setCheckable(true);
      m_group->addAction(action);
      connect(action, &QAction::triggered, this, [this, i] { emit subsongChosen(i); });
    }
  }
  const QList<QAction*> items = actions();
  for (int32_t i = 0; i < items.size(); ++i) items[i]->setChecked(i == playing);
  setEnabled(subsongs.size() > 1);
}
