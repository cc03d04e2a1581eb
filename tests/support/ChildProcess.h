#pragma once

#include <functional>

// Runs `body` in a forked child process and returns its result (0 to 255), or -1 when the
// child did not end normally. Lets a test run code as another user or under resource limits
// without touching the test process itself.
int inChildProcess(const std::function<int()>& body);

// Makes the calling (child) process an unprivileged user when it runs as root, so that file
// permissions apply to it; true on success or when it is not root.
bool dropRoot();
