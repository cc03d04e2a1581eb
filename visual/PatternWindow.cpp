#include "visual/PatternWindow.h"

#include "music/midasdll.h"
#include "visual/PatternCanvas.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kFrameMs = 33;

TPatternText fetchText(uint32_t module, int32_t pattern) {
  TPatternText text;
  MIDASgetPatternText(module, pattern, &text);
  return text;
}

} // namespace

TPatternWindow::TPatternWindow(std::function<bool()> playing, QWidget* parent)
    : QWidget(parent, Qt::Window), Model(fetchText), m_playing(std::move(playing)), m_timer(new QTimer(this)) {
  setWindowTitle("Pattern view");
  Canvas = new TPatternCanvas(Model);
  Channels = new QScrollBar(Qt::Horizontal);
  Channels->setAccessibleName("Channels shown");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(Canvas, 1);
  layout->addWidget(Channels);
  resize(800, 500);
  connect(Channels, &QScrollBar::valueChanged, Canvas, &TPatternCanvas::setFirstChannel);
  connect(Canvas, &TPatternCanvas::columnsChanged, this, &TPatternWindow::fitScrollBar);
  connect(Canvas, &TPatternCanvas::mutesChanged, this,
          [this] { MIDASsetChannelMutes(Model.view().Module, Model.mutes().mutes()); });
  connect(Canvas, &TPatternCanvas::channelChosen, this, [this](int32_t channel) {
    if (channel < Channels->value()) Channels->setValue(channel);
    if (channel >= Channels->value() + Canvas->columnsShown()) Channels->setValue(channel - Canvas->columnsShown() + 1);
  });
  m_timer->setInterval(kFrameMs);
  connect(m_timer, &QTimer::timeout, this, &TPatternWindow::tick);
}

void TPatternWindow::playerChanged() {
  const bool follow = isVisible() && m_playing();
  Canvas->setGreyed(!m_playing());
  if (follow && !m_timer->isActive()) {
    m_clock.start();
    m_timer->start();
    tick();
  } else if (!follow) {
    m_timer->stop();
  }
}

void TPatternWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The last place heard, also when nothing plays now.
  TPlayView view;
  if (MIDASgetPlayView(&view)) Canvas->refresh(Model.follow(view, 0));
  fitScrollBar();
  playerChanged();
}

void TPatternWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_timer->stop();
}

void TPatternWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitScrollBar();
}

void TPatternWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
    close();
  else
    QWidget::keyPressEvent(event);
}

void TPatternWindow::fitScrollBar() {
  const int32_t hidden = std::max(0, Model.view().Channels - Canvas->columnsShown());
  Channels->setRange(0, hidden);
  Channels->setPageStep(Canvas->columnsShown());
  Channels->setVisible(hidden > 0);
}

void TPatternWindow::tick() {
  TPlayView view;
  if (!MIDASgetPlayView(&view)) return;
  const double seconds = m_clock.restart() / 1000.0;
  const int32_t channels = Model.view().Channels;
  const bool rowsChanged = Model.follow(view, seconds);
  Canvas->refresh(rowsChanged);
  if (view.Channels != channels) fitScrollBar();
}
