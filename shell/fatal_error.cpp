#include "shell/fatal_error.h"

#include <cstdio>

#include "platform/exception.h"
#include "platform/program_file.h"
#include "shell/error_text.h"
#include "ui/system_message_box.h"

namespace {

std::string ModuleName() { return ProgramFileName().value_or("iniviewer"); }

void ShowFatalText(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    ShowSystemMessageBoxOver(nullptr, text, "Application Error", MessageBoxIcon::Error);
}

void LastChanceHandler(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        ShowFatalError(e.ClassName(), &e.Message());
    } catch (const std::exception& e) {
        ShowFatalError(typeid(e).name(), nullptr);
    } catch (...) {
        ShowFatalError("unknown", nullptr);
    }
}

}  // namespace

void ShowFatalError(const char* className, const std::string* message) {
    ShowFatalText(FormatFatalErrorText(className, message, ModuleName(), 0));
}

int RunGuarded(const std::function<void()>& body, const std::function<void()>& exitSteps) {
    try {
        body();
    } catch (...) {
        LastChanceHandler(std::current_exception());
        exitSteps();
        return 1;
    }
    exitSteps();
    return 0;
}
