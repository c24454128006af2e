#pragma once

#include "tools/langpack/LangSource.h"

#include <QString>

namespace quillora::langpack {

// Writes the language file: one scrambled stream per section, named after
// it. Fails (false, with a message) when a section's stream would reach the
// size the program refuses to read, or when the file cannot be written.
bool PackLanguage(const LangSource& source, const QString& outputPath, QString& error);

}  // namespace quillora::langpack
