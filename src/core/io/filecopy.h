#pragma once

#include "pagewrite.h"

#include <QString>

#include <optional>

namespace veltrano {

// Copies the file at source to target, byte for byte, with its modification time and its
// permissions. The copy is made by the kernel (copy_file_range, so a file system that shares
// blocks shares them) into a new file beside target, which is then renamed over it: target is
// either the old file or the complete copy. A target that is the source itself, under whatever
// name, is refused and left as it is. With sync the copy and its folder reach the disk first.
std::optional<FileError> copyFileExact(const QString& source, const QString& target,
                                       bool sync = false);

} // namespace veltrano
