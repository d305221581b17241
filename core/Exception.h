#pragma once

#include <exception>
#include <string>

// The one exception type that operations throw with the text they want shown.
// Catch it by reference; derive from it for finer kinds.
class Exception : public std::exception {
public:
    explicit Exception(std::u16string message);

    const std::u16string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    std::u16string FMessage;
    std::string FUtf8;
};
