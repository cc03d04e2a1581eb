#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class QCoreApplication;

// Asynchronous key state by Windows virtual-key code (1 to 255): letters 65-90, digits 48-57,
// Return 13, Escape 27, Space 32, arrows 37-40 (left, up, right, down), Shift 16, Control 17,
// Alt 18, Backspace 8, Tab 9, F1-F12 112-123, mouse buttons 1 (left), 2 (right), 4 (middle).

constexpr int VK_LBUTTON = 1, VK_RBUTTON = 2, VK_MBUTTON = 4;
constexpr int VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
              VK_MENU = 18, VK_PAUSE = 19, VK_ESCAPE = 27, VK_SPACE = 32;
constexpr int VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36;
constexpr int VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40;
constexpr int VK_INSERT = 45, VK_DELETE = 46;
constexpr int VK_NUMPAD0 = 96;
constexpr int VK_F1 = 112, VK_F12 = 123;

// The key table behind GetAsyncKeyState. Each key has a held bit and a "pressed since the
// last query" bit. Every member is safe from any thread.
class TKeyboardState {
public:
  void press(int vk);   // held, and pressed since the last query
  void release(int vk); // no longer held; a press not yet queried stays reported
  void releaseAll();    // every key up, as when the program loses the focus
  // Bit 15 (0x8000) while held, bit 0 when pressed since the previous query of this key; the
  // query clears bit 0. Codes outside 1 to 255 give 0.
  int16_t query(int vk);
  // Whether the key is held, without touching its pressed bit.
  bool held(int vk) const;

private:
  static constexpr uint8_t kHeld = 1, kPressed = 2;
  std::array<std::atomic<uint8_t>, 256> m_keys{};
};

// The program's one key table, fed by the filter that InstallKeyboardFilter installs.
TKeyboardState& KeyboardState();

// GetAsyncKeyState semantics over KeyboardState(); safe from any thread.
int16_t GetAsyncKeyState(int vk);

// The virtual-key code of a Qt key (Qt::Key value; `keypad` when the key is on the numeric
// pad), or 0 when the key has none.
int VirtualKeyFromQtKey(int qtKey, bool keypad);

// Installs the application-wide event filter that keeps KeyboardState() up to date: a press
// sets a key down, a release sets it up (auto-repeat ignored), mouse buttons likewise, and
// losing the focus releases every key. Call once, on the GUI thread.
void InstallKeyboardFilter(QCoreApplication* app);
