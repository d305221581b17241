#include "core/TStringList.h"

#include <stdexcept>

const std::u16string& TStringList::Strings(int index) const
{
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("TStringList index out of range");
    }
    return FItems[static_cast<std::size_t>(index)];
}
