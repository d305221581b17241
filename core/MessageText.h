#pragma once

#include <string>

// The text the exception display shows: a "." is appended when the message is
// not empty and its last character sorts above "." (so "。" gets one too).
std::u16string ExceptionDisplayText(std::u16string message);

// The system's message for an error code, with trailing control characters,
// blanks and full stops cut off.
std::u16string TrimSystemErrorText(std::u16string text);
