// What the trash must not take: a rename cannot carry a mount along (it would
// live on inside the trash until emptying deletes the other file system's
// files), and moving a trash, or part of one, into a trash orphans its items.
// Judged from the mount table, so the cost does not grow with the tree.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ShellFileOperation_posix.h"

namespace platform::posix {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// "/a" holds "/a/b"; "/" holds every other absolute path.
bool Holds(std::string_view folder, std::string_view path)
{
    if (folder == "/") {
        return path.size() > 1 && path[0] == '/';
    }
    return path.size() > folder.size() && StartsWith(path, folder) && path[folder.size()] == '/';
}

bool IsTopDirTrashName(std::string_view name)
{
    if (name == ".Trash") {
        return true;
    }
    if (!StartsWith(name, ".Trash-") || name.size() == 7) {
        return false;
    }
    return name.find_first_not_of("0123456789", 7) == std::string_view::npos;
}

} // namespace

std::string DecodeMountField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string> MountPoints()
{
    std::vector<std::string> points;
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        // id parent major:minor root mount-point ...
        std::istringstream fields(line);
        std::string skip;
        std::string point;
        if (fields >> skip >> skip >> skip >> skip >> point) {
            points.push_back(DecodeMountField(point));
        }
    }
    return points;
}

TRefusal TrashRefusal(std::string_view absolute, const std::vector<std::string>& mountPoints,
    std::string_view homeTrash)
{
    if (!homeTrash.empty()) {
        if (absolute == homeTrash) {
            return TRefusal::TrashFolder;
        }
        if (Holds(homeTrash, absolute)) {
            return TRefusal::InsideTrash;
        }
    }
    TRefusal refusal = TRefusal::None;
    for (const std::string& point : mountPoints) {
        if (point == absolute) {
            return TRefusal::Mounted;
        }
        if (Holds(absolute, point)) {
            refusal = TRefusal::MountBelow;
        }
        if (Holds(point, absolute)) {
            // The first component below a mount point: a topdir trash?
            const std::size_t start = point == "/" ? 1 : point.size() + 1;
            const std::size_t end = absolute.find('/', start);
            if (IsTopDirTrashName(absolute.substr(start, end - start))) {
                return end == std::string_view::npos ? TRefusal::TrashFolder : TRefusal::InsideTrash;
            }
        }
    }
    return refusal;
}

} // namespace platform::posix
