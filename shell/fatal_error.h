#pragma once
// The fall-back error display, usable without the application object, and the handler for
// an error that escaped every catch point.
#include <exception>
#include <functional>
#include <string>

// Shows "Application Error" with the class and module of an error, and its message when it
// is one of ours (message null otherwise).
void ShowFatalError(const char* className, const std::string* message);

// Runs body (the program's start-up and loop) and answers the process exit code: 0 after a
// normal end; 1 when an error escaped, after showing it and running the exit steps.
int RunGuarded(const std::function<void()>& body, const std::function<void()>& exitSteps);
