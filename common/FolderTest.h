#pragma once

#include <string>

// The two tools test a folder differently. Callers pass the field's text
// with a trailing delimiter added; the path is not changed.

// Opener: a folder; a link must also open; unreadable attributes still count
// unless the system says the path is not there.
bool FolderExistsForOpener(const std::u16string& path);

// Remover: readable attributes that say folder, nothing else.
bool FolderExistsForRemover(const std::u16string& path);
