#include "core/MessageText.h"

std::u16string ExceptionDisplayText(std::u16string message)
{
    if (!message.empty() && message.back() > u'.') {
        message += u'.';
    }
    return message;
}

std::u16string TrimSystemErrorText(std::u16string text)
{
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) {
        text.pop_back();
    }
    return text;
}
