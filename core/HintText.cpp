#include "core/HintText.h"

std::u16string ShortHint(const std::u16string& hint)
{
    return hint.substr(0, hint.find(u'|'));
}

std::u16string LongHint(const std::u16string& hint)
{
    const auto bar = hint.find(u'|');
    return bar == std::u16string::npos ? hint : hint.substr(bar + 1);
}
