#pragma once

class QApplication;

// The test process's one QApplication (on Qt's offscreen platform), made on first use from
// the thread that runs the tests.
QApplication& testApp();
