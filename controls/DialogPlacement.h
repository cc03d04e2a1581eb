#pragma once

class QWidget;

// Centres `dialog` on `mainWindow`: left = main left + main width / 2 - own width / 2, top
// likewise, each half an integer division that truncates; frames included. Nothing happens
// without a main window.
void CenterOnWindow(QWidget* dialog, const QWidget* mainWindow);
