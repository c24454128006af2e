#include "tools/langpack/Packer.h"

#include "app/core/language/CompoundFile.h"
#include "app/core/language/LangStream.h"

namespace quillora::langpack {

bool PackLanguage(const LangSource& source, const QString& outputPath, QString& error) {
    std::vector<std::pair<QString, QByteArray>> streams;
    for (const SourceSection& section : source.sections) {
        QByteArray stored = lang::EncodeSection(section.entries);
        if (stored.size() >= lang::kMaxSectionBytes) {
            error = QStringLiteral("section %1 is %2 bytes; it must stay below %3")
                        .arg(section.name)
                        .arg(stored.size())
                        .arg(lang::kMaxSectionBytes);
            return false;
        }
        streams.emplace_back(section.name, std::move(stored));
    }
    if (!lang::WriteCompoundFile(outputPath, streams)) {
        error = QStringLiteral("cannot write %1").arg(outputPath);
        return false;
    }
    return true;
}

}  // namespace quillora::langpack
