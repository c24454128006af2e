#pragma once

#include <QString>

namespace quillora::matting {

// Name of the worker's folder of cut-out files under the per-user data folder.
inline constexpr const char* kDataFolderName = "data";

// dataDirectory + "/data".
QString DataFolderPath(const QString& dataDirectory);

// Deletes every file directly in the folder (sub-folders stay); true when
// none is left. A missing folder counts as empty.
bool EmptyDataFolder(const QString& folder);

// The path of a new cut-out file: the folder and the microsecond clock in
// decimal, without extension. Each call gives a later stamp than the one
// before, so two results of one run never share a file even when the clock
// has not moved on.
QString NextResultPath(const QString& folder);

}  // namespace quillora::matting
