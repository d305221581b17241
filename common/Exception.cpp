#include "common/Exception.h"

#include "common/Utf.h"

Exception::Exception(std::u16string message)
    : FMessage(std::move(message)), FUtf8(Utf16ToUtf8(FMessage))
{
}
