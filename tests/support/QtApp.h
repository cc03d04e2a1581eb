#pragma once

class QApplication;

// The test process's one QApplication (on Qt's offscreen platform): the one the test program
// made itself, or else one made on first use from the thread that runs the tests.
QApplication& testApp();
