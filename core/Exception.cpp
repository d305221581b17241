#include "core/Exception.h"

#include "core/Utf.h"

Exception::Exception(std::u16string message)
    : FMessage(std::move(message)), FUtf8(Utf16ToUtf8(FMessage))
{
}
