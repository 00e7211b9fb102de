#pragma once
// Where a file named by a document may lie. Data files come from strangers: the
// names they give (external DTDs and entities, pictures) must not reach the rest
// of the machine, so they are held to a folder.
#include <string>

// True when `path`, with every symbolic link along it followed, lies inside
// `folder` (its links followed too) or is that folder. A path that does not
// exist is judged by the part of it that does, then by its remaining steps
// with "." and ".." folded, so that a name that is refused tells nothing about
// whether it exists.
bool PathInsideFolder(const std::string& folder, const std::string& path);

// True for a name that stays where it is put: not empty, not absolute (no
// leading separator, no drive letter), and no ".." step. Both separators count.
bool IsPlainRelativeName(const std::string& name);
