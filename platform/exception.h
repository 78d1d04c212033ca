#pragma once
// The program's error objects. Everything the user may be shown derives from Exception;
// the message is in the ANSI code page, like every other text.
#include <exception>
#include <string>
#include <string_view>

class Exception : public std::exception {
public:
    explicit Exception(std::string message, int helpContext = 0)
        : message_(std::move(message)), helpContext_(helpContext) {}

    const std::string& Message() const { return message_; }
    int HelpContext() const { return helpContext_; }
    virtual const char* ClassName() const { return "Exception"; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    int helpContext_;
};

// Declares an error class with its class name, derived from Base.
#define DECLARE_ERROR_CLASS(Name, Base)                                   \
    class Name : public Base {                                            \
    public:                                                               \
        using Base::Base;                                                 \
        const char* ClassName() const override { return #Name; }          \
    }

// The silent error: caught like any other, never shown.
DECLARE_ERROR_CLASS(EAbort, Exception);

// Replaces the first "%s" of pattern with arg, "%d" with a number: the library's messages
// have one placeholder each.
std::string FormatMessage(std::string_view pattern, std::string_view arg);
std::string FormatMessage(std::string_view pattern, long long number);
