#pragma once

#include <optional>

#include <QString>

class QMimeData;

// The folder a drop names: the first local folder among its URLs, as the
// field shows a path (no trailing delimiter but the root's). Files, remote
// URLs and anything else are passed over; nothing when no folder is left.
std::optional<QString> DroppedFolder(const QMimeData* data);
