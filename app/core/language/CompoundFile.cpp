#include "app/core/language/CompoundFile.h"

#include <QFile>
#include <QFileInfo>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <unistd.h>
#include <cstdio>
#include <memory>
#include <mutex>

namespace quillora::lang {

namespace {

// Longest stream name the compound format stores; the library writes longer
// names as empty ones.
constexpr qsizetype kMaxStreamName = 31;

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

void InitGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

}  // namespace

std::optional<QByteArray> ReadCompoundStream(const QString& path, const QString& streamName,
                                             qsizetype maxBytes) {
    InitGsf();
    GError* rawError = nullptr;
    GsfPtr<GsfInput> source(gsf_input_stdio_new(QFile::encodeName(path).constData(), &rawError));
    std::unique_ptr<GError, GErrorFree> sourceError(rawError);
    if (!source) {
        return std::nullopt;
    }
    rawError = nullptr;
    // The compound file keeps its own reference to the source.
    GsfPtr<GsfInfile> root(gsf_infile_msole_new(source.get(), &rawError));
    std::unique_ptr<GError, GErrorFree> rootError(rawError);
    if (!root) {
        return std::nullopt;
    }
    GsfPtr<GsfInput> stream(gsf_infile_child_by_name(root.get(), streamName.toUtf8().constData()));
    if (!stream) {
        return std::nullopt;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    // The library returns NULL for a read of 0 bytes, so an empty stream is
    // handled here as missing.
    if (size <= 0 || size >= maxBytes) {
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (gsf_input_read(stream.get(), static_cast<size_t>(size),
                       reinterpret_cast<guint8*>(bytes.data())) == nullptr) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteCompoundFile(const QString& path,
                       const std::vector<std::pair<QString, QByteArray>>& streams) {
    for (const auto& [name, bytes] : streams) {
        if (name.isEmpty() || name.size() > kMaxStreamName) {
            return false;
        }
    }
    InitGsf();
    const QFileInfo target(path);
    const QString tempPath =
        target.absolutePath() + "/." + target.fileName() + ".tmp" + QString::number(::getpid());

    GError* rawError = nullptr;
    GsfPtr<GsfOutput> sink(
        gsf_output_stdio_new(QFile::encodeName(tempPath).constData(), &rawError));
    std::unique_ptr<GError, GErrorFree> sinkError(rawError);
    if (!sink) {
        return false;
    }
    bool ok = true;
    {
        GsfPtr<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
        ok = root != nullptr;
        for (const auto& [name, bytes] : streams) {
            if (!ok) {
                break;
            }
            GsfPtr<GsfOutput> child(
                gsf_outfile_new_child(root.get(), name.toUtf8().constData(), FALSE));
            ok = child != nullptr &&
                 gsf_output_write(child.get(), static_cast<size_t>(bytes.size()),
                                  reinterpret_cast<const guint8*>(bytes.constData())) &&
                 gsf_output_close(child.get());
        }
        // Closing the compound file also closes the sink beneath it.
        if (root) {
            ok = gsf_output_close(GSF_OUTPUT(root.get())) && ok;
        }
    }
    if (!ok || !QFile::exists(tempPath)) {
        QFile::remove(tempPath);
        return false;
    }
    if (std::rename(QFile::encodeName(tempPath).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        QFile::remove(tempPath);
        return false;
    }
    return true;
}

}  // namespace quillora::lang
