#include "core/TrashInfo.h"

std::string ShortenTrashName(std::string name)
{
    if (name.size() <= MaxTrashNameBytes) {
        return name;
    }
    const auto continues = [&](std::size_t at) { return (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80; };
    // A character has at most three continuation bytes; a name with more is
    // no UTF-8 and is cut at the limit rather than emptied.
    std::size_t cut = MaxTrashNameBytes;
    while (cut > MaxTrashNameBytes - 3 && continues(cut)) {
        --cut;
    }
    if (continues(cut)) {
        cut = MaxTrashNameBytes;
    }
    name.resize(cut);
    return name;
}

std::string TrashNameVariant(const std::string& name, int attempt)
{
    if (attempt == 1) {
        return name;
    }
    const std::string number = "." + std::to_string(attempt);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return name + number;
    }
    return name.substr(0, dot) + number + name.substr(dot);
}

std::string TrashRecordedPath(const std::string& absolute, const std::string& topDir)
{
    if (topDir.empty()) {
        return absolute;
    }
    return absolute.substr(topDir == "/" ? 1 : topDir.size() + 1);
}

std::string PercentEncodePath(std::string_view path)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_'
            || b == '.' || b == '~' || b == '/') {
            out += c;
        } else {
            out += '%';
            out += Hex[b >> 4];
            out += Hex[b & 0x0F];
        }
    }
    return out;
}

std::string TrashInfoText(const std::string& recordedPath, const std::string& deletionDate)
{
    return "[Trash Info]\nPath=" + PercentEncodePath(recordedPath) + "\nDeletionDate=" + deletionDate + "\n";
}
