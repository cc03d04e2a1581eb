#pragma once

// The repeat of one held move key: it acts when it goes down, again `delay` ms later and then
// every `interval` ms while it stays down. Times are milliseconds on one steady clock. Several
// repeats fall due in one look when the interval is shorter than the time between looks; a
// look that comes late catches up at most kCatchUp ms, so a stalled game does not fling the
// brick across the field.
class TKeyRepeat {
public:
  static constexpr double kCatchUp = 100;

  // The key went down at `now` and has acted once.
  void press(double now, double delay, double interval);
  void release() { m_held = false; }
  bool held() const { return m_held; }
  // The repeats due up to `now` since the last call (0 while not held); marks them done.
  int take(double now);

private:
  bool m_held = false;
  double m_next = 0;
  double m_interval = 0;
};
